// Paging: the browse's rows are a window sliding over the view, at most
// LASTITEMS rows, read a row or a page at a time from either end.
#include <algorithm>
#include <limits>
#include <optional>

#include "framework/browse/browse_list.h"
#include "platform/wait_cursor.h"

namespace zelvo {

void BrowseList::FetchRows(FetchDirection direction) {
  const bool down = direction == FetchDirection::Down;
  const bool quick = quickScan && itemsToFill > 1;
  if (quick) primary->SwitchQuickScan(true, 3);
  // Reading goes on from the row at the end the fetch grows; that row itself
  // comes first again unless it is gone.
  const bool anchored = !rows_.Empty();
  const std::string anchor = anchored ? (down ? rows_.Last().position : rows_.First().position) : std::string{};
  // Unanchored, the reads start where the view was put: from its start, the
  // rows begin (reading down) or end (reading up) where the view does.
  if (!anchored) (down ? rowsFromStart_ : rowsToEnd_) = viewAtStart_;
  if (anchored) ResetViewTo(anchor);
  viewAtStart_ = false;
  bool& reached = down ? rowsToEnd_ : rowsFromStart_;  // the end the fetch grows towards
  if (!anchored) reached = false;
  bool first = true;
  lastFetchShort_ = false;
  while (itemsToFill > 0) {
    const Level read = down ? ReadForward() : ReadBackward();
    if (read == LevelNotify) {
      lastFetchShort_ = true;
      reached = true;
      break;
    }
    if (read != LevelOk) break;
    BrowseRow row;
    StoreRow(row);
    const bool again = first && anchored && row.position == anchor;
    first = false;
    if (again) continue;
    reached = false;
    if (!fileLoaded && lastItems > 0 && static_cast<int>(rows_.Count()) >= lastItems) {
      rows_.Delete(down ? 1 : rows_.Count());
      (down ? rowsFromStart_ : rowsToEnd_) = false;
    }
    if (down) rows_.Append(std::move(row));
    else rows_.Insert(1, std::move(row));
    --itemsToFill;
  }
  if (quick) primary->SwitchQuickScan(false, 3);
}

void BrowseList::RefillList(RefillMode mode) {
  if (!activeInvisible && !TheWindow().IsVisible(list)) {
    loadPending = true;
    return;
  }
  loaded = true;
  loadPending = false;
  WaitCursor wait;
  if (fileLoaded) {
    LoadWholeResult(mode);
    return;
  }

  const int count = static_cast<int>(rows_.Count());
  if (currentChoice == 0) currentChoice = 1;
  const int visualRow = retainRow ? currentChoice : 0;
  int above = 0;
  std::optional<std::string> wanted;
  bool fromStart = false;
  if (mode == RefillMode::Positioned) {
    if (retainRow) above = currentChoice - 1;
  } else if (count > 0) {
    wanted = rows_.Row(static_cast<std::size_t>(std::min(currentChoice, count))).position;
    ResetViewTo(rows_.First().position);
  } else {
    fromStart = true;
    (void)PositionAtStart();
  }

  // The selected record's row, and how far it lies from where it was shown.
  auto locate = [&] {
    currentChoice = !wanted ? 1 : static_cast<int>(rows_.Find(*wanted));
    if (retainRow) above = visualRow - currentChoice;
  };
  auto rows = [&] { return static_cast<int>(rows_.Count()); };

  rows_.Clear();
  itemsToFill = lastItems - above;
  FetchRows(FetchDirection::Down);
  const bool atEnd = itemsToFill > 0;
  if (!wanted && rows() > 0) wanted = rows_.First().position;
  locate();
  if (rows() == 0) (void)PositionAtStart();
  itemsToFill = allowUnfilled ? 0 : lastItems - rows();
  if (!fromStart && (itemsToFill > 0 || above > 0)) {
    itemsToFill = std::max(itemsToFill, above);
    FetchRows(FetchDirection::Up);
    if (!wanted && rows() > 0) wanted = rows_.Last().position;
    locate();
  }
  if (retainRow && (above < 0 || (rows() < lastItems && !atEnd))) {
    itemsToFill = std::max(-above, lastItems - rows());
    FetchRows(FetchDirection::Down);
    locate();
  }
  while (rows() > lastItems) {
    if (above < 0) {
      rows_.Delete(1);
      rowsFromStart_ = false;
      ++above;
      --currentChoice;
    } else {
      rows_.Delete(rows_.Count());
      rowsToEnd_ = false;
    }
  }
  if (currentChoice <= 0) currentChoice = 1;
  if (Locator* locator = CurrentLocator()) locator->Show();
  if (rows_.Empty()) {
    currentChoice = 0;
    ClearPrimaryRecord();
  } else {
    LoadSelectedIntoBuffer();
  }
  ShowRows();
  TheWindow().Select(list, currentChoice);
}

// A browse that holds its whole result reads it all, from the start, and
// selects the record the refill is about.
void BrowseList::LoadWholeResult(RefillMode mode) {
  std::optional<std::string> wanted;
  if (mode == RefillMode::Positioned) {
    OperationAnswer at;
    if (ReadForward() == LevelOk && !Failed(view->Perform(FileOperation::POSITIONfile, {}, at))) wanted = at.position;
  } else if (currentChoice >= 1 && static_cast<std::size_t>(currentChoice) <= rows_.Count()) {
    wanted = rows_.Row(static_cast<std::size_t>(currentChoice)).position;
  }
  rows_.Clear();
  (void)PositionAtStart();
  itemsToFill = std::numeric_limits<int>::max();
  FetchRows(FetchDirection::Down);
  itemsToFill = 0;
  const std::size_t found = wanted ? rows_.Find(*wanted) : 0;
  currentChoice = rows_.Empty() ? 0 : found != 0 ? static_cast<int>(found) : std::min(std::max(currentChoice, 1), static_cast<int>(rows_.Count()));
  if (rows_.Empty()) ClearPrimaryRecord();
  else LoadSelectedIntoBuffer();
  ShowRows();
  TheWindow().Select(list, currentChoice);
}

}  // namespace zelvo
