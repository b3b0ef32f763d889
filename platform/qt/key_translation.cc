#include "platform/qt/key_translation.h"

#include <array>
#include <utility>

#include "runtime/cp1251.h"
#include "runtime/locale.h"

namespace zelvo {
namespace {

// Keys that have a code of their own; the character keys are mapped by
// their letters and digits below.
constexpr std::array<std::pair<Qt::Key, KeyCode>, 17> kNamedKeys{{
    {Qt::Key_Tab, kTab},           {Qt::Key_Return, kEnter},     {Qt::Key_Enter, kEnter},
    {Qt::Key_Escape, kEscape},     {Qt::Key_Backspace, kBackspace}, {Qt::Key_Space, kSpace},
    {Qt::Key_PageUp, kPageUp},     {Qt::Key_PageDown, kPageDown}, {Qt::Key_End, kEnd},
    {Qt::Key_Home, kHome},         {Qt::Key_Left, kLeft},         {Qt::Key_Up, kUp},
    {Qt::Key_Right, kRight},       {Qt::Key_Down, kDown},         {Qt::Key_Insert, kInsert},
    {Qt::Key_Delete, kDelete},     {Qt::Key_Apostrophe, kQuote},
}};

constexpr char32_t kCyrillicE = 0x042D;  // the ' key on a Cyrillic layout

KeyCode Modifiers(Qt::KeyboardModifiers modifiers) {
  KeyCode code = 0;
  if (modifiers & Qt::ShiftModifier) code += kShift;
  if (modifiers & Qt::ControlModifier) code += kCtrl;
  if (modifiers & Qt::AltModifier) code += kAlt;
  return code;
}

Qt::KeyboardModifiers QtModifiers(KeyCode code) {
  Qt::KeyboardModifiers modifiers;
  if (code & kShift) modifiers |= Qt::ShiftModifier;
  if (code & kCtrl) modifiers |= Qt::ControlModifier;
  if (code & kAlt) modifiers |= Qt::AltModifier;
  return modifiers;
}

unsigned char Cp1251Of(char32_t c) {
  const std::optional<std::uint8_t> code = UnicodeToCp1251(c);
  return code && *code >= 32 ? *code : 0;
}

}  // namespace

bool TypesCharacter(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  const QString text = event.text();
  return text.size() == 1 && text[0] >= u' ' && text[0] != QChar(0x7F);
}

bool IsPlainSpace(const QKeyEvent& event) {
  return event.key() == Qt::Key_Space && event.modifiers() == Qt::NoModifier;
}

std::optional<NamedKey> ProgramKey(const QKeyEvent& event) {
  const int qtKey = event.key();
  if (qtKey == Qt::Key_Shift || qtKey == Qt::Key_Control || qtKey == Qt::Key_Alt || qtKey == Qt::Key_Meta ||
      qtKey == Qt::Key_AltGr || qtKey == Qt::Key_CapsLock || qtKey == Qt::Key_NumLock || qtKey == 0)
    return std::nullopt;
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;

  if (qtKey == Qt::Key_Backtab) return NamedKey{kShiftTab + Modifiers(modifiers & ~Qt::ShiftModifier), 0};
  if ((modifiers & Qt::ControlModifier) && (qtKey == Qt::Key_Apostrophe || qtKey == int(kCyrillicE)))
    return NamedKey{kCtrlQuote, '\''};
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return NamedKey{kF1 + (qtKey - Qt::Key_F1) + Modifiers(modifiers), 0};

  if (TypesCharacter(event)) {
    // A typed character: Shift is part of the character, not of the key.
    const unsigned char character = Cp1251Of(event.text().toUcs4().value(0));
    KeyCode code = 0;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) code = qtKey;
    else if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) code = qtKey;
    else if (qtKey == Qt::Key_Space) code = kSpace;
    else if (qtKey == Qt::Key_Apostrophe) code = kQuote;
    return NamedKey{code, character};
  }
  for (const auto& [key, code] : kNamedKeys)
    if (qtKey == key) return NamedKey{code + Modifiers(modifiers), static_cast<unsigned char>(code == kSpace ? ' ' : 0)};

  // A letter or digit with Ctrl or Alt: its key, and its character in upper
  // case, as mnemonics read it.
  KeyCode code = 0;
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) code = qtKey;
  const unsigned char character = qtKey < 0x10000 ? Cp1251Of(static_cast<char32_t>(qtKey)) : 0;
  if (code == 0 && character == 0) return std::nullopt;
  return NamedKey{code + Modifiers(modifiers), character ? Locale().Upper(character) : character};
}

QtKeyPress QtKeyFor(NamedKey key) {
  QtKeyPress press;
  const KeyCode base = key.code & 0xFF;
  press.modifiers = QtModifiers(key.code);
  const bool commanding = (key.code & (kCtrl | kAlt)) != 0;
  if (key.code == kShiftTab) {
    press.key = Qt::Key_Backtab;
    return press;
  }
  if (base >= kF1 && base < kF1 + 12) {
    press.key = static_cast<Qt::Key>(Qt::Key_F1 + (base - kF1));
    return press;
  }
  if (key.character != 0) {
    const QChar c(static_cast<char16_t>(Cp1251ToUnicode(key.character)));
    press.key = static_cast<Qt::Key>(c.toUpper().unicode());
    if (!commanding) press.text = QString(c);
    return press;
  }
  for (const auto& [qtKey, code] : kNamedKeys) {
    if (code == base) {
      press.key = qtKey;
      return press;
    }
  }
  if ((base >= 'A' && base <= 'Z') || (base >= '0' && base <= '9')) press.key = static_cast<Qt::Key>(base);
  return press;
}

}  // namespace zelvo
