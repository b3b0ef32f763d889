#include "platform/qt/qt_presenter.h"

#include "platform/qt/desktop.h"
#include "platform/qt/gui_thread.h"

namespace zelvo {

void QtPresenter::Opened(const WindowState& window) { OnGui([&] { desktop_.Opened(window); }); }
void QtPresenter::Changed(const WindowState& window) { OnGui([&] { desktop_.Changed(window); }); }
void QtPresenter::Closed(int handle) { OnGui([&] { desktop_.Closed(handle); }); }

void QtPresenter::ShowMessage(int handle, const MessageBoxRequest& request) {
  OnGui([&] { desktop_.ShowMessage(handle, request); });
}

void QtPresenter::ShowPopup(int handle, ControlId list, const std::vector<PopupItem>& items) {
  OnGui([&] { desktop_.ShowPopup(handle, list, items); });
}

void QtPresenter::SetWaitCursor(bool wait) { OnGui([&] { desktop_.SetWaitCursor(wait); }); }
void QtPresenter::SetStatusText(const std::string& text) { OnGui([&] { desktop_.SetStatusText(text); }); }
void QtPresenter::Perform(StandardAction action) { OnGui([&] { desktop_.Perform(action); }); }

}  // namespace zelvo
