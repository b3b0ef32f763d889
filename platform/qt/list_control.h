// ListControl: rows of columns that the program pages, shown in an item view
// over a ListModel, with a scrollbar of its own beside it.
//
// The list never scrolls by itself: it holds exactly the rows the program
// set, the view's own scrolling is off, and every way of moving goes to the
// model — a click reports ClickRow (DoubleClickRow, RightClickRow), the
// wheel reports Wheel in rows, the scrollbar's arrows Wheel by one row, its
// page areas the PageUp and PageDown keys, and its thumb, when let go,
// Drag with its position (0..100). The program answers with new rows, a
// selection and a thumb position.
//
// Column widths follow the pictures (or the widths the definition gives) in
// average character widths; the list is as tall as the rows its definition
// asks for until the user resizes its window, and VisibleRows says how many
// whole rows fit at its present size.
#pragma once

#include "platform/qt/control_widget.h"

class QScrollBar;
class QTableView;

namespace zelvo {

class ListModel;

class ListControl final : public ControlWidget {
 public:
  ListControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  QWidget* FocusTarget() const override;
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

  int VisibleRows() const;
  // Lays `editor` over the cell of `row` and `column` (1-based, the column
  // of the definition), as in-place editing asks.
  void PlaceOver(QWidget* editor, int row, int column) const;
  // Where the first cell of row `row` (1-based) is in the view's viewport,
  // for the user driver's clicks; an empty rectangle for a row not shown.
  QRect RowRect(int row) const;
  QTableView* Table() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class View;
  bool Mouse(QEvent* event);
  void ScrollbarAction(int action);
  void ReportKey(KeyCode key);

  QWidget* box_;
  View* view_;
  QScrollBar* bar_;
  ListModel* model_;
  int wheelAngle_ = 0;  // wheel turns of less than a notch, kept until they add up
};

}  // namespace zelvo
