// Scrolling: the list keys, the wheel, the scrollbar and the toolbar's moves,
// and where the thumb stands.
#include <algorithm>

#include "framework/browse/browse_list.h"

namespace zelvo {
namespace {

bool GoesDown(EventNumber event) {
  return event == EventNumber::ScrollDown || event == EventNumber::PageDown || event == EventNumber::ScrollBottom;
}

}  // namespace

void BrowseList::TakeScrollEvent(EventNumber event) {
  if (rows_.Empty()) return;
  currentEvent = event;
  switch (event) {
    case EventNumber::ScrollUp:
    case EventNumber::ScrollDown: ScrollOneRow(event); break;
    case EventNumber::PageUp:
    case EventNumber::PageDown: ScrollOnePage(event); break;
    case EventNumber::ScrollTop:
    case EventNumber::ScrollBottom: ScrollToEnd(event); break;
    default: return;
  }
  if (Locator* locator = CurrentLocator()) locator->Clear();
  ShowRows();
  SyncSelection();
  LoadSelectedIntoBuffer();
  PlaceThumb();
}

void BrowseList::ScrollOneRow(EventNumber event) {
  const int count = static_cast<int>(rows_.Count());
  if (event == EventNumber::ScrollUp) {
    if (currentChoice > 1) {
      --currentChoice;
    } else if (!fileLoaded) {
      itemsToFill = 1;
      FetchRows(FetchDirection::Up);  // the list moves under the selection
    }
  } else if (currentChoice < count) {
    ++currentChoice;
  } else if (!fileLoaded) {
    itemsToFill = 1;
    FetchRows(FetchDirection::Down);
  }
}

void BrowseList::ScrollOnePage(EventNumber event) {
  const bool up = event == EventNumber::PageUp;
  int n = TheWindow().VisibleRows(list);
  if (!fileLoaded) {
    // A whole page read keeps the selection on its row; near an end of the
    // data the selection moves by the rows there were none for.
    itemsToFill = n;
    FetchRows(up ? FetchDirection::Up : FetchDirection::Down);
    n = itemsToFill;
  }
  const int count = static_cast<int>(rows_.Count());
  currentChoice = up ? std::max(1, currentChoice - n) : std::min(count, currentChoice + n);
}

void BrowseList::ScrollToEnd(EventNumber event) {
  const bool top = event == EventNumber::ScrollTop;
  if (!fileLoaded) {
    rows_.Clear();
    (void)PositionAtStart();
    itemsToFill = TheWindow().VisibleRows(list);
    FetchRows(top ? FetchDirection::Down : FetchDirection::Up);
  }
  currentChoice = top ? 1 : static_cast<int>(rows_.Count());
}

int BrowseList::ThumbPosition() {
  if (ThumbScale* scale = CurrentThumb(); scale != nullptr && CurrentOrder().freeElement)
    return scale->ScalePercentile(FreeValueForScale());
  const int count = static_cast<int>(rows_.Count());
  if (fileLoaded) return count <= 1 ? 0 : (currentChoice - 1) * 100 / (count - 1);
  // Paging, the browse knows where it is only at the ends of the data.
  const bool atBottom = currentEvent == EventNumber::ScrollBottom || (GoesDown(currentEvent) && lastFetchShort_);
  const bool atTop = currentEvent == EventNumber::ScrollTop || lastFetchShort_;
  if (atBottom && currentChoice == count) return 100;
  if (atTop && currentChoice == 1) return 0;
  return 50;
}

void BrowseList::PlaceThumb() {
  const bool full = lastItems > 0 && static_cast<int>(rows_.Count()) >= lastItems;
  TheWindow().SetThumb(list, hasThumb && (full || allowUnfilled), ThumbPosition());
}

void BrowseList::TakeThumbDrag() {
  Window& w = TheWindow();
  const int p = w.Thumb(list);
  if (p <= 1) {
    w.Post(EventNumber::ScrollTop, list);
  } else if (p >= 100) {
    w.Post(EventNumber::ScrollBottom, list);
  } else if (ThumbScale* scale = CurrentThumb(); scale != nullptr && CurrentOrder().freeElement) {
    if (const std::optional<std::string> value = scale->ScaleValue(p)) (void)SetFreeElementValue(*value);
    ReloadFromBuffer();
    SyncSelection();
  } else if (fileLoaded) {
    currentChoice = std::max(1, p * static_cast<int>(rows_.Count()) / 100);
    ShowRows();
    SyncSelection();
  } else if (p != 50) {
    w.Post(p < 50 ? EventNumber::PageUp : EventNumber::PageDown, list);
  }
}

void BrowseList::TakeToolbarMove(int move) {
  switch (static_cast<ToolbarButton>(move)) {
    case ToolbarButton::NextRecord: TakeScrollEvent(EventNumber::ScrollDown); break;
    case ToolbarButton::PriorRecord: TakeScrollEvent(EventNumber::ScrollUp); break;
    case ToolbarButton::NextPage: TakeScrollEvent(EventNumber::PageDown); break;
    case ToolbarButton::PriorPage: TakeScrollEvent(EventNumber::PageUp); break;
    case ToolbarButton::FirstPage: TakeScrollEvent(EventNumber::ScrollTop); break;
    case ToolbarButton::LastPage: TakeScrollEvent(EventNumber::ScrollBottom); break;
    case ToolbarButton::Insert:
      // The browse's own toolbar button inserts as its insert button does.
      PressButton(insertControl);
      return;
    default: return;
  }
  window->ResetWindow(false);
  window->UpdateComponents();
}

}  // namespace zelvo
