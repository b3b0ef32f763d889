#include "platform/qt/desktop.h"

#include <QApplication>
#include <QCursor>
#include <QMdiArea>

#include "platform/qt/document_window.h"
#include "platform/qt/frame_window.h"
#include "platform/qt/message_dialog.h"
#include "platform/qt/popup_menu.h"
#include "platform/qt/program_icon.h"
#include "platform/qt/qt_text.h"

namespace zelvo {

Desktop::Desktop(InputSink sink) : sink_(std::move(sink)) {}

Desktop::~Desktop() {
  SetWaitCursor(false);
  for (const auto& [handle, document] : documents_) delete document;
  delete frame_;
}

ReportInput Desktop::ReporterFor(int handle) {
  return [this, handle](UserInput input) {
    ++inputs_;
    sink_(handle, std::move(input));
  };
}

DocumentWindow* Desktop::Document(int handle) const {
  const auto found = documents_.find(handle);
  return found == documents_.end() ? nullptr : found->second;
}

void Desktop::Opened(const WindowState& opened) {
  // Where the model put the window at opening is its nominal guess: the
  // window takes its own size and reports it.
  WindowState window = opened;
  window.placementChanged = false;
  if (window.definition->Kind() == WindowKind::Frame) {
    delete frame_;
    frame_ = new FrameWindow(window, ReporterFor(window.handle));
    QObject::connect(&frame_->Area(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* activated) {
      auto* document = dynamic_cast<DocumentWindow*>(activated);
      if (!document) return;
      document->Form().TakeFocus();
      UserInput input;
      input.kind = UserInput::Kind::Activate;
      ReporterFor(document->Handle())(input);
    });
    frame_->Place(window);
    frame_->Apply(window);
    frame_->show();
    frame_->activateWindow();
    frame_->Placement().ReportNow();
  } else {
    auto* document = new DocumentWindow(window, ReporterFor(window.handle));
    document->setWindowIcon(ProgramIcon());
    documents_[window.handle] = document;
    if (frame_) frame_->Area().addSubWindow(document);
    document->Place(window);
    document->Apply(window, false);
    document->show();
    if (frame_) frame_->Area().setActiveSubWindow(document);
    document->Form().TakeFocus();
    document->Placement().ReportNow();
  }
  handles_.push_back(window.handle);
}

void Desktop::Changed(const WindowState& window) {
  if (frame_ && frame_->Handle() == window.handle) {
    frame_->Apply(window);
  } else if (DocumentWindow* document = Document(window.handle)) {
    const bool active = !frame_ || frame_->Area().activeSubWindow() == document;
    document->Apply(window, active);
  }
}

void Desktop::Closed(int handle) {
  std::erase(handles_, handle);
  if (DocumentWindow* document = Document(handle)) {
    documents_.erase(handle);
    document->CloseForGood();
    document->deleteLater();
    return;
  }
  if (frame_ && frame_->Handle() == handle) {
    for (const auto& [other, document] : documents_) std::erase(handles_, other);
    documents_.clear();  // they go with the frame's area
    frame_->CloseForGood();
    frame_->deleteLater();
    frame_ = nullptr;
  }
}

MessageDialog* Desktop::Message() const {
  for (auto it = messages_.rbegin(); it != messages_.rend(); ++it)
    if (*it && (*it)->isVisible()) return it->data();
  return nullptr;
}

void Desktop::ShowMessage(int handle, const MessageBoxRequest& request) {
  std::erase_if(messages_, [](const QPointer<MessageDialog>& message) { return message.isNull(); });
  auto* message = new MessageDialog(request, ReporterFor(handle), frame_);
  message->setWindowIcon(ProgramIcon());
  messages_.emplace_back(message);
  message->show();
}

void Desktop::ShowPopup(int handle, ControlId list, const std::vector<PopupItem>& items) {
  ReportInput report = [reporter = ReporterFor(handle), list](UserInput input) {
    input.control = list;
    reporter(std::move(input));
  };
  auto* popup = new PopupMenu(items, std::move(report), frame_);
  popup->popup(QCursor::pos());
}

void Desktop::SetWaitCursor(bool wait) {
  if (wait == waiting_) return;
  waiting_ = wait;
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void Desktop::SetStatusText(const std::string& text) {
  if (frame_) frame_->SetStatusText(ToQString(text));
}

void Desktop::Perform(StandardAction action) {
  if (frame_) frame_->Perform(action);
}

}  // namespace zelvo
