#include "platform/qt/document_window.h"

namespace zelvo {

DocumentWindow::DocumentWindow(const WindowState& state, ReportInput report)
    : ProgramWindow(state, report), form_(new FormView(*state.definition, std::move(report))) {
  setWidget(form_);
  setAttribute(Qt::WA_DeleteOnClose, false);
  if (!Resizable()) setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
}

void DocumentWindow::Place(const WindowState& state) {
  adjustSize();
  move(state.x, state.y);
  if (!Resizable()) setFixedSize(size());
}

void DocumentWindow::Apply(const WindowState& state, bool active) {
  form_->Apply(state, active);
  ApplyWindow(state);
}

}  // namespace zelvo
