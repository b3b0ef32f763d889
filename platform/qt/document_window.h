// DocumentWindow: a window of the program inside the frame — an MDI
// sub-window holding the window's FormView. Its close box asks the model
// (CloseBox) instead of closing; it closes when the model closes it. Where
// it is, after the user or the program moved it, is reported through a
// PlacementReporter.
//
// A window opens as large as its controls ask (lists as tall as their rows),
// at the place the model gives; the model's size at opening is the nominal
// one of a display without widgets and is not used here.
#pragma once

#include <string>

#include <QMdiSubWindow>

#include "platform/qt/form_view.h"
#include "platform/qt/placement_reporter.h"

namespace zelvo {

class DocumentWindow final : public QMdiSubWindow {
 public:
  DocumentWindow(const WindowState& state, ReportInput report);

  int Handle() const { return handle_; }
  const std::string& Procedure() const { return procedure_; }
  FormView& Form() const { return *form_; }
  PlacementReporter& Placement() const { return *placement_; }

  // Shows the state; `active` when this is the frame's active window.
  void Apply(const WindowState& state, bool active);
  // The first placement, once the window is in the frame.
  void Place(const WindowState& state);
  // The model closed the window: it goes.
  void CloseForGood();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ApplyPlacement(const WindowState& state);

  int handle_;
  std::string procedure_;
  bool resizable_;
  ReportInput report_;
  FormView* form_;
  PlacementReporter* placement_;
  bool closing_ = false;
};

}  // namespace zelvo
