// Pattern ("@P...P") and key-in ("@K...K") pictures.
#include "runtime/picture.h"

namespace zelvo::picture_detail {
namespace {

bool IsDigitPosition(char c) { return c == '#' || c == '<'; }

// Latin letters and the CP1251 Cyrillic letters (А..я, Ё, ё).
bool IsLetterCode(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0xC0 || u == 0xA8 || u == 0xB8;
}

bool Accepts(KeyInLayout::Slot slot, char c) {
  switch (slot) {
    case KeyInLayout::Digit: return IsDigit(c);
    case KeyInLayout::Letter: return IsLetterCode(c);
    default: return true;
  }
}

// Whether `text` is the shown form: as long as the pattern, every literal in
// its place. (Typed characters that fit are always fewer than the positions
// when the pattern has literals, so the two forms cannot be confused.)
bool IsShownForm(const KeyInLayout& layout, std::string_view text) {
  if (text.size() != layout.slots.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (layout.slots[i] == KeyInLayout::Literal && text[i] != layout.literals[i]) return false;
  return true;
}

// The typed characters of a text given either in its shown form or as the
// typed characters themselves.
std::string TypedCharacters(const KeyInLayout& layout, std::string_view text) {
  if (!IsShownForm(layout, text)) return std::string(text);
  std::string typed;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (layout.slots[i] != KeyInLayout::Literal) typed += text[i];
  return typed;
}

}  // namespace

std::optional<PatternLayout> ParsePattern(std::string_view body, std::size_t offset, PictureError* error) {
  PatternLayout layout;
  layout.pattern = std::string(body);
  for (char c : body) layout.digitPositions += IsDigitPosition(c) ? 1 : 0;
  if (layout.digitPositions == 0) return Fail(error, offset, "the pattern has no digit position"), std::nullopt;
  return layout;
}

std::string FormatPattern(const PatternLayout& layout, std::string_view digits) {
  const auto positions = static_cast<std::size_t>(layout.digitPositions);
  bool overflow = digits.size() > positions;
  std::size_t significant = digits == "0" ? 0 : digits.size();
  std::size_t leading = overflow ? 0 : positions - significant;
  std::string out = layout.pattern;
  std::size_t k = 0;
  for (char& c : out) {
    if (!IsDigitPosition(c)) continue;
    if (overflow) c = '#';
    else if (k < leading) c = c == '<' ? ' ' : '0';
    else c = digits[k - leading];
    ++k;
  }
  return out;
}

std::optional<std::string> DeformatPattern(const PatternLayout& layout, std::string_view typed,
                                           PictureError* error) {
  std::string digits;
  bool positional = typed.size() == layout.pattern.size();
  for (std::size_t i = 0; positional && i < typed.size(); ++i)
    positional = IsDigitPosition(layout.pattern[i]) || typed[i] == layout.pattern[i];
  for (std::size_t i = 0; i < typed.size(); ++i) {
    char c = typed[i];
    if (positional && !IsDigitPosition(layout.pattern[i])) continue;
    if (IsDigit(c)) digits += c;
    else if (positional && c == ' ') digits += '0';  // a blank digit position is a suppressed zero
    else if (positional || (c != ' ' && layout.pattern.find(c) == std::string::npos))
      return Fail(error, i, "a digit expected"), std::nullopt;
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  const auto positions = static_cast<std::size_t>(layout.digitPositions);
  if (digits.size() > positions) return Fail(error, 0, "too many digits for the pattern"), std::nullopt;
  digits.insert(0, positions - digits.size(), '0');
  return digits;
}

std::optional<KeyInLayout> ParseKeyIn(std::string_view body, std::size_t offset, PictureError* error) {
  KeyInLayout layout;
  bool typed = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    KeyInLayout::Slot slot = c == '#' ? KeyInLayout::Digit : c == '@' ? KeyInLayout::Letter
                         : c == '&' ? KeyInLayout::Any : KeyInLayout::Literal;
    if (c == '\\') {
      if (++i == body.size()) return Fail(error, offset + i - 1, "'\\' must be followed by a character"), std::nullopt;
      c = body[i];
    }
    typed = typed || slot != KeyInLayout::Literal;
    layout.slots.push_back(slot);
    layout.literals += slot == KeyInLayout::Literal ? c : ' ';
  }
  if (!typed) return Fail(error, offset, "the pattern has no typed position"), std::nullopt;
  return layout;
}

std::string FormatKeyIn(const KeyInLayout& layout, std::string_view text, bool blankWhenEmpty) {
  std::string typed = TypedCharacters(layout, text);
  std::string out = layout.literals;
  std::size_t k = 0;
  bool shownAny = false;
  for (std::size_t i = 0; i < out.size(); ++i)
    if (layout.slots[i] != KeyInLayout::Literal && k < typed.size()) {
      out[i] = typed[k++];
      shownAny = shownAny || out[i] != ' ';
    }
  // What is judged empty is what the positions show, not the text given: the
  // text may hold more characters than the pattern has positions.
  if (blankWhenEmpty && !shownAny) return std::string(out.size(), ' ');
  return out;
}

std::optional<std::string> DeformatKeyIn(const KeyInLayout& layout, std::string_view typed, PictureError* error) {
  std::string chars = TypedCharacters(layout, typed);
  std::vector<KeyInLayout::Slot> order;
  for (KeyInLayout::Slot slot : layout.slots)
    if (slot != KeyInLayout::Literal) order.push_back(slot);
  while (!chars.empty() && chars.back() == ' ') chars.pop_back();
  if (chars.size() > order.size()) return Fail(error, order.size(), "too many characters"), std::nullopt;
  for (std::size_t k = 0; k < chars.size(); ++k) {
    if (chars[k] == ' ' || Accepts(order[k], chars[k])) continue;
    return Fail(error, k, order[k] == KeyInLayout::Digit ? "a digit expected" : "a letter expected"), std::nullopt;
  }
  return chars;
}

}  // namespace zelvo::picture_detail
