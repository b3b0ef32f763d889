#include "platform/report_composer.h"

namespace zelvo {

void ReportComposer::Open() {
  pages_ = std::make_shared<ReportPages>();
  pages_->paper = layout_.paper();
  pageOpen_ = false;
}

void ReportComposer::BeginPage() {
  pages_->pages.emplace_back();
  pageOpen_ = true;
  firstOnPage_ = true;
  rowTop_ = layout_.detailArea().y;
  rowHeight_ = 0;
  rowWidth_ = 0;
  if (const Band* header = layout_.header())
    header->Lay(layout_.headerPlace().x, layout_.headerPlace().y, pages_->pages.back());
}

void ReportComposer::EndPage() {
  if (!pageOpen_) return;
  if (const Band* footer = layout_.footer())
    footer->Lay(layout_.footerPlace().x, layout_.footerPlace().y, pages_->pages.back());
  pageOpen_ = false;
}

void ReportComposer::PrintBand(const Band& band) { Place(band, false); }

void ReportComposer::PrintBreak(const Band& band) { Place(band, true); }

void ReportComposer::Place(const Band& band, bool newRow) {
  if (!pages_) Open();
  if (!pageOpen_) BeginPage();
  const PageArea& area = layout_.detailArea();
  const bool sameRow = !newRow && !firstOnPage_ && rowWidth_ + band.Width() <= area.width;
  if (!sameRow) {
    const double top = firstOnPage_ ? area.y : rowTop_ + rowHeight_;
    if (!firstOnPage_ && top + band.Height() > area.y + area.height) {
      EndPage();
      BeginPage();
    } else {
      rowTop_ = top;
    }
    rowHeight_ = 0;
    rowWidth_ = 0;
  }
  band.Lay(area.x + rowWidth_, rowTop_, pages_->pages.back());
  rowWidth_ += band.Width();
  if (band.Height() > rowHeight_) rowHeight_ = band.Height();
  firstOnPage_ = false;
}

SharedPages ReportComposer::Finish() {
  if (!pages_) Open();
  EndPage();
  SharedPages done = std::move(pages_);
  pages_.reset();
  return done;
}

}  // namespace zelvo
