// HeadlessDriver: the user's hands and eyes on the headless back end. It
// reads the window model's state holding the run token (texts converted to
// UTF-8) and acts by handing the model the input a user's keyboard and mouse
// would give: a click into a control is a focus input, typing replaces the
// text key by key and leaves with Tab, a window not active is activated
// first, as a click into it would.
//
// Placement: a list gains or loses whole rows (16 pixels each) as the window
// is made taller or shorter than its nominal size; a maximized window takes
// the frame's size.
//
// Runs on a thread of its own, never a procedure thread.
#pragma once

#include "platform/model/window_model.h"
#include "platform/user_driver.h"

namespace zelvo {

class HeadlessDriver final : public UserDriver {
 public:
  explicit HeadlessDriver(WindowModel& model) : model_(model) {}

  [[nodiscard]] bool WaitIdle(double seconds, std::string* busy) override;
  bool Ended() const override { return model_.Ended(); }
  void Quit() override { model_.Quit(1); }

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
  // Runs `act` on the window `handle` holding the token: `act` answers "" and
  // fills the inputs to hand the model, or says why the user cannot act. A
  // window that is not open, or takes no input when `needsInput`, is said here.
  std::string Act(int handle, bool needsInput,
                  const std::function<std::string(const ModelWindow&, std::vector<UserInput>&)>& act);
  std::string Placed(int handle, int x, int y, int width, int height, int state);

  WindowModel& model_;
};

}  // namespace zelvo
