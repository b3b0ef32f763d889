// TableUseRegistry: which procedure of which thread uses which table, so a
// procedure called from another gives the table back as the caller left it.
//
// Each use is looked up by (thread, table, the reporter's current
// procedure). A procedure's first use of a table that another procedure of
// its thread is also using saves the table's state (when its use mode is
// below 3); each OpenTable in the procedure counts a nesting, each CloseTable
// takes one back, and the close that finds none left restores the saved state
// (with the position when the strongest use was below 3, the buffer only
// otherwise) and forgets the use. After a form called from a browse returns,
// the browse's record buffer is what it was.
//
// One process-wide registry; used only by the run token's holder.
#pragma once

#include <cstdint>

namespace zelvo {

class TableManager;

namespace table_use {
// From EnsureUsable (opening = false) and OpenTable (opening = true).
void Use(TableManager& table, int mode, bool opening);
// From CloseTable.
void Close(TableManager& table);
// Every use of the table is forgotten (KillTable).
void Forget(TableManager& table);
}  // namespace table_use

}  // namespace zelvo
