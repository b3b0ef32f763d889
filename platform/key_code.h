// KeyCode: a key as the program sees it — the key's code with modifier bits
// added: Shift 256, Ctrl 512, Alt 1024. Mouse buttons are keys too.
//
//     kTab 9   kShiftTab 265   kEnter 13   kCtrlEnter 525   kShiftEnter 269
//     kEscape 27   kBackspace 8   kSpace 32   kInsert 45   kDelete 46
//     kUp 38   kDown 40   kLeft 37   kRight 39   kPageUp 33   kPageDown 34
//     kHome 36   kEnd 35   kF1 112 .. kF12 123   letters 'A'..'Z', digits '0'..'9'
//     kCtrlQuote 734 (Ctrl+'): ditto   kMouseLeft2 5 (double click)   kMouseRight 130
//
// A printable character has no code of its own beyond its key; the Event that
// carries the key also carries the character typed (CP1251, Cyrillic included),
// which is what locators read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

using KeyCode = int;

inline constexpr KeyCode kShift = 256;
inline constexpr KeyCode kCtrl = 512;
inline constexpr KeyCode kAlt = 1024;

inline constexpr KeyCode kMouseLeft2 = 5;
inline constexpr KeyCode kMouseRight = 130;
inline constexpr KeyCode kBackspace = 8;
inline constexpr KeyCode kTab = 9;
inline constexpr KeyCode kEnter = 13;
inline constexpr KeyCode kEscape = 27;
inline constexpr KeyCode kSpace = 32;
inline constexpr KeyCode kPageUp = 33;
inline constexpr KeyCode kPageDown = 34;
inline constexpr KeyCode kEnd = 35;
inline constexpr KeyCode kHome = 36;
inline constexpr KeyCode kLeft = 37;
inline constexpr KeyCode kUp = 38;
inline constexpr KeyCode kRight = 39;
inline constexpr KeyCode kDown = 40;
inline constexpr KeyCode kInsert = 45;
inline constexpr KeyCode kDelete = 46;
inline constexpr KeyCode kF1 = 112;
inline constexpr KeyCode kQuote = 222;  // the ' key
inline constexpr KeyCode kShiftTab = kShift + kTab;
inline constexpr KeyCode kShiftEnter = kShift + kEnter;
inline constexpr KeyCode kCtrlEnter = kCtrl + kEnter;
inline constexpr KeyCode kCtrlQuote = kCtrl + kQuote;
inline constexpr KeyCode kCtrlHome = kCtrl + kHome;
inline constexpr KeyCode kCtrlEnd = kCtrl + kEnd;

// A key as the user names it: "Insert", "Ctrl+Enter", "Shift+Tab", "Ctrl+'", "F5",
// "Alt+X" (X any letter, Cyrillic included, UTF-8), or one character. The code,
// and the CP1251 character for a printable key (0 otherwise); nullopt when the
// name is no key.
struct NamedKey {
  KeyCode code = 0;
  unsigned char character = 0;
};
std::optional<NamedKey> KeyFromName(std::string_view utf8Name);

}  // namespace zelvo
