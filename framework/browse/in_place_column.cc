#include "framework/browse/in_place_column.h"

#include "platform/key_code.h"

namespace zelvo {

ControlId InPlaceColumn::CreateEditor() {
  ControlDefinition entry;
  entry.kind = ControlKind::Entry;
  entry.name = useVar->Name();
  entry.value = *useVar;
  entry.picture = picture_;
  entry.hidden = true;  // until it lies over a cell
  entry.skip = true;    // Tab is the editor's, not the window's
  entry.readOnly = readOnly;
  return window_->CreateControl(std::move(entry));
}

void InPlaceColumn::InitColumn(Window& window, int column, ControlId list, FieldBinding value, std::string picture) {
  (void)column;
  window_ = &window;
  listBoxFeq = list;
  useVar = std::move(value);
  picture_ = std::move(picture);
  feq = CreateEditor();
  ArmColumnKeys();
}

void InPlaceColumn::KillColumn() {
  if (feq != 0 && window_ != nullptr) window_->DestroyControl(feq);
  feq = 0;
  useVar.reset();
}

void InPlaceColumn::ArmColumnKeys() {
  for (const KeyCode key : {kTab, kShiftTab, kEnter, kEscape, kDown, kUp}) window_->Alert(feq, key, key);
}

void InPlaceColumn::SetReadOnly(bool readOnlyColumn) {
  readOnly = readOnlyColumn;
  if (feq != 0 && window_ != nullptr) window_->SetReadOnly(feq, readOnly);
}

ColumnKeyAction InPlaceColumn::ColumnAction(const Event& event) {
  if (event.number != EventNumber::AlertKey) return ColumnKeyAction::None;
  switch (event.key) {
    case kTab: return ColumnKeyAction::NextColumn;
    case kShiftTab: return ColumnKeyAction::PreviousColumn;
    case kEnter: return ColumnKeyAction::Complete;
    case kEscape: return ColumnKeyAction::Abandon;
    case kDown: return ColumnKeyAction::NextRecord;
    case kUp: return ColumnKeyAction::PriorRecord;
    default: return ColumnKeyAction::None;
  }
}

}  // namespace zelvo
