// The program's keys (platform/key_code.h) and Qt's key events, both ways:
// the display reports what the user pressed as a program key, and the user
// driver turns a program key back into the key event a keyboard would send.
//
//     Qt::Key_Return + Ctrl          <-> kCtrlEnter
//     Qt::Key_Backtab (+ Shift)      <-> kShiftTab
//     "ф" typed                      <-> code 0, character 'ф' (CP1251)
//     Alt + Qt key 0x424 ('Ф')       <-> kAlt, character 'Ф'
//     Ctrl + the ' key (Э on a Cyrillic layout) -> kCtrlQuote
#pragma once

#include <optional>

#include <QKeyEvent>
#include <QString>

#include "platform/key_code.h"

namespace zelvo {

// The program key of a key press; nullopt for a modifier pressed alone.
std::optional<NamedKey> ProgramKey(const QKeyEvent& event);

// True when the event types a character (no Ctrl or Alt held).
bool TypesCharacter(const QKeyEvent& event);
// True for Space with no modifier: what presses a button or ticks a box.
bool IsPlainSpace(const QKeyEvent& event);

struct QtKeyPress {
  Qt::Key key = Qt::Key_unknown;
  Qt::KeyboardModifiers modifiers;
  QString text;
};
QtKeyPress QtKeyFor(NamedKey key);

}  // namespace zelvo
