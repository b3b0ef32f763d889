#include "platform/report_layout.h"

#include <optional>

namespace zelvo {
namespace {

std::string WithoutTrailingBlanks(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

}  // namespace

ReportControl& Band::Add(PageItem::Kind kind, double x, double y, double width, double height) {
  ReportControl& c = controls_.emplace_back();
  c.kind = kind;
  c.x = x;
  c.y = y;
  c.width = width;
  c.height = height;
  return c;
}

ReportControl& Band::Text(double x, double y, std::string text, ReportFont font, TextAlignment alignment,
                          double width, double height) {
  ReportControl& c = Add(PageItem::Kind::Text, x, y, width, height);
  c.text = std::move(text);
  c.font = font;
  c.alignment = alignment;
  return c;
}

ReportControl& Band::Field(double x, double y, FieldBinding value, std::string picture, ReportFont font,
                           TextAlignment alignment, double width, double height) {
  ReportControl& c = Add(PageItem::Kind::Text, x, y, width, height);
  c.value = std::move(value);
  c.parsed = Picture::Parse(picture);
  c.picture = std::move(picture);
  c.font = font;
  c.alignment = alignment;
  return c;
}

ReportControl& Band::Line(double x, double y, double width, double height) {
  return Add(PageItem::Kind::Line, x, y, width, height);
}

ReportControl& Band::Box(double x, double y, double width, double height) {
  return Add(PageItem::Kind::Box, x, y, width, height);
}

void Band::Lay(double x, double y, ReportPage& page) const {
  for (const ReportControl& c : controls_) {
    PageItem item;
    item.kind = c.kind;
    item.x = x + c.x;
    item.y = y + c.y;
    item.width = c.width;
    item.height = c.height;
    item.font = c.font;
    item.alignment = c.alignment;
    if (c.kind == PageItem::Kind::Text) {
      if (c.value.IsBound()) {
        // A picture the layout's author wrote wrong shows the plain value
        // rather than nothing.
        const std::optional<Picture>& picture = c.parsed;
        item.text = WithoutTrailingBlanks(picture ? c.value.Show(*picture) : c.value.ValueText());
        if (item.width == 0 && picture) item.width = DigitsWidth(c.font, picture->width());
      } else {
        item.text = WithoutTrailingBlanks(c.text);
      }
      if (item.text.find_first_not_of(' ') == std::string::npos) continue;
      if (item.height == 0) item.height = LineHeight(c.font);
    }
    page.items.push_back(std::move(item));
  }
}

Band& ReportLayout::PageHeader(double x, double y, double width, double height) {
  header_.emplace(PlacedBand{Band(width, height), {x, y, width, height}});
  return header_->band;
}

Band& ReportLayout::PageFooter(double x, double y, double width, double height) {
  footer_.emplace(PlacedBand{Band(width, height), {x, y, width, height}});
  return footer_->band;
}

Band& ReportLayout::Detail(double width, double height) {
  return *details_.emplace_back(std::make_unique<Band>(width, height));
}

}  // namespace zelvo
