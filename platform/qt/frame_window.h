// FrameWindow: the program's frame — a main window with the menu bar made
// from its definition, a status bar, and the document area (an MDI area)
// where every other window opens. Controls of the frame's definition that
// are not menus (a toolbar's buttons) stand in a tool bar under the menu.
//
// Its close box asks the model (CloseBox); the frame goes when the model
// closes it. The standard actions — tile, cascade, arrange icons and the
// printer set-up — are carried out here when the model asks.
#pragma once

#include <memory>
#include <string>

#include <QMainWindow>

#include "platform/qt/form_view.h"
#include "platform/qt/menu_bar.h"
#include "platform/qt/placement_reporter.h"

class QLabel;
class QMdiArea;
class QPrinter;

namespace zelvo {

class FrameWindow final : public QMainWindow {
 public:
  FrameWindow(const WindowState& state, ReportInput report);
  ~FrameWindow() override;

  int Handle() const { return handle_; }
  const std::string& Procedure() const { return procedure_; }
  QMdiArea& Area() const { return *area_; }
  const MenuBar& Menus() const { return *menus_; }
  FormView& Form() const { return *form_; }
  PlacementReporter& Placement() const { return *placement_; }

  void Apply(const WindowState& state);
  // The first placement: most of the screen.
  void Place(const WindowState& state);
  void SetStatusText(const QString& text);
  // What the status bar shows: a highlighted item's status text over the program's text.
  QString StatusText() const;
  // Tile, cascade, arrange icons, or the printer set-up (modal, returns when it closes).
  void Perform(StandardAction action);
  void CloseForGood();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ArrangeIcons();

  int handle_;
  std::string procedure_;
  ReportInput report_;
  QMdiArea* area_;
  std::unique_ptr<MenuBar> menus_;
  FormView* form_;
  QLabel* status_;
  PlacementReporter* placement_;
  std::unique_ptr<QPrinter> printer_;
  bool closing_ = false;
};

}  // namespace zelvo
