// InPlaceColumn: the cell editor of one column of a list edited in place — an
// entry control made while the editor runs, laid over the cell of the edited
// row, editing the row's own value of the column through the column's
// picture. The entry is named after the field the column shows, so a script
// types into it by that name.
//
// Its alerted keys become the editor's actions (ColumnAction):
//     Tab 1 next column   Shift+Tab 2 previous column   Enter 3 complete the row
//     Esc 4 abandon the row   Down 5 next record   Up 6 prior record
//
// How a row edit ends is an action byte of the browse (ARROWACTION,
// ENTERACTION, TABACTION, FOCUSLOSSACTION): its low three bits 0 or 1 save
// without asking, 2 abandon, others ask message 35 ("Save Record"); bit 8
// then moves on to the next record (the prior one for the up arrow); bit 16,
// with the arrows, edits the same column of the new row.
//
// Used only by the run token's holder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/event.h"
#include "platform/field_binding.h"
#include "platform/window.h"

namespace zelvo {

enum class ColumnKeyAction : std::uint8_t {
  None = 0,
  NextColumn = 1,
  PreviousColumn = 2,
  Complete = 3,
  Abandon = 4,
  NextRecord = 5,
  PriorRecord = 6,
};

// How FinishRow ends a row.
enum class RowEnd : std::uint8_t { Ask = 0, Save = 2, Abandon = 4 };

struct RowEndAction {
  RowEnd end = RowEnd::Save;
  bool moveOn = false;
  bool keepColumn = false;

  static constexpr RowEndAction Of(std::uint8_t action) {
    const int low = action & 7;
    return {low <= 1 ? RowEnd::Save : low == 2 ? RowEnd::Abandon : RowEnd::Ask, (action & 8) != 0, (action & 16) != 0};
  }
};

class InPlaceColumn {
 public:
  InPlaceColumn() = default;
  virtual ~InPlaceColumn() = default;
  InPlaceColumn(const InPlaceColumn&) = delete;
  InPlaceColumn& operator=(const InPlaceColumn&) = delete;

  // In slot order.
  // Makes the entry control (hidden until it is laid over a cell); answers its id.
  virtual ControlId CreateEditor();
  // The editor of list column `column` of `list` in `window`, editing `value`
  // through `picture`: the control made, its keys armed.
  virtual void InitColumn(Window& window, int column, ControlId list, FieldBinding value, std::string picture);
  virtual void KillColumn();
  virtual void ArmColumnKeys();
  virtual void SetReadOnly(bool readOnlyColumn);
  virtual ColumnKeyAction ColumnAction(const Event& event);

  ControlId feq = 0;  // the entry control; 0 while there is none
  std::optional<FieldBinding> useVar;
  ControlId listBoxFeq = 0;
  bool readOnly = false;

 protected:
  Window* window_ = nullptr;
  std::string picture_;
};

}  // namespace zelvo
