// ReportLayout: a report's structure as data, written in C++ by its
// procedure — the paper, the detail area of each page, and bands of
// controls placed in millimetres from the band's top-left corner.
//
//     ReportLayout r(kA4Portrait, {12, 10, 270, 298});
//     Band& slip = r.Detail(91, 131);
//     slip.Text(21, 1, "Лицевой счет за", {10});
//     slip.Field(47, 1, FieldBinding("NBA:DATA", nbasa, NBA.DATA), "@d6.", {10});
//     slip.Field(15, 11, okladBinding, "@n_8.2b", {10}, TextAlignment::Right);
//     slip.Line(0, 0, 90, 0);  slip.Line(0, 0, 0, 130);
//
// Bands: the page header (printed at its own place on every page as the page
// begins), the page footer (likewise as the page ends), detail bands (placed
// in rows in the detail area, ReportComposer) and break bands (placed as
// detail bands but always at the start of a row: the break of a group).
//
// Controls: a text (fixed text, or a bound value shown through its picture)
// with its font, alignment and box; a line; a box. A text without a width is
// not clipped, except a pictured value, whose box is the picture's width in
// the font's digits; a text without a height is one line high. Texts are CP1251.
//
// A bound value is read when the band is printed, so a band prints whatever
// its record buffers and variables hold at that moment. Used only by the run
// token's holder, like the record buffers it binds.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/field_binding.h"
#include "platform/report_page.h"

namespace zelvo {

struct ReportControl {
  PageItem::Kind kind = PageItem::Kind::Text;
  double x = 0, y = 0, width = 0, height = 0;
  std::string text;      // a fixed text
  FieldBinding value;    // or a value shown through `picture`
  std::string picture;
  std::optional<Picture> parsed;  // the picture read once; none when it cannot be read
  ReportFont font;
  TextAlignment alignment = TextAlignment::Left;
};

class Band {
 public:
  Band(double width, double height) : width_(width), height_(height) {}

  // Each answers the control, to set what the builders do not take.
  ReportControl& Text(double x, double y, std::string text, ReportFont font = {},
                      TextAlignment alignment = TextAlignment::Left, double width = 0, double height = 0);
  ReportControl& Field(double x, double y, FieldBinding value, std::string picture, ReportFont font = {},
                       TextAlignment alignment = TextAlignment::Left, double width = 0, double height = 0);
  // From (x, y), `width` across and `height` down: one of them is 0.
  ReportControl& Line(double x, double y, double width, double height);
  ReportControl& Box(double x, double y, double width, double height);

  double Width() const { return width_; }
  double Height() const { return height_; }
  const std::vector<ReportControl>& Controls() const { return controls_; }

  // The band's items as printed now at (x, y) of the page, appended to `page`:
  // bound values read and shown through their pictures; a text that shows
  // nothing is left out.
  void Lay(double x, double y, ReportPage& page) const;

 private:
  ReportControl& Add(PageItem::Kind kind, double x, double y, double width, double height);

  double width_;
  double height_;
  std::vector<ReportControl> controls_;
};

// A rectangle of the page, in millimetres.
struct PageArea {
  double x = 0, y = 0, width = 0, height = 0;
};

class ReportLayout {
 public:
  ReportLayout(Paper paper, PageArea detailArea) : paper_(paper), area_(detailArea) {}
  ReportLayout(const ReportLayout&) = delete;
  ReportLayout& operator=(const ReportLayout&) = delete;

  // The bands; references stay valid for the layout's life.
  Band& PageHeader(double x, double y, double width, double height);
  Band& PageFooter(double x, double y, double width, double height);
  Band& Detail(double width, double height);

  const Paper& paper() const { return paper_; }
  const PageArea& detailArea() const { return area_; }
  // The header and footer with their places on the page; nullptr without one.
  const Band* header() const { return header_ ? &header_->band : nullptr; }
  const Band* footer() const { return footer_ ? &footer_->band : nullptr; }
  PageArea headerPlace() const { return header_ ? header_->place : PageArea{}; }
  PageArea footerPlace() const { return footer_ ? footer_->place : PageArea{}; }

 private:
  struct PlacedBand {
    Band band;
    PageArea place;
  };
  Paper paper_;
  PageArea area_;
  std::optional<PlacedBand> header_;
  std::optional<PlacedBand> footer_;
  std::vector<std::unique_ptr<Band>> details_;
};

}  // namespace zelvo
