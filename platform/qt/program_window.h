// ProgramWindow: what every window of the program is, whichever Qt window
// holds it (the frame's main window, a document's MDI sub-window): its
// handle and procedure, its caption, a close box that asks the model
// (CloseBox) instead of closing — the window goes when the model closes it —
// its placement reported as it changes and carried out when the program
// moves it.
#pragma once

#include <string>
#include <vector>

#include <QCloseEvent>
#include <QEvent>

#include "platform/qt/placement_reporter.h"
#include "platform/qt/qt_text.h"

namespace zelvo {

template <class QtWindow>
class ProgramWindow : public QtWindow {
 public:
  int Handle() const { return handle_; }
  const std::string& Procedure() const { return procedure_; }
  PlacementReporter& Placement() const { return *placement_; }
  // The program keeps the window hidden (Window::Show(0, false)).
  bool HiddenByProgram() const { return hiddenByProgram_; }

  // The model closed the window: it goes.
  void CloseForGood() {
    closing_ = true;
    this->close();
  }

 protected:
  ProgramWindow(const WindowState& state, ReportInput report)
      : handle_(state.handle), procedure_(state.definition->Procedure()),
        resizable_(state.definition->resizable), report_(report) {
    this->setWindowTitle(ToQString(state.caption));
    placement_ = new PlacementReporter(*this, [this] { return VisibleRows(); }, std::move(report));
  }

  // The rows each list of the window shows, lists in id order.
  virtual std::vector<int> VisibleRows() const = 0;

  // The caption, and the placement when the program changed it.
  void ApplyWindow(const WindowState& state) {
    const QString caption = ToQString(state.caption);
    if (this->windowTitle() != caption) this->setWindowTitle(caption);
    if (state.visible == hiddenByProgram_) {
      hiddenByProgram_ = !state.visible;
      this->setVisible(state.visible);
    }
    if (!state.placementChanged) return;
    if (state.state == 0 && (this->isMaximized() || this->isMinimized())) this->showNormal();
    const QRect wanted(state.x, state.y, state.width, state.height);
    if (!this->isMaximized() && !this->isMinimized() && !wanted.isEmpty() && this->geometry() != wanted) {
      if (resizable_) {
        this->setGeometry(wanted);
      } else {
        this->move(wanted.topLeft());
      }
    }
    if (state.state == 1 && !this->isMaximized()) this->showMaximized();
    if (state.state == 2 && !this->isMinimized()) this->showMinimized();
  }

  bool Resizable() const { return resizable_; }

  void closeEvent(QCloseEvent* event) override {
    if (closing_) {
      QtWindow::closeEvent(event);
      return;
    }
    event->ignore();
    UserInput input;
    input.kind = UserInput::Kind::CloseBox;
    report_(std::move(input));
  }
  void moveEvent(QMoveEvent* event) override {
    QtWindow::moveEvent(event);
    placement_->Changed();
  }
  void resizeEvent(QResizeEvent* event) override {
    QtWindow::resizeEvent(event);
    placement_->Changed();
  }
  void changeEvent(QEvent* event) override {
    QtWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) placement_->Changed();
  }

 private:
  int handle_;
  std::string procedure_;
  bool resizable_;
  ReportInput report_;
  PlacementReporter* placement_;
  bool closing_ = false;
  bool hiddenByProgram_ = false;
};

}  // namespace zelvo
