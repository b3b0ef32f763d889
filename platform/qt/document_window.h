// DocumentWindow: a window of the program inside the frame — an MDI
// sub-window holding the window's FormView. Its close box asks the model
// (CloseBox) instead of closing; it closes when the model closes it. Where
// the user moves or sizes it is reported through a PlacementReporter; where
// the program places it is applied without a report.
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
  const PlacementReporter& Placement() const { return *placement_; }

  // Shows the state; `active` when this is the frame's active window.
  void Apply(const WindowState& state, bool active);
  // The first placement, once the window is in the frame: the program's, or
  // the size the layout asks for where the program gave none.
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
