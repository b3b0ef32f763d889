#include "platform/qt/pages_control.h"

#include <algorithm>

#include <QColor>
#include <QEvent>
#include <QPainter>
#include <QPen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include "platform/qt/page_painter.h"

namespace zelvo {

// The sheets drawn inside the scroll area; sized by the zoom.
class PageSheets final : public QWidget {
 public:
  explicit PageSheets(QScrollArea& area) : area_(area) { setAutoFillBackground(false); }

  void Show(const PageDisplay& display) {
    display_ = display;
    Resize();
    update();
  }
  const PageDisplay& Shown() const { return display_; }
  void Resize() {
    const QSize size = SheetsSize();
    setFixedSize(size);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    if (!display_.pages) return;
    const Paper& paper = display_.pages->paper;
    const double mm = PixelsPerMillimetre();
    const int count = static_cast<int>(display_.pages->pages.size());
    for (int row = 0; row < display_.down; ++row)
      for (int column = 0; column < display_.across; ++column) {
        const int number = display_.first + row * display_.across + column;
        if (number < 1 || number > count) continue;
        const QPointF corner(kGap + column * (paper.width * mm + kGap), kGap + row * (paper.height * mm + kGap));
        const QRectF sheet(corner, QSizeF(paper.width * mm, paper.height * mm));
        painter.fillRect(sheet, Qt::white);
        painter.save();
        painter.translate(corner);
        painter.setClipRect(QRectF(0, 0, sheet.width(), sheet.height()));
        PaintPage(painter, display_.pages->pages[static_cast<std::size_t>(number - 1)], mm);
        painter.restore();
        if (number == display_.current) {
          QPen frame(QColor(0, 90, 200));
          frame.setWidth(2);
          painter.setPen(frame);
          painter.drawRect(sheet.adjusted(-2, -2, 2, 2));
        }
      }
  }

 private:
  static constexpr double kGap = 8;  // pixels around the sheets

  double PixelsPerMillimetre() const {
    if (!display_.pages) return 1;
    const Paper& paper = display_.pages->paper;
    const QSize view = area_.viewport()->size();
    const double across = std::max(display_.across, 1), down = std::max(display_.down, 1);
    const double toFitWidth = (view.width() - kGap * (across + 1)) / (across * paper.width);
    const double toFitHeight = (view.height() - kGap * (down + 1)) / (down * paper.height);
    double mm = logicalDpiX() / 25.4 * std::max(display_.zoom, 1) / 100.0;
    if (display_.zoom == PageDisplay::kZoomPageWidth) mm = toFitWidth;
    if (display_.zoom == PageDisplay::kZoomTile) mm = std::min(toFitWidth, toFitHeight);
    return std::max(mm, 0.2);
  }

  QSize SheetsSize() const {
    if (!display_.pages) return {1, 1};
    const Paper& paper = display_.pages->paper;
    const double mm = PixelsPerMillimetre();
    return {static_cast<int>(kGap + display_.across * (paper.width * mm + kGap)),
            static_cast<int>(kGap + display_.down * (paper.height * mm + kGap))};
  }

  QScrollArea& area_;
  PageDisplay display_;
};

namespace {

// Keeps the fitted zooms fitted when the window is resized.
class ResizeWatcher final : public QObject {
 public:
  ResizeWatcher(PageSheets& sheets, QObject* parent) : QObject(parent), sheets_(sheets) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) sheets_.Resize();
    return false;
  }

 private:
  PageSheets& sheets_;
};

}  // namespace

PagesControl::PagesControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), area_(new QScrollArea) {
  sheets_ = new PageSheets(*area_);
  area_->setWidget(sheets_);
  area_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  area_->setMinimumSize(480, 360);
  area_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  area_->viewport()->installEventFilter(new ResizeWatcher(*sheets_, area_));
  Claim(area_);
}

QWidget* PagesControl::Widget() const { return area_; }

void PagesControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  const PageDisplay& now = sheets_->Shown();
  const PageDisplay& next = state.pages;
  if (now.pages == next.pages && now.first == next.first && now.across == next.across && now.down == next.down &&
      now.current == next.current && now.zoom == next.zoom)
    return;
  const bool moved = now.first != next.first || now.pages != next.pages;
  sheets_->Show(next);
  if (moved) area_->verticalScrollBar()->setValue(0);
}

void PagesControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.pages = sheets_->Shown();
  view.shown = PagesShown(view.pages);
}

}  // namespace zelvo
