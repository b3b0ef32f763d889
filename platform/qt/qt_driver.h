// QtDriver: the user's hands and eyes on the Qt back end. It acts on the
// real widgets as a user does — mouse clicks on buttons, boxes, rows, tabs,
// menu titles and items, key presses to the widget with the keyboard focus
// (QTest's events, sent on the GUI thread) — and reads what the widgets
// show, never the window model. A script that passes on the headless driver
// and fails here shows a display fault.
//
// Idle is the model's idle (every procedure thread waits for input, no timer
// armed) with nothing left for the GUI thread to do: no posted event still
// to handle, and no input handed to the model since the model was idle.
//
// Runs on a thread of its own, never the GUI thread (it waits for it) and
// never a procedure thread.
#pragma once

#include <functional>

#include "platform/qt/qt_runtime.h"
#include "platform/user_driver.h"

namespace zelvo {

class FormView;

class QtDriver final : public UserDriver {
 public:
  explicit QtDriver(QtRuntime& runtime) : runtime_(runtime) {}

  [[nodiscard]] bool WaitIdle(double seconds, std::string* busy) override;
  bool Ended() const override { return runtime_.Ended(); }
  void Quit() override { runtime_.Quit(1); }

  std::vector<WindowView> Windows() const override;
  std::optional<MessageView> Message() const override;
  std::vector<MenuItemView> Menu() const override;
  std::string StatusText() const override;

  std::string ChooseMenu(const std::vector<std::string>& path) override;
  std::string Type(int window, ControlId control, const std::string& text) override;
  std::string Press(int window, ControlId control) override;
  std::string Choose(int window, ControlId radio, int option) override;
  std::string Click(int window, ControlId control) override;
  std::string ChooseTab(int window, ControlId sheet, int tab) override;
  std::string SelectRow(int window, ControlId list, int row) override;
  std::string PressKey(int window, ControlId control, NamedKey key) override;
  std::string Answer(const std::string& button) override;
  std::string Close(int window) override;
  std::string Place(int window, int x, int y, int width, int height) override;
  std::string SetState(int window, ShowState state) override;

 private:
  struct Target;
  // Runs `act` on the GUI thread on the window `handle`, which must take
  // input; a document window not active is activated first, as a click into
  // it does. `act` answers "" when done, else why not.
  std::string Act(int handle, const std::function<std::string(Target&)>& act);

  QtRuntime& runtime_;
};

}  // namespace zelvo
