// Presenter: what the window model (platform/model) tells a display about its
// windows. The headless back end has none; the Qt back end makes widgets of
// each window and keeps them in step.
//
// The model calls it on procedure threads, from the run token's holder, each
// time before the holder gives the token up (and at Open and Close): the
// display therefore sees a window's state only between events, never half
// changed. A display that works on a thread of its own (Qt's GUI thread) takes
// the call over there and may make the caller wait until it is done; it must
// never wait for the run token itself, and it reports what the user does
// through WindowModel::Input, never by touching program state.
#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/window.h"
#include "platform/window_definition.h"

namespace zelvo {

// One control as the display must show it now.
struct ControlState {
  ControlId id = 0;
  std::string text;  // CP1251: an entry's text as shown (refused typing included), a
                     // prompt's, button's, option's, tab's, group's or menu item's text
  bool enabled = true;
  bool visible = true;
  bool readOnly = false;
  bool checked = false;   // Check
  int chosen = 0;         // Radio: the option chosen (1-based, 0 none); Sheet: the tab
  bool isDefault = false; // Button
  std::vector<ListRow> rows;  // List
  int selection = 0;          // List
  bool thumbShown = false;    // List
  int thumb = 0;              // List: 0..100
  int progress = 0;           // Progress
  PageDisplay pages;          // Pages
  // An entry laid over a list cell: the list, row and column; 0 when not.
  ControlId overList = 0;
  int overRow = 0, overColumn = 0;
  // The bound value as a field rule compares it (CP1251; "" when unbound):
  // what the control holds, which its text need not show (a refused text).
  std::string value;
};

struct WindowState {
  int handle = 0;                 // the model's name for the window, stable while it is open
  const WindowDefinition* definition = nullptr;  // valid while the window is open
  std::vector<ControlDefinition> created;        // controls made at run time, in id order
  std::string caption;            // CP1251
  std::vector<ControlState> controls;  // definition controls, then created ones, in id order
  ControlId focus = 0;
  bool visible = true;            // false while the program keeps the window hidden
  bool takesInput = true;         // false while a later window of its thread runs
  int x = 0, y = 0, width = 0, height = 0;  // the placement the program asked for, or the
  int state = 0;                  // display last reported; 0 normal, 1 maximized, 2 minimized
  bool placementChanged = false;  // the program moved or sized the window since the last call
};

class Presenter {
 public:
  virtual ~Presenter() = default;

  virtual void Opened(const WindowState& window) = 0;
  virtual void Changed(const WindowState& window) = 0;
  virtual void Closed(int handle) = 0;

  // Shows a message box or a popup without waiting for the answer; the user's
  // answer comes back as a UserInput (MessageAnswer, PopupChosen) for the window
  // `handle` (0: the frame). The model waits for it without the token.
  virtual void ShowMessage(int handle, const MessageBoxRequest& request) = 0;
  virtual void ShowPopup(int handle, ControlId list, const std::vector<PopupItem>& items) = 0;

  virtual void SetWaitCursor(bool wait) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // Tile, cascade, arrange icons; the printer set-up dialog (which the display
  // runs modally on its own; the model calls it without the token).
  virtual void Perform(StandardAction action) = 0;
};

}  // namespace zelvo
