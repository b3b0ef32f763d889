// The browse's set-up, its resets and what it keeps in step with the record
// buffers and the list control.
#include "framework/browse/browse_list.h"

#include "framework/browse/in_place_editor.h"
#include "platform/wait_cursor.h"
#include "runtime/locale.h"
#include "storage/field_codec.h"

namespace zelvo {

BrowseList::BrowseList() = default;
BrowseList::~BrowseList() = default;

// ---- set-up -------------------------------------------------------------------

void BrowseList::InitBrowse(ControlId listControl, View& browseView, WindowController& owner,
                            RelationSet& primarySet) {
  InitReader(browseView, primarySet);
  list = listControl;
  window = &owner;
  retainRow = true;
  const ControlDefinition& control = owner.window().Definition()[listControl];
  hasThumb = control.scrollbar;
  std::vector<RecordBuffer*> records;
  for (File* file : ViewFiles()) records.push_back(&file->Record());
  fields_ = std::make_unique<ColumnFields>(std::move(records), control.columns);
  popup_.Clear();
  editList_.clear();
  owner.AddComponent(*this);
  if (owner.request == RecordAction::Select) {
    // A cancelled pick gives the caller back the record it had.
    selecting = true;
    buffer = primarySet.Me().StashBuffer();
  }
}

std::size_t BrowseList::AddSortOrder(std::unique_ptr<ThumbScale> thumb, std::size_t key) {
  const std::size_t number = ViewReader::AddSortOrder(key);
  extras_.resize(number);
  extras_[number - 1].thumb = std::move(thumb);
  return number;
}

void BrowseList::AddLocator(std::unique_ptr<Locator> locator) {
  locator->Attach(*this, &TheWindow());
  extras_[CurrentOrderNumber() - 1].locator = std::move(locator);
}

void BrowseList::AddField(int column, RecordBuffer& record, FieldHandle field, std::string name) {
  fields_->Add(column, record, field, std::move(name));
}

void BrowseList::AddResetField(RecordBuffer& record, FieldHandle field) {
  resets_.push_back({&record, field, field.ValueText(record)});
}

void BrowseList::AddToolbarTarget(Toolbar& toolbar) { toolbar.AddTarget(*this, list); }

void BrowseList::AddEditColumn(InPlaceColumn* editor, int column) {
  auto at = editList_.begin();
  while (at != editList_.end() && at->column < column) ++at;
  editList_.insert(at, EditListEntry{column, editor, nullptr});
}

Locator* BrowseList::CurrentLocator() {
  const std::size_t n = CurrentOrderNumber();
  return n <= extras_.size() ? extras_[n - 1].locator.get() : nullptr;
}

ThumbScale* BrowseList::CurrentThumb() {
  const std::size_t n = CurrentOrderNumber();
  return n <= extras_.size() ? extras_[n - 1].thumb.get() : nullptr;
}

// ---- the reader's operations the browse replaces ---------------------------------

bool BrowseList::RangeChanged() {
  bool changed = false;
  if (window != nullptr && window->HasWindow()) {
    const int visible = TheWindow().VisibleRows(list);
    if (visible != lastItems) {
      lastItems = visible;
      changed = true;
    }
  }
  if (ViewReader::RangeChanged()) changed = true;
  for (const ResetField& reset : resets_)
    if (reset.field.ValueText(*reset.record) != reset.remembered) changed = true;
  if (changed) loadPending = true;
  return changed;
}

void BrowseList::KillReader() {
  if (selecting && buffer != 0) {
    // Killed without a choice: the caller's record as it was.
    primary->Me().UnstashBuffer(buffer, true);
    buffer = 0;
  }
  editor_.reset();
  editList_.clear();
  extras_.clear();
  popup_.Clear();
  rows_.Clear();
  resets_.clear();
  ViewReader::KillReader();
}

Level BrowseList::ReadForward() {
  const Level level = ViewReader::ReadForward();
  // Message 1 said the browse returns to the previous window.
  if (level == LevelFatal && window != nullptr && window->HasWindow()) TheWindow().Post(EventNumber::CloseWindow);
  return level;
}

Level BrowseList::ReadBackward() {
  const Level level = ViewReader::ReadBackward();
  if (level == LevelFatal && window != nullptr && window->HasWindow()) TheWindow().Post(EventNumber::CloseWindow);
  return level;
}

// ---- resets ---------------------------------------------------------------------------

void BrowseList::ResetComponent(bool force) {
  const std::size_t order = sortSheet != 0 ? static_cast<std::size_t>(TheWindow().ChosenTab(sortSheet))
                                           : CurrentOrderNumber();
  (void)ResetSort(order, force);
}

bool BrowseList::SelectSortWithLocator(std::size_t n) {
  const bool changed = SelectSort(n);
  if (changed)
    if (Locator* locator = CurrentLocator()) locator->Clear();
  return changed;
}

bool BrowseList::ResetSort(std::size_t n, bool force) {
  const bool sortChanged = SelectSortWithLocator(n);
  const bool rangeChanged = RangeChanged();
  if (!sortChanged && !rangeChanged && !force && loaded && !loadPending) {
    LoadSelectedIntoBuffer();
    return false;
  }
  for (ResetField& reset : resets_) reset.remembered = reset.field.ValueText(*reset.record);
  BuildOrder();
  BuildFilter();
  if (!loaded && (selecting || startAtCurrent)) {
    // The list opens at the record the buffer holds.
    (void)PositionView(FreeComponentPosition());
    RefillList(RefillMode::Positioned);
  } else if (!rows_.Empty() && currentChoice >= 1) {
    if (sortChanged) {
      // The rows' positions are those of the old order: the selected record
      // is found again by its values in the new one.
      LoadSelectedIntoBuffer();
      const KeyDeclaration* key = MainKey();
      (void)PositionView(key != nullptr ? key->count : 1);
    } else {
      ResetViewTo(rows_.Row(static_cast<std::size_t>(currentChoice)).position);
    }
    RefillList(RefillMode::Positioned);
  } else {
    RefillList(RefillMode::Retain);
  }
  if (!loadPending) {
    SyncSelection();
    ResetThumbLimits();
    LoadSelectedIntoBuffer();
    return true;
  }
  LoadSelectedIntoBuffer();
  return false;
}

void BrowseList::ReloadFromBuffer() {
  const KeyDeclaration* key = MainKey();
  (void)PositionView(key != nullptr ? key->count : 1);
  RefillList(RefillMode::Positioned);
  RedrawState();
}

void BrowseList::ReloadFromTable() {
  viewAtStart_ = false;
  EnsureViewOpen();
  if (Failed(view->Perform(FileOperation::RESETviewfile))) Report(40);
  RefillList(RefillMode::Positioned);
}

void BrowseList::ResetThumbLimits() {
  ThumbScale* scale = CurrentThumb();
  if (scale == nullptr || !scale->ScaleNeedsLimits() || !CurrentOrder().freeElement) return;
  const bool full = lastItems > 0 && static_cast<int>(rows_.Count()) >= lastItems;
  if (!full && !allowUnfilled) return;
  WaitCursor wait;
  // An end the rows reach gives its value without a read.
  auto limit = [&](bool fromRows, const RecordBuffer& row, bool last) -> std::optional<std::string> {
    if (fromRows) return FreeValueForScale(row);
    const bool read = PositionAtStart() && (last ? ReadBackward() : ReadForward()) == LevelOk;
    return read ? std::optional(FreeValueForScale()) : std::nullopt;
  };
  const bool any = !rows_.Empty();
  const std::optional<std::string> high = limit(any && rowsToEnd_, any ? rows_.Last().images[0] : primary->Me().Buffer(), true);
  const std::optional<std::string> low = high ? limit(any && rowsFromStart_, any ? rows_.First().images[0] : primary->Me().Buffer(), false)
                                              : std::nullopt;
  if (low && high) scale->SetScaleLimits(*low, *high);
  LoadSelectedIntoBuffer();  // the reads moved the buffers off the selected record
}

bool BrowseList::PositionView(std::size_t n) {
  viewAtStart_ = n == 0;
  return ViewReader::PositionView(n);
}

// ---- the record buffers and the control ------------------------------------------------

void BrowseList::LoadSelectedIntoBuffer() {
  if (currentChoice >= 1 && static_cast<std::size_t>(currentChoice) <= rows_.Count()) {
    fields_->Restore(rows_.Row(static_cast<std::size_t>(currentChoice)));
  } else {
    fields_->ClearFields();
  }
}

void BrowseList::StoreRow(BrowseRow& row) {
  fields_->CaptureInto(row);
  OperationAnswer answer;
  row.position = Failed(view->Perform(FileOperation::POSITIONfile, {}, answer)) ? std::string{} : answer.position;
}

void BrowseList::ShowRows() {
  std::vector<ListRow> texts;
  texts.reserve(rows_.Count());
  for (std::size_t n = 1; n <= rows_.Count(); ++n) texts.push_back(fields_->Texts(rows_.Row(n)));
  TheWindow().SetRows(list, std::move(texts));
}

void BrowseList::SyncSelection(bool rightMouse) {
  if (currentChoice == 0 && prevChoice == 0 && !rightMouse) return;
  prevChoice = currentChoice;
  TheWindow().Select(list, currentChoice);
  TheWindow().Post(EventNumber::NewSelection, list);
}

void BrowseList::ResetViewTo(const std::string& position) {
  viewAtStart_ = false;
  EnsureViewOpen();
  OperationArguments at;
  at.position = position;
  if (Failed(view->Perform(FileOperation::RESETfile, at))) Report(40);
}

void BrowseList::ClearPrimaryRecord() { primary->Me().Buffer().Clear(); }

std::string BrowseList::FreeValueForScale() { return FreeValueForScale(primary->Me().Buffer()); }

std::string BrowseList::FreeValueForScale(const RecordBuffer& primaryRecord) {
  const std::optional<FieldBinding>& free = CurrentOrder().freeElement;
  if (!free) return {};
  const FieldDeclaration& field = free->Declaration();
  const std::string value = ValueText(field, primaryRecord.Bytes().data() + field.offset);
  return FreeElementIgnoresCase() ? Locale().ToUpper(value) : value;
}

void BrowseList::PressButton(ControlId button) {
  Window& w = TheWindow();
  if (button == 0 || !w.IsEnabled(button) || !w.IsVisible(button)) return;
  w.Post(EventNumber::Accepted, button);
  RedrawState();
  SyncSelection();
}

}  // namespace zelvo
