// UserInput: one thing the user did to a window, as a display (or the
// headless driver acting as the user) reports it to the window model. The
// model turns it into the window's events by the runtime's rules
// (platform/window.h): focus changes answer EVENT:Selected, leaving a changed
// entry stores its text through the picture (EVENT:Accepted or
// EVENT:Rejected), Tab and Shift+Tab move the focus in definition order,
// Enter presses the default button, Esc the cancel button, Alt+letter follows
// the mnemonics, list keys become scroll events, alerted keys EVENT:AlertKey.
//
// Inputs are queued to the thread that owns the window and applied there, by
// the run token's holder, in the order they were given; the display never
// touches program state itself. Safe to hand in from any thread.
#pragma once

#include <string>
#include <vector>

#include "platform/event.h"
#include "platform/key_code.h"

namespace zelvo {

struct UserInput {
  enum class Kind : std::uint8_t {
    Focus,        // the control was clicked into or tabbed to by the display itself
    Edit,         // the entry's text is now `text` (typed, not yet left)
    Key,          // `key` (with `character`) pressed in `control` (0: the window)
    Press,        // a button pressed or a check box toggled
    Choose,       // option `value` (1-based) of the radio group `control` chosen
    ChooseTab,    // tab `value` (1-based) of the sheet `control` chosen
    ClickRow,     // row `row` (column `column`) of the list `control` clicked
    DoubleClickRow,
    RightClickRow,
    Drag,         // the list's thumb dragged to `value` (0..100)
    Wheel,        // the list's wheel turned: `value` rows, negative up
    MenuItem,     // the frame's menu item `control` chosen
    CloseBox,     // the window's close box
    Activate,     // the window became the active one
    Placed,       // the user moved, resized, maximized, minimized or restored the window:
                  // its placement is now `x`, `y`, `width`, `height`, `state`; `visibleRows`
                  // holds the rows each list (in id order) now shows
    PopupChosen,  // answer to a Popup: item `value` (0 none)
    MessageAnswer,  // answer to the open message box: button `value`
  };
  Kind kind = Kind::Focus;
  ControlId control = 0;
  std::string text;            // Edit: CP1251
  KeyCode key = 0;
  unsigned char character = 0;
  int row = 0;
  int column = 0;
  int value = 0;
  int x = 0, y = 0, width = 0, height = 0;
  int state = 0;  // 0 normal, 1 maximized, 2 minimized
  std::vector<int> visibleRows;
};

}  // namespace zelvo
