// UserDriver: the user's hands and eyes on a running program, for scripted
// sessions and tests. Each back end has one: the headless driver acts on the
// runtime's windows directly, the Qt driver on the real widgets (key presses
// and clicks sent to them), so one script checks both.
//
// The driver runs on a thread of its own (never a procedure thread). Before it
// looks or acts it waits until the program is idle: every procedure thread
// waits for input, no event is queued, no timer is armed, and (Qt) the GUI
// thread has nothing left to do.
//
// Windows are named by a handle that stays the window's until it closes;
// Windows() lists them in the order they were opened. Texts are UTF-8 here.
// Every action answers "" when done, else why it could not be done (a
// disabled or hidden control, no such row, no message box open...), and
// nothing happened then.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/key_code.h"
#include "platform/window.h"
#include "platform/window_definition.h"

namespace zelvo {

struct ControlView {
  ControlId id = 0;
  ControlKind kind = ControlKind::Prompt;
  ControlId parent = 0;
  ButtonRole role = ButtonRole::None;
  std::string name;    // the procedure's name for it
  std::string text;    // its own text: prompt, button, check box, option, tab, group, menu item,
                       // with its "&" mnemonic marks
  std::string prompt;  // the prompt shown before it
  std::string shown;   // what it shows, as the user reads it: an entry its text, a radio group
                       // its option's text, a sheet its chosen tab's text, a progress bar its
                       // percentage, any other control its own text without "&" marks
  std::string value;   // the bound value as a field rule compares it ("" when unbound)
  bool enabled = true;
  bool visible = true;
  bool focused = false;
  bool checked = false;                        // Check
  std::vector<std::string> headers;            // List
  std::vector<std::vector<std::string>> rows;  // List: the rows that hold records, as shown
  int selection = 0;                           // List: 1-based, 0 none
  int visibleRows = 0;                         // List
  PageDisplay pages;                           // Pages: what it shows
};

struct WindowView {
  int handle = 0;
  std::string procedure;
  std::string caption;
  WindowKind kind = WindowKind::Document;
  bool active = false;  // has the focus
  bool takesInput = true;  // false while a window opened after it on its thread runs
  bool visible = true;     // false while the program keeps it hidden
  int x = 0, y = 0, width = 0, height = 0;
  bool maximized = false, minimized = false;
  std::vector<ControlView> controls;  // in id order
};

struct MessageView {
  std::string caption;
  std::string text;  // lines joined by "\n"
  std::vector<std::string> buttons;  // button texts without "&", in order: "Yes", "No"
};

struct MenuItemView {
  std::vector<std::string> path;  // texts without "&": {"Базовые данные", "Константы"}
  bool enabled = true;
};

// What `maximize`, `minimize` and `restore` ask of a window (named apart from
// the model's WindowState, the whole state of a window a display shows).
enum class ShowState { Normal, Maximized, Minimized };

class UserDriver {
 public:
  virtual ~UserDriver() = default;

  // Waits until the program is idle, at most `seconds`: false with what still
  // runs in `busy` (procedure names).
  [[nodiscard]] virtual bool WaitIdle(double seconds, std::string* busy) = 0;
  // The program has ended (its frame closed and its start-up returned).
  virtual bool Ended() const = 0;
  // Ends the program at once, as a fatal message's halt does: every window
  // closes without asking and every procedure thread ends at its next wait.
  // For a session that cannot go on (a failed line); callable at any time.
  virtual void Quit() = 0;

  // Looking (REQUIRES: idle).
  virtual std::vector<WindowView> Windows() const = 0;
  virtual std::optional<MessageView> Message() const = 0;
  virtual std::vector<MenuItemView> Menu() const = 0;
  virtual std::string StatusText() const = 0;

  // Acting (REQUIRES: idle).
  virtual std::string ChooseMenu(const std::vector<std::string>& path) = 0;
  // Focus to the control as a click gives it (EVENT:Selected), its whole text
  // replaced by `text` typed key by key, then Tab.
  virtual std::string Type(int window, ControlId control, const std::string& text) = 0;
  // A button pressed, a check box toggled (focus first).
  virtual std::string Press(int window, ControlId control) = 0;
  // Option `option` (1-based) of a radio group chosen.
  virtual std::string Choose(int window, ControlId radio, int option) = 0;
  virtual std::string Click(int window, ControlId control) = 0;
  virtual std::string ChooseTab(int window, ControlId sheet, int tab) = 0;
  // Row `row` (1-based among the rows shown) clicked; the list gets the focus.
  virtual std::string SelectRow(int window, ControlId list, int row) = 0;
  // The control focused first when not 0, then the key pressed.
  virtual std::string PressKey(int window, ControlId control, NamedKey key) = 0;
  // The open message box answered with the button of this text ("Yes", "Ok").
  virtual std::string Answer(const std::string& button) = 0;
  // The window's close box.
  virtual std::string Close(int window) = 0;
  virtual std::string Place(int window, int x, int y, int width, int height) = 0;
  virtual std::string SetState(int window, ShowState state) = 0;
};

}  // namespace zelvo
