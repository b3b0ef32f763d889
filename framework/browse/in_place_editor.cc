#include "framework/browse/in_place_editor.h"

#include <algorithm>
#include <utility>

namespace zelvo {
namespace {

constexpr MessageId kSaveRecord = 35;

bool IsWindowClose(const Event& event) {
  return event.IsWindowEvent() && (event.number == EventNumber::CloseWindow ||
                                   event.number == EventNumber::CloseDown || event.number == EventNumber::Sized);
}

}  // namespace

// ---- starting and ending -----------------------------------------------------------

Level InPlaceEditor::InitWindow() {
  (void)WindowController::InitWindow();
  UseWindow(bc->TheWindow());
  errors = &bc->primary->Me().Errors();
  vcrRequest = bc->window->vcrRequest;
  arrow = &bc->arrowAction;
  enter = &bc->enterAction;
  tab = &bc->tabAction;
  focusLoss = &bc->focusLossAction;
  eq = &bc->EditList();
  fields = &bc->Fields();
  listControl = bc->list;
  again = false;
  lastColumn = 0;
  repost = EventNumber::None;
  repostField = 0;
  rowEnded_ = false;
  removedRow_ = 0;
  seekForward = false;

  Window& w = window();
  ListRows& rows = bc->Rows();
  bc->currentChoice = rows.Empty() ? 0 : std::clamp(w.Selection(listControl), 1, static_cast<int>(rows.Count()));
  const int mouseColumn = std::exchange(bc->mouseColumn_, 0);
  switch (req) {
    case RecordAction::Insert: {
      if (!rows.Empty() && insert == 10) bc->ScrollToEnd(EventNumber::ScrollBottom);
      if (bc->PrimeForInsert(false) != LevelOk) {
        response = kCancelled;
        return LevelNotify;
      }
      bc->primary->RememberLinkValues();
      const int count = static_cast<int>(rows.Count());
      int at = rows.Empty() ? 1 : insert == 9 ? bc->currentChoice : bc->currentChoice + 1;
      if (!rows.Empty() && bc->lastItems > 0 && count >= bc->lastItems) {
        // Room for the new row: the top row goes when the last one was selected.
        if (bc->currentChoice == count) {
          rows.Delete(1);
          --at;
        } else {
          rows.Delete(rows.Count());
        }
      }
      rows.Insert(static_cast<std::size_t>(at), fields->Capture());
      bc->rowsFromStart_ = bc->rowsToEnd_ = false;  // a row the view has not got
      bc->currentChoice = at;
      bc->ShowRows();
      w.Select(listControl, at);
      column = 1;
      break;
    }
    case RecordAction::Delete:
      response = bc->primary->DeleteWithChildren(true) == LevelOk ? kCompleted : kCancelled;
      return LevelNotify;
    case RecordAction::Change:
      if (rows.Empty()) return LevelNotify;
      fields->CaptureInto(EditedRow());  // the record as read again for the change
      bc->primary->RememberLinkValues();
      if (mouseColumn > 0) column = mouseColumn;
      break;
    default: return LevelNotify;  // nothing else is done in place
  }
  w.Unalert(listControl, kMouseLeft2, kMouseLeft2);
  if (column == 0) column = 1;
  PrepareColumns();
  EditColumn();
  return LevelOk;
}

Level InPlaceEditor::KillWindow() {
  // The cell editors go first: their values live in rows the refill replaces.
  KillColumns();
  window().Alert(listControl, kMouseLeft2, kMouseLeft2);
  bc->AfterRecordAction(req, response == 0 ? kCancelled : response);
  if (repost != EventNumber::None) {
    window().Post(repost, repostField);
    repost = EventNumber::None;
  }
  return WindowController::KillWindow();
}

void InPlaceEditor::KillColumns() {
  if (eq == nullptr) return;
  lastColumn = 0;
  for (EditListEntry& entry : *eq)
    if (entry.control != nullptr) entry.control->KillColumn();
  std::erase_if(*eq, [](const EditListEntry& entry) { return entry.owned != nullptr; });
}

// ---- the columns ------------------------------------------------------------------------

void InPlaceEditor::PrepareColumns() {
  for (int c = 1; c <= fields->ColumnCount(); ++c) {
    auto entry = std::find_if(eq->begin(), eq->end(), [&](const EditListEntry& e) { return e.column == c; });
    if (entry == eq->end()) {
      if (!fields->IsPaired(c)) continue;  // a column showing no field has nothing to edit
      auto made = std::make_unique<InPlaceColumn>();
      InPlaceColumn* control = made.get();
      auto at = std::find_if(eq->begin(), eq->end(), [&](const EditListEntry& e) { return e.column > c; });
      entry = eq->insert(at, EditListEntry{c, control, std::move(made)});
    }
    if (entry->control == nullptr) continue;  // shown, never edited
    if (std::optional<FieldBinding> value = fields->RowValue(EditedRow(), c))
      entry->control->InitColumn(window(), c, listControl, std::move(*value), fields->PictureOf(c));
  }
}

InPlaceColumn* InPlaceEditor::EditorOf(int columnNumber) {
  for (EditListEntry& entry : *eq)
    if (entry.column == columnNumber) return entry.control;
  return nullptr;
}

InPlaceColumn* InPlaceEditor::EditorOfControl(ControlId control) {
  if (control == 0) return nullptr;
  for (EditListEntry& entry : *eq)
    if (entry.control != nullptr && entry.control->feq == control) return entry.control;
  return nullptr;
}

bool InPlaceEditor::ColumnEditable(int columnNumber) {
  const InPlaceColumn* editor = EditorOf(columnNumber);
  return editor != nullptr && editor->feq != 0;
}

void InPlaceEditor::EditColumn() {
  const int n = fields->ColumnCount();
  if (n == 0) return;
  // Searched forward or back from COLUMN; at the end of the row the search
  // turns round once, so forward past the last editable column comes back to it.
  int step = seekForward ? 1 : -1;
  seekForward = false;
  int c = std::clamp(column, 1, n);
  bool turned = false;
  while (!ColumnEditable(c)) {
    c += step;
    if (c < 1 || c > n) {
      if (turned) return;  // nothing in the row can be edited
      turned = true;
      step = -step;
      c = std::clamp(c, 1, n);
    }
  }
  column = c;
  if (column == lastColumn) return;
  const ControlId entry = EditorOf(column)->feq;
  window().PlaceOverCell(entry, listControl, bc->currentChoice, column);
  window().Focus(entry);
  lastColumn = column;
}

void InPlaceEditor::CloseCellEditor() {
  if (lastColumn == 0) return;
  if (const InPlaceColumn* editor = EditorOf(lastColumn); editor != nullptr && editor->feq != 0) {
    window().Update(editor->feq);  // the text typed goes into the row's value
    window().PlaceOverCell(editor->feq, listControl, 0, 0);
  }
  lastColumn = 0;
  bc->ShowRows();
}

// ---- actions and the end of a row ---------------------------------------------------------

void InPlaceEditor::TakeAction(ColumnKeyAction action) {
  switch (action) {
    case ColumnKeyAction::NextColumn: {
      CloseCellEditor();
      bool follows = false;
      for (int c = column + 1; c <= fields->ColumnCount() && !follows; ++c) follows = ColumnEditable(c);
      if (follows) {
        ++column;
        seekForward = true;
        EditColumn();
      } else {
        (void)EndRow(*tab, ToolbarButton::NextRecord);
      }
      return;
    }
    case ColumnKeyAction::PreviousColumn:
      if (column > 1) {
        CloseCellEditor();
        --column;
        EditColumn();
      }
      return;
    case ColumnKeyAction::Complete: (void)EndRow(*enter, ToolbarButton::NextRecord); return;
    case ColumnKeyAction::Abandon: FinishRow(RowEnd::Abandon); return;
    case ColumnKeyAction::NextRecord:
    case ColumnKeyAction::PriorRecord: {
      const int kept = column;
      const RowEndAction ended = EndRow(*arrow, action == ColumnKeyAction::NextRecord ? ToolbarButton::NextRecord
                                                                                      : ToolbarButton::PriorRecord);
      if (ended.keepColumn && !again) column = kept;  // the same column on the next row
      return;
    }
    case ColumnKeyAction::None: return;
  }
}

RowEndAction InPlaceEditor::EndRow(std::uint8_t action, ToolbarButton move) {
  const RowEndAction ended = RowEndAction::Of(action);
  FinishRow(ended.end);
  if (ended.moveOn && !again && vcrRequest != nullptr) *vcrRequest = static_cast<std::int32_t>(move);
  return ended;
}

void InPlaceEditor::OnFocusLoss() { (void)EndRow(*focusLoss, ToolbarButton::NextRecord); }

void InPlaceEditor::FinishRow(RowEnd mode) {
  again = false;
  CloseCellEditor();
  if (!fields->Differs(EditedRow())) {
    mode = RowEnd::Abandon;  // nothing was changed: nothing to save or to ask about
  } else if (mode == RowEnd::Ask) {
    const unsigned answer = errors->AskPlain(kSaveRecord, kButtonYes | kButtonNo | kButtonCancel, kButtonYes);
    if (answer == kButtonYes) mode = RowEnd::Save;
    else if (answer == kButtonNo) mode = RowEnd::Abandon;
    else again = true;
  }
  response = kCancelled;
  if (mode == RowEnd::Abandon && req == RecordAction::Insert) {
    // The new row goes, and the record that held its number with it.
    KillColumns();
    removedRow_ = bc->currentChoice;
    bc->Rows().Delete(static_cast<std::size_t>(bc->currentChoice));
    if (insert != 9 || bc->currentChoice > static_cast<int>(bc->Rows().Count())) --bc->currentChoice;
    if (bc->currentChoice < 1) bc->currentChoice = bc->Rows().Empty() ? 0 : 1;
    bc->ShowRows();
    window().Select(listControl, bc->currentChoice);
    (void)bc->primary->ReleaseReservedRecord();
  } else if (mode == RowEnd::Save) {
    TableManager& table = bc->primary->Me();
    const std::uint32_t stash = table.StashBuffer();
    bc->LoadSelectedIntoBuffer();
    const Level written = req == RecordAction::Insert ? table.AddRecord() : bc->primary->UpdateWithChildren(false);
    if (written == LevelOk) {
      response = kCompleted;
      table.UnstashBuffer(stash, false);
    } else {
      again = true;  // the table manager said why; the row keeps what the user typed
      table.UnstashBuffer(stash, true);
    }
    (void)bc->view->Perform(FileOperation::FLUSH);
  }
  column = 1;
  if (again) EditColumn();
  else rowEnded_ = true;
}

// ---- events -------------------------------------------------------------------------------

Level InPlaceEditor::OnEvent(const Event& event) {
  if (IsWindowClose(event)) {
    OnFocusLoss();
    if (again) return LevelNotify;  // the row stays in edit: the window neither closes nor changes
    repost = event.number;
    repostField = 0;
    return LevelFatal;
  }
  rowEnded_ = false;
  const Level level = WindowController::OnEvent(event);
  return rowEnded_ ? LevelFatal : level;
}

Level InPlaceEditor::OnFieldEvent(const Event& event) {
  if (event.control == listControl) return LevelOk;
  if (InPlaceColumn* editor = EditorOfControl(event.control)) {
    TakeAction(editor->ColumnAction(event));
    return LevelOk;
  }
  const auto& controls = window().Definition().Controls();
  const bool button = event.control >= 1 && static_cast<std::size_t>(event.control) <= controls.size() &&
                      controls[static_cast<std::size_t>(event.control) - 1].kind == ControlKind::Button;
  if (event.number == EventNumber::Selected && button) return LevelOk;  // a press follows
  // Another control: the row ends, and the event acts once the editor has.
  OnFocusLoss();
  if (!again) {
    repost = event.number;
    repostField = event.control;
  }
  return LevelOk;
}

Level InPlaceEditor::OnNewSelection(const Event& event) {
  if (event.control != listControl) return LevelOk;
  const int clicked = window().Selection(listControl);
  if (clicked == bc->currentChoice) {
    if (event.mouseColumn > 0 && event.mouseColumn != column) {
      CloseCellEditor();
      column = event.mouseColumn;
      seekForward = true;
      EditColumn();
    }
    return LevelOk;
  }
  OnFocusLoss();
  if (again) {
    window().Select(listControl, bc->currentChoice);  // the edited row stays selected
    return LevelOk;
  }
  // The clicked row is the browse's selection; an abandoned new row above it shifted it up.
  bc->currentChoice = removedRow_ != 0 && clicked > removedRow_ ? clicked - 1 : clicked;
  response = kCancelled;
  rowEnded_ = true;
  return LevelOk;
}

}  // namespace zelvo
