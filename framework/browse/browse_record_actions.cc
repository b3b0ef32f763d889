// Record actions: insert, change, delete and view through the window's update
// form or in place, the list put right after them, and the selected record
// read again before a button acts on it.
#include "framework/browse/browse_list.h"
#include "framework/browse/in_place_editor.h"

namespace zelvo {
namespace {

constexpr MessageId kRetrievalError = 1;

}  // namespace

std::uint8_t BrowseList::RunRecordAction(RecordAction request) {
  std::int32_t& navigation = *window->vcrRequest;
  std::uint8_t answer = kCancelled;
  do {
    navigation = 0;
    rightClicked_ = false;
    nextRequest_ = request;
    if (askProcedure != 0) {
      if (request == RecordAction::Insert && PrimeForInsert(false) != LevelOk) return kCancelled;
      answer = window->RunUpdateForm(askProcedure, request);
      AfterRecordAction(request, answer);
    } else {
      answer = EditInPlace(request);
    }
    request = nextRequest_;
  } while (navigation != 0);
  return answer;
}

std::uint8_t BrowseList::EditInPlace(RecordAction request) {
  if (editor_ == nullptr) editor_ = std::make_unique<InPlaceEditor>(*this);
  editor_->req = request;
  return editor_->RunWindow();
}

void BrowseList::AfterRecordAction(RecordAction request, std::uint8_t answer) {
  if (answer == kCompleted) {
    (void)view->Perform(FileOperation::FLUSH);
    if (request == RecordAction::Delete) {
      if (currentChoice >= 1 && static_cast<std::size_t>(currentChoice) <= rows_.Count())
        rows_.Delete(static_cast<std::size_t>(currentChoice));
      RefillList(RefillMode::Retain);
    } else {
      // The record just added or changed, on the selected row.
      ReloadFromTable();
    }
  } else {
    RefillList(RefillMode::Retain);
  }
  const std::int32_t navigation = *window->vcrRequest;
  const auto button = static_cast<ToolbarButton>(navigation);
  if (button == ToolbarButton::Insert || (button == ToolbarButton::NextRecord && request == RecordAction::Insert)) {
    nextRequest_ = RecordAction::Insert;
    ClearPrimaryRecord();
  } else if (navigation != 0) {
    TakeToolbarMove(navigation);
    nextRequest_ = request;
  } else {
    ResetThumbLimits();
    RedrawState();
    SyncSelection();
    TheWindow().Focus(list);
  }
}

void BrowseList::RereadSelected() {
  if (rows_.Empty()) return;
  if (const int selected = TheWindow().Selection(list); selected >= 1) currentChoice = selected;
  if (currentChoice < 1 || static_cast<std::size_t>(currentChoice) > rows_.Count()) return;
  BrowseRow& row = rows_.Row(static_cast<std::size_t>(currentChoice));
  EnsureViewOpen();
  (void)view->Perform(FileOperation::WATCH);
  OperationArguments at;
  at.position = row.position;
  ErrorCode code = view->Perform(FileOperation::REGETfile, at);
  if (code == ErrorCode::UnsupportedFileDriverFunction) {
    // Read it forward from its position instead, and put the view back.
    OperationAnswer kept;
    (void)view->Perform(FileOperation::POSITIONfile, {}, kept);
    (void)view->Perform(FileOperation::RESETfile, at);
    (void)view->Perform(FileOperation::WATCH);
    code = view->Perform(FileOperation::NEXT);
    OperationArguments back;
    back.position = kept.position;
    (void)view->Perform(FileOperation::RESETfile, back);
  }
  if (Failed(code)) {
    (void)ReportFetchFailure();
    needRefresh = true;
    return;
  }
  fields_->CaptureInto(row);  // the row shows what the record holds now
}

int BrowseList::ReportFetchFailure() {
  Report(kRetrievalError);
  return 1;
}

}  // namespace zelvo
