// FrameWindow: the program's frame — a main window with the menu bar made
// from its definition, a status bar, and the document area (an MDI area)
// where every other window opens. Controls of the frame's definition that
// are not menus (a toolbar's buttons) stand in a tool bar under the menu.
// The standard actions — tile, cascade, arrange icons and the printer
// set-up — are carried out here when the model asks.
#pragma once

#include <memory>

#include <QMainWindow>

#include "platform/qt/form_view.h"
#include "platform/qt/menu_bar.h"
#include "platform/qt/program_window.h"

class QLabel;
class QMdiArea;
class QPrinter;

namespace zelvo {

class FrameWindow final : public ProgramWindow<QMainWindow> {
 public:
  FrameWindow(const WindowState& state, ReportInput report);
  ~FrameWindow() override;

  QMdiArea& Area() const { return *area_; }
  const MenuBar& Menus() const { return *menus_; }
  FormView& Form() const { return *form_; }

  void Apply(const WindowState& state);
  // The first placement: most of the screen.
  void Place(const WindowState& state);
  void SetStatusText(const QString& text);
  // What the status bar shows: a highlighted item's status text over the program's text.
  QString StatusText() const;
  // Tile, cascade, arrange icons, or the printer set-up (modal, returns when it closes).
  void Perform(StandardAction action);

 protected:
  std::vector<int> VisibleRows() const override { return form_->VisibleRows(); }

 private:
  void ArrangeIcons();

  QMdiArea* area_;
  std::unique_ptr<MenuBar> menus_;
  FormView* form_;
  QLabel* status_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace zelvo
