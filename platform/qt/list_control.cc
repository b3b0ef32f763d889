#include "platform/qt/list_control.h"

#include <algorithm>

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QWheelEvent>

#include "platform/qt/list_model.h"
#include "platform/qt/picture_metrics.h"
#include "platform/qt/qt_text.h"

namespace zelvo {
namespace {

constexpr int kCellPadding = 8;   // pixels beside a cell's text
constexpr int kLinePadding = 4;   // pixels above and below a row's lines
constexpr int kWheelNotch = 120;  // angle of one notch of the wheel

}  // namespace

// The item view, sized for the definition's rows and its columns' pictures.
class ListControl::View final : public QTableView {
 public:
  View(const ListModel& model, int rows) : model_(model), rows_(std::max(rows, 1)) {}

  int RowHeight() const { return model_.Lines() * fontMetrics().lineSpacing() + 2 * kLinePadding; }

  void FitColumns() {
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const int headerMargins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    for (int cell = 0; cell < model_.CellCount(); ++cell) {
      int width = CharacterWidths(*this, model_.CellCharacters(cell)) + 2 * kCellPadding;
      // A header longer than the column's values would be cut: the column takes its width.
      for (const QString& line : model_.CellHeader(cell).split(u'\n'))
        width = std::max(width, headerMetrics.horizontalAdvance(line) + headerMargins + kCellPadding);
      setColumnWidth(cell, width);
    }
    verticalHeader()->setMinimumSectionSize(RowHeight());
    verticalHeader()->setDefaultSectionSize(RowHeight());
  }

  QSize sizeHint() const override { return Size(rows_); }
  QSize minimumSizeHint() const override { return Size(1); }

 protected:
  // The font and the header's height are known for sure only once the view
  // is polished: the widths and the height asked for follow them.
  bool event(QEvent* event) override {
    const bool handled = QTableView::event(event);
    if (event->type() == QEvent::Polish || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange) {
      FitColumns();
      updateGeometry();
    }
    return handled;
  }

 private:
  QSize Size(int rows) const {
    int width = 2 * frameWidth();
    for (int cell = 0; cell < model_.CellCount(); ++cell) width += columnWidth(cell);
    const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->sizeHint().height();
    return {width, 2 * frameWidth() + header + rows * RowHeight()};
  }

  const ListModel& model_;
  int rows_;
};

ListControl::ListControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), box_(new QWidget), bar_(new QScrollBar(Qt::Vertical)) {
  model_ = new ListModel(definition.columns, box_);
  view_ = new View(*model_, definition.rows);
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view_->setAutoScroll(false);
  view_->setTabKeyNavigation(false);
  view_->setWordWrap(false);
  view_->setShowGrid(false);
  view_->setAlternatingRowColors(true);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->horizontalHeader()->setSectionsClickable(false);
  view_->horizontalHeader()->setHighlightSections(false);
  view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  bool headers = false;
  for (const ColumnDefinition& column : definition.columns) headers = headers || !column.header.empty();
  view_->horizontalHeader()->setVisible(headers);
  view_->FitColumns();
  view_->viewport()->installEventFilter(this);

  bar_->setRange(0, 100);
  bar_->setPageStep(10);
  bar_->setFocusPolicy(Qt::NoFocus);
  QSizePolicy keepPlace = bar_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(definition.scrollbar);
  bar_->setSizePolicy(keepPlace);
  bar_->hide();
  QObject::connect(bar_, &QScrollBar::actionTriggered, this, [this](int action) { ScrollbarAction(action); });
  QObject::connect(bar_, &QScrollBar::sliderReleased, this, [this] {
    UserInput input;
    input.kind = UserInput::Kind::Drag;
    input.value = bar_->sliderPosition();
    Report(input);
  });

  auto* layout = new QHBoxLayout(box_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  layout->addWidget(bar_);
  box_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  Claim(box_);
}

QWidget* ListControl::Widget() const { return box_; }
QWidget* ListControl::FocusTarget() const { return view_; }
QTableView* ListControl::Table() const { return view_; }

int ListControl::VisibleRows() const { return std::max(view_->viewport()->height(), 0) / view_->RowHeight(); }

void ListControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  model_->SetRows(state.rows);
  QItemSelectionModel& selection = *view_->selectionModel();
  if (state.selection >= 1 && state.selection <= model_->rowCount()) {
    const QModelIndex row = model_->index(state.selection - 1, 0);
    if (selection.currentIndex().row() != row.row() || !selection.isRowSelected(row.row()))
      selection.setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else if (selection.hasSelection() || selection.currentIndex().isValid()) {
    selection.clearCurrentIndex();
    selection.clearSelection();
  }
  // Rows the user's resizing hid for a moment stay below: the top row is the program's.
  view_->verticalScrollBar()->setValue(0);
  const bool thumb = Definition().scrollbar && state.thumbShown;
  if (bar_->isHidden() == thumb) bar_->setHidden(!thumb);
  if (!bar_->isSliderDown() && bar_->value() != state.thumb) {
    const QSignalBlocker quiet(bar_);
    bar_->setValue(state.thumb);
  }
}

void ListControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  for (const QString& header : model_->Headers()) view.headers.push_back(ToUtf8(header));
  for (int row = 0; row < model_->rowCount(); ++row) {
    std::vector<std::string>& texts = view.rows.emplace_back();
    for (const QString& text : model_->RowTexts(row)) texts.push_back(ToUtf8(text));
  }
  const QModelIndex current = view_->selectionModel()->currentIndex();
  view.selection = current.isValid() ? current.row() + 1 : 0;
  view.visibleRows = VisibleRows();
}

void ListControl::PlaceOver(QWidget* editor, int row, int column) const {
  const int cell = std::max(model_->CellOfColumn(column), 0);
  const QRect area(view_->columnViewportPosition(cell), (row - 1) * view_->RowHeight(), view_->columnWidth(cell),
                   view_->RowHeight());
  if (editor->parentWidget() != view_->viewport()) editor->setParent(view_->viewport());
  editor->setMinimumSize(0, 0);
  editor->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  editor->setGeometry(area);
  editor->raise();
}

QRect ListControl::RowRect(int row) const {
  if (row < 1 || row > model_->rowCount() || row > VisibleRows()) return {};
  return view_->visualRect(model_->index(row - 1, 0));
}

bool ListControl::eventFilter(QObject*, QEvent* event) { return Mouse(event); }

bool ListControl::Mouse(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint at = mouse->position().toPoint();
      const int row = view_->rowAt(at.y());
      if (row < 0) return true;
      UserInput input;
      input.row = row + 1;
      input.column = model_->FirstColumnOfCell(view_->columnAt(at.x()));
      if (mouse->button() == Qt::RightButton) {
        if (event->type() != QEvent::MouseButtonPress) return true;
        input.kind = UserInput::Kind::RightClickRow;
      } else if (mouse->button() == Qt::LeftButton) {
        input.kind = event->type() == QEvent::MouseButtonDblClick ? UserInput::Kind::DoubleClickRow
                                                                    : UserInput::Kind::ClickRow;
      } else {
        return true;
      }
      Report(input);
      return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
      return true;  // no dragging a selection: the model selects
    case QEvent::Wheel: {
      wheelAngle_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
      const int notches = wheelAngle_ / kWheelNotch;
      if (notches != 0) {
        wheelAngle_ -= notches * kWheelNotch;
        UserInput input;
        input.kind = UserInput::Kind::Wheel;
        input.value = -notches * QApplication::wheelScrollLines();
        Report(input);
      }
      return true;
    }
    default:
      return false;
  }
}

void ListControl::ReportKey(KeyCode key) {
  UserInput input;
  input.kind = UserInput::Kind::Key;
  input.key = key;
  Report(input);
}

void ListControl::ScrollbarAction(int action) {
  UserInput wheel;
  wheel.kind = UserInput::Kind::Wheel;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
      wheel.value = action == QAbstractSlider::SliderSingleStepAdd ? 1 : -1;
      Report(wheel);
      break;
    case QAbstractSlider::SliderPageStepAdd: ReportKey(kPageDown); break;
    case QAbstractSlider::SliderPageStepSub: ReportKey(kPageUp); break;
    default:
      return;  // the thumb follows the mouse until it is let go
  }
  // The thumb stays where the program put it until the program moves it.
  bar_->setSliderPosition(State().thumb);
}

}  // namespace zelvo
