// ReportPage: a printed page as a display list — what a report laid on it,
// in millimetres from the page's top-left corner, in the order it was laid.
// The preview draws these pages, the printer and the PDF writer receive the
// same ones, and the text listing (page_listing.h) writes them for tests, so
// every output shows exactly the same thing.
//
// Three kinds of item: a text in a box (the box's top-left corner, its width
// — 0 for a text that is not clipped — and its height; the text aligned in
// the box, drawn from its top), a line from (x, y) to (x + width, y +
// height), and a box (a rectangle's outline). Texts are CP1251, as
// everywhere inside the program; every text is set in the report font ("Arial
// Cyr", served by Liberation Sans, which has the same metrics) at the item's
// size and weight.
//
// Pages are values: once a report is finished its pages are shared, never
// changed (ReportPages is handed around as shared_ptr<const ReportPages>).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelvo {

enum class TextAlignment : std::uint8_t { Left, Center, Right };

struct ReportFont {
  double points = 8;  // the report font's size
  bool bold = false;
};

struct PageItem {
  enum class Kind : std::uint8_t { Text, Line, Box };
  Kind kind = Kind::Text;
  double x = 0, y = 0;           // mm from the page's top-left corner
  double width = 0, height = 0;  // mm; see the header comment for each kind
  std::string text;              // Text: CP1251, trailing blanks removed
  ReportFont font;               // Text
  TextAlignment alignment = TextAlignment::Left;  // Text
};

struct ReportPage {
  std::vector<PageItem> items;
};

// The sheet: its size as it lies in front of the reader (a landscape A4 is
// 297 wide and 210 high).
struct Paper {
  double width = 210;
  double height = 297;
  bool Landscape() const { return width > height; }
};

inline constexpr Paper kA4Portrait{210, 297};
inline constexpr Paper kA4Landscape{297, 210};

struct ReportPages {
  Paper paper;
  std::vector<ReportPage> pages;
};

using SharedPages = std::shared_ptr<const ReportPages>;

// The height of one line of `font`, in millimetres: what a text box without a
// height of its own is given (the size in points, one and a quarter times).
double LineHeight(const ReportFont& font);

// The width of `characters` digits of `font`, in millimetres. The report
// font's digits all have the same advance (0.556 of the size), so a
// pictured number's box is known without asking a back end for metrics.
double DigitsWidth(const ReportFont& font, int characters);

}  // namespace zelvo
