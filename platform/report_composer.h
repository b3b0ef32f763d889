// ReportComposer: lays the bands a report prints onto pages (the report
// engine). Open starts the first page; each PrintBand places a band below
// the bands printed before it on the page, in rows:
//
//   - a detail band goes to the right of the band printed just before it, in
//     the same row, when it is not the first band of the page and the widths
//     of the bands already in the row plus its own do not exceed the width of
//     the detail area; otherwise it starts a new row at the area's left edge
//     (a break band always starts a new row);
//   - a row is as high as its tallest band;
//   - when a new row does not fit in the height left in the detail area, the
//     page is finished (its footer laid) and the row starts the next page
//     (its header laid first).
//
// Finish ends the last page and answers the pages; a report that printed no
// band has no page. The composer reads the bands' bound values as it prints
// them: used only by the run token's holder.
#pragma once

#include <memory>

#include "platform/report_layout.h"
#include "platform/report_page.h"

namespace zelvo {

class ReportComposer {
 public:
  explicit ReportComposer(const ReportLayout& layout) : layout_(layout) {}

  // Forgets what was printed: the next band begins page 1.
  void Open();
  void PrintBand(const Band& band);
  void PrintBreak(const Band& band);
  // Ends the current page; the next band begins a new one.
  void EndPage();
  // The pages printed since Open (the last one ended).
  SharedPages Finish();

  int PageCount() const { return pages_ ? static_cast<int>(pages_->pages.size()) : 0; }
  bool IsOpen() const { return pages_ != nullptr; }

 private:
  void Place(const Band& band, bool newRow);
  void BeginPage();

  const ReportLayout& layout_;
  std::shared_ptr<ReportPages> pages_;
  bool pageOpen_ = false;
  bool firstOnPage_ = true;
  double rowTop_ = 0, rowHeight_ = 0, rowWidth_ = 0;
};

}  // namespace zelvo
