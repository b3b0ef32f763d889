// InPlaceEditor: edits one row of a browse list in the list itself — the
// record action of a browse without an update form. It is a window controller
// of its own working on the browse's window: while it runs, its event loop
// takes the window's events; the cells of the row are edited one after the
// other by the columns' cell editors (framework/browse/in_place_column.h).
//
//     insert   a primed record (range values, defaults, a reserved number) in
//              a new row at the selected row (INSERT 9), after the last row
//              (10, the list scrolled to its end first) or after the selected one
//     change   the selected row, from the column double-clicked or the first
//     delete   the selected record and its children, after the question
//
// Leaving the row ends its edit by one of the browse's action bytes: Tab past
// the last column by TABACTION, Enter by ENTERACTION, the arrows by
// ARROWACTION, closing the window or going to another control or row by
// FOCUSLOSSACTION; Esc abandons it. FinishRow saves (the record added or
// rewritten through the table manager or relation set), abandons (a new row
// taken away and its reserved number given back), or asks message 35 first;
// a row that was not changed is never saved. A cancelled question or a failed
// write keeps the row in edit with the user's values.
//
// The event that ended the edit (a close, a button, a click elsewhere) is
// posted again once the editor has ended, so it then does what it was for.
// RESPONSE: 1 when the row was written (or deleted), else 2.
//
// Used only by the run token's holder, on the browse's procedure thread.
#pragma once

#include <cstdint>

#include "framework/browse/browse_list.h"
#include "framework/browse/in_place_column.h"
#include "framework/window/window_controller.h"

namespace zelvo {

class InPlaceEditor : public WindowController {
 public:
  explicit InPlaceEditor(BrowseList& browse) : bc(&browse) {}

  // The controller's operations the editor replaces.
  Level InitWindow() override;
  Level KillWindow() override;
  Level OnEvent(const Event& event) override;
  Level OnFieldEvent(const Event& event) override;
  Level OnNewSelection(const Event& event) override;

  // In slot order.
  virtual void CloseCellEditor();
  virtual void PrepareColumns();
  virtual bool ColumnEditable(int columnNumber);
  virtual void EditColumn();
  virtual void TakeAction(ColumnKeyAction action);
  virtual void FinishRow(RowEnd mode);
  virtual void OnFocusLoss();

  // Fields.
  bool again = false;  // the row edit goes on (a cancelled question, a failed write)
  const std::uint8_t* arrow = nullptr;
  int column = 0;      // the list column edited (1-based)
  const std::uint8_t* enter = nullptr;
  std::vector<EditListEntry>* eq = nullptr;
  ColumnFields* fields = nullptr;
  const std::uint8_t* focusLoss = nullptr;
  std::uint8_t insert = 0;  // 9 at the selected row, 10 after the last row, else after the selected row
  ControlId listControl = 0;
  int lastColumn = 0;  // the column whose cell editor is shown; 0 none
  EventNumber repost = EventNumber::None;
  ControlId repostField = 0;
  RecordAction req = RecordAction::None;
  bool seekForward = false;
  const std::uint8_t* tab = nullptr;
  BrowseList* bc;

 private:
  // Ends the row by an action byte; with its move-on bit (and the row ended)
  // the window's navigation request becomes `move`.
  RowEndAction EndRow(std::uint8_t action, ToolbarButton move);
  InPlaceColumn* EditorOf(int columnNumber);
  InPlaceColumn* EditorOfControl(ControlId control);
  // Takes the cell editors away: the ones made for this edit go.
  void KillColumns();
  BrowseRow& EditedRow() { return bc->Rows().Row(static_cast<std::size_t>(bc->currentChoice)); }

  bool rowEnded_ = false;  // a row edit ended without going on: the editor ends
  int removedRow_ = 0;     // the new row an abandoned insert took away
};

}  // namespace zelvo
