#include "platform/qt/page_painter.h"

#include <map>
#include <utility>

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

constexpr double kRuleWidth = 0.2;  // mm

int FlagsOf(TextAlignment alignment) {
  const int horizontal = alignment == TextAlignment::Center  ? Qt::AlignHCenter
                         : alignment == TextAlignment::Right ? Qt::AlignRight
                                                             : Qt::AlignLeft;
  return horizontal | Qt::AlignTop | Qt::TextSingleLine;
}

}  // namespace

void PaintPage(QPainter& painter, const ReportPage& page, double pixelsPerMillimetre) {
  const double mm = pixelsPerMillimetre;
  const double deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96.0;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  QPen rule(Qt::black);
  rule.setWidthF(kRuleWidth * mm);
  painter.setPen(rule);
  painter.setBrush(Qt::NoBrush);
  std::map<std::pair<double, bool>, QFont> fonts;
  for (const PageItem& item : page.items) {
    switch (item.kind) {
      case PageItem::Kind::Line:
        painter.drawLine(QPointF(item.x * mm, item.y * mm),
                         QPointF((item.x + item.width) * mm, (item.y + item.height) * mm));
        break;
      case PageItem::Kind::Box:
        painter.drawRect(QRectF(item.x * mm, item.y * mm, item.width * mm, item.height * mm));
        break;
      case PageItem::Kind::Text: {
        // A page uses a few sizes and weights: the fonts are made once each.
        const std::pair<double, bool> key{item.font.points, item.font.bold};
        auto font = fonts.find(key);
        if (font == fonts.end()) {
          QFont made(kReportFontFamily);
          made.setStyleHint(QFont::SansSerif);
          made.setHintingPreference(QFont::PreferNoHinting);
          // Points of the page, in the device's pixels at this scale.
          made.setPointSizeF(item.font.points * mm * 25.4 / deviceDpi);
          made.setBold(item.font.bold);
          font = fonts.emplace(key, made).first;
        }
        if (painter.font() != font->second) painter.setFont(font->second);
        const QString text = QString::fromStdString(Cp1251ToUtf8(item.text));
        if (item.width > 0) {
          painter.drawText(QRectF(item.x * mm, item.y * mm, item.width * mm, item.height * mm),
                           FlagsOf(item.alignment), text);
        } else {
          // Not clipped: as wide as the text needs.
          painter.drawText(QRectF(item.x * mm, item.y * mm, 0, item.height * mm),
                           FlagsOf(TextAlignment::Left) | Qt::TextDontClip, text);
        }
        break;
      }
    }
  }
  painter.restore();
}

}  // namespace zelvo
