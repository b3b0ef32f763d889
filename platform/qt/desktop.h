// Desktop: every widget of the running program, on the GUI thread — the
// frame, its document windows, the open message boxes and popups, the wait
// cursor — made and changed as the presenter says, with everything the user
// does reported through one sink as UserInput for the window it concerns.
//
// The user driver looks at the program through it (the frame, the windows in
// the order they opened, the message box on top) and knows from the count of
// inputs reported whether the display has given the model anything new.
//
// GUI thread only.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include <QObject>
#include <QPointer>

#include "platform/model/presenter.h"
#include "platform/qt/control_widget.h"

namespace zelvo {

class DocumentWindow;
class FrameWindow;
class MessageDialog;

// Where the display's input goes: the window model's input entry
// (WindowModel::Input), with the handle of the window it concerns.
using InputSink = std::function<void(int window, UserInput input)>;

class Desktop final : public QObject {
 public:
  explicit Desktop(InputSink sink);
  ~Desktop() override;

  void Opened(const WindowState& window);
  void Changed(const WindowState& window);
  void Closed(int handle);
  void ShowMessage(int handle, const MessageBoxRequest& request);
  void ShowPopup(int handle, ControlId list, const std::vector<PopupItem>& items);
  void SetWaitCursor(bool wait);
  void SetStatusText(const std::string& text);
  void Perform(StandardAction action);

  FrameWindow* Frame() const { return frame_; }
  DocumentWindow* Document(int handle) const;
  // The open windows' handles in the order they opened, the frame first.
  const std::vector<int>& Handles() const { return handles_; }
  // The message box opened last of those still open; null for none.
  MessageDialog* Message() const;
  // Inputs reported so far: safe from any thread.
  std::uint64_t InputsReported() const { return inputs_.load(); }

 private:
  ReportInput ReporterFor(int handle);

  InputSink sink_;
  FrameWindow* frame_ = nullptr;
  std::map<int, DocumentWindow*> documents_;
  std::vector<int> handles_;
  std::vector<QPointer<MessageDialog>> messages_;
  bool waiting_ = false;
  std::atomic<std::uint64_t> inputs_{0};
};

}  // namespace zelvo
