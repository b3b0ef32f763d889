// QtPresenter: the window model's Presenter for the Qt display. Each call
// arrives on a procedure thread and is carried over to the GUI thread, where
// the Desktop changes the widgets; the caller waits until that is done, so
// the state it passes by reference stays valid and the display is in step
// before the caller gives the run token up. The GUI thread never waits for a
// procedure thread, so the wait always ends.
#pragma once

#include "platform/model/presenter.h"

namespace zelvo {

class Desktop;

class QtPresenter final : public Presenter {
 public:
  explicit QtPresenter(Desktop& desktop) : desktop_(desktop) {}

  void Opened(const WindowState& window) override;
  void Changed(const WindowState& window) override;
  void Closed(int handle) override;
  void ShowMessage(int handle, const MessageBoxRequest& request) override;
  void ShowPopup(int handle, ControlId list, const std::vector<PopupItem>& items) override;
  void SetWaitCursor(bool wait) override;
  void SetStatusText(const std::string& text) override;
  void Perform(StandardAction action) override;

 private:
  Desktop& desktop_;
};

}  // namespace zelvo
