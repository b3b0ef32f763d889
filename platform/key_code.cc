#include "platform/key_code.h"

#include <array>
#include <utility>

#include "runtime/cp1251.h"
#include "runtime/locale.h"

namespace zelvo {
namespace {

constexpr std::array<std::pair<std::string_view, KeyCode>, 20> kNamedKeys{{
    {"Insert", kInsert},   {"Delete", kDelete},     {"Enter", kEnter},   {"Escape", kEscape},
    {"Tab", kTab},         {"Backspace", kBackspace}, {"Space", kSpace}, {"Up", kUp},
    {"Down", kDown},       {"Left", kLeft},         {"Right", kRight},   {"PageUp", kPageUp},
    {"PageDown", kPageDown}, {"Home", kHome},       {"End", kEnd},       {"'", kQuote},
    {"Esc", kEscape},      {"Ins", kInsert},        {"Del", kDelete},    {"Return", kEnter},
}};

// The key that types a CP1251 character: its upper-case Latin letter or digit
// code where it has one; other characters are keys of their own with no code.
KeyCode KeyOfCharacter(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
  if (c == ' ') return kSpace;
  if (c == '\'') return kQuote;
  return 0;
}

std::optional<NamedKey> KeyWithoutModifiers(std::string_view name) {
  for (const auto& [text, code] : kNamedKeys) {
    if (name == text) {
      unsigned char character = code == kSpace ? ' ' : code == kQuote ? '\'' : 0;
      return NamedKey{code, character};
    }
  }
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
      if (n > 12) return std::nullopt;
    }
    if (n >= 1) return NamedKey{kF1 + n - 1, 0};
    return std::nullopt;
  }
  std::optional<std::string> text = Utf8ToCp1251(name);
  if (!text || text->size() != 1) return std::nullopt;
  const auto c = static_cast<unsigned char>((*text)[0]);
  if (c < 32) return std::nullopt;
  return NamedKey{KeyOfCharacter(c), c};
}

}  // namespace

std::optional<NamedKey> KeyFromName(std::string_view name) {
  KeyCode modifiers = 0;
  for (;;) {
    if (name.starts_with("Ctrl+") && name.size() > 5) {
      modifiers |= kCtrl;
      name.remove_prefix(5);
    } else if (name.starts_with("Shift+") && name.size() > 6) {
      modifiers |= kShift;
      name.remove_prefix(6);
    } else if (name.starts_with("Alt+") && name.size() > 4) {
      modifiers |= kAlt;
      name.remove_prefix(4);
    } else {
      break;
    }
  }
  std::optional<NamedKey> key = KeyWithoutModifiers(name);
  if (!key) return std::nullopt;
  if (modifiers != 0) {
    // With a modifier a letter names its key, whatever its case; the character
    // stays for mnemonics (Alt+Ф).
    if (key->character) key->character = Locale().Upper(key->character);
    key->code += modifiers;
  }
  return key;
}

}  // namespace zelvo
