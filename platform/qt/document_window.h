// DocumentWindow: a window of the program inside the frame — an MDI
// sub-window holding the window's FormView.
//
// A window opens as large as its controls ask (lists as tall as their rows),
// at the place the model gives; the model's size at opening is the nominal
// one of a display without widgets and is not used here.
#pragma once

#include <QMdiSubWindow>

#include "platform/qt/form_view.h"
#include "platform/qt/program_window.h"

namespace zelvo {

class DocumentWindow final : public ProgramWindow<QMdiSubWindow> {
 public:
  DocumentWindow(const WindowState& state, ReportInput report);

  FormView& Form() const { return *form_; }

  // Shows the state; `active` when this is the frame's active window.
  void Apply(const WindowState& state, bool active);
  // The first placement, once the window is in the frame.
  void Place(const WindowState& state);

 protected:
  std::vector<int> VisibleRows() const override { return form_->VisibleRows(); }

 private:
  FormView* form_;
};

}  // namespace zelvo
