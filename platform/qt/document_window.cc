#include "platform/qt/document_window.h"

#include <QCloseEvent>

#include "platform/qt/qt_text.h"

namespace zelvo {

DocumentWindow::DocumentWindow(const WindowState& state, ReportInput report)
    : handle_(state.handle), procedure_(state.definition->Procedure()), resizable_(state.definition->resizable),
      report_(report) {
  form_ = new FormView(*state.definition, report);
  setWidget(form_);
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(ToQString(state.caption));
  if (!resizable_) setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
  placement_ = new PlacementReporter(*this, [this] { return form_->VisibleRows(); }, std::move(report));
  QObject::connect(this, &QMdiSubWindow::windowStateChanged, this, [this] { placement_->Changed(); });
}

void DocumentWindow::Place(const WindowState& state) {
  adjustSize();
  move(state.x, state.y);
  if (!resizable_) setFixedSize(size());
}

void DocumentWindow::ApplyPlacement(const WindowState& state) {
  if (state.state == 0 && (isMaximized() || isMinimized())) showNormal();
  if (state.width > 0 && state.height > 0 && geometry() != QRect(state.x, state.y, state.width, state.height)) {
    if (resizable_) {
      setGeometry(state.x, state.y, state.width, state.height);
    } else {
      move(state.x, state.y);
    }
  }
  if (state.state == 1 && !isMaximized()) showMaximized();
  if (state.state == 2 && !isMinimized()) showMinimized();
}

void DocumentWindow::Apply(const WindowState& state, bool active) {
  const QString caption = ToQString(state.caption);
  if (windowTitle() != caption) setWindowTitle(caption);
  form_->Apply(state, active);
  if (state.placementChanged) ApplyPlacement(state);
}

void DocumentWindow::CloseForGood() {
  closing_ = true;
  close();
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    QMdiSubWindow::closeEvent(event);
    return;
  }
  event->ignore();
  UserInput input;
  input.kind = UserInput::Kind::CloseBox;
  report_(std::move(input));
}

void DocumentWindow::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  placement_->Changed();
}

void DocumentWindow::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  placement_->Changed();
}

}  // namespace zelvo
