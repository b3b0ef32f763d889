// Event: what a window's event loop receives from the window runtime — the
// event number, the control it concerns (0 for a window event) and, for a key,
// the key code and the character typed.
//
// The numbers are the program's own and stable; procedures compare against
// them by name:
//
//   control events                        window events
//     1 Accepted     a value or button      513 CloseWindow  close box, Esc, a posted close
//     2 NewSelection list row, tab, option  514 CloseDown    the frame closes around the window
//     3 ScrollUp     4 ScrollDown           515 OpenWindow   first event of every window
//     5 PageUp       6 PageDown             517 LoseFocus    another window became active
//     7 ScrollTop    8 ScrollBottom         518 GainFocus    the window became active
//     9 Locate       (list: query key)      523 Timer        the window timer ran out
//    15 AlertKey     an alerted key         549 Completed    SelectAll found every entry valid
//    20 ScrollDrag   thumb moved (list)     561 Sized        the window's size changed
//    26 Rejected     typed text refused
//   257 Selected     the control got focus
//
// Scroll events concern lists only: the runtime never scrolls a list by itself,
// it turns the list keys (Up, Down, PageUp, PageDown, Ctrl+Home, Ctrl+End), the
// wheel and the scrollbar into these events and the program moves the rows.
#pragma once

#include <cstdint>

#include "platform/key_code.h"

namespace zelvo {

using ControlId = int;  // 0: the window itself; 1.. the controls in definition order

enum class EventNumber : std::uint16_t {
  None = 0,  // no event: the window is closed and its loop must end
  Accepted = 1,
  NewSelection = 2,
  ScrollUp = 3,
  ScrollDown = 4,
  PageUp = 5,
  PageDown = 6,
  ScrollTop = 7,
  ScrollBottom = 8,
  Locate = 9,
  AlertKey = 15,
  ScrollDrag = 20,
  Rejected = 26,
  Selected = 257,
  CloseWindow = 513,
  CloseDown = 514,
  OpenWindow = 515,
  LoseFocus = 517,
  GainFocus = 518,
  Timer = 523,
  Completed = 549,
  Sized = 561,
};

// The runtime's name of an event, "EVENT:Accepted"; "EVENT:<n>" for others.
const char* EventName(EventNumber number);

struct Event {
  EventNumber number = EventNumber::None;
  ControlId control = 0;   // 0 for window events
  KeyCode key = 0;         // AlertKey: the key; others: 0
  unsigned char character = 0;  // AlertKey of a printable key: its CP1251 character
  // Lists: the row and column (1-based) under the mouse for a click, double-click
  // (key kMouseLeft2) or right click (kMouseRight); 0 when not a mouse event.
  int mouseRow = 0;
  int mouseColumn = 0;

  bool IsWindowEvent() const { return control == 0; }
};

}  // namespace zelvo
