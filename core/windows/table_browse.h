// TableBrowse: the list window of one table of the dictionary — its records
// in the order of one of its keys (typing a letter jumps to the first record
// of that letter) or in physical order, and the buttons that pick, add,
// change and delete through the table's update form, and close. A browse of
// the payroll is one description:
//
//     constexpr BrowseColumn kColumns[] = {{"Наименование", "@s20", OBE.OBEKT}};
//     constexpr TableBrowseDescription kObekt{.procedure = "Obekt", .caption = "Перечень объектов",
//         .table = &kObektTable, .key = 1, .columns = kColumns, .picks = true, .form = ObektUp};
//     TableBrowse(kObekt).RunWindow();
//
// Opened with PendingRequest 4 (select) a browse that picks shows
// "&Выбрать" as its default button (Enter and a double click choose too);
// choosing answers LastResponse 1 with the chosen record in the table's
// buffer, closing answers 2 with the buffer as the caller had it. Opened
// otherwise the select button is hidden.
//
// The update form is a procedure that takes its request from PendingRequest
// and leaves its response in LastResponse (framework/window/window_procedure.h).
// Runs on its procedure's thread while it holds the run token.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "core/table_declaration.h"
#include "framework/browse/browse_list.h"
#include "framework/window/window_procedure.h"
#include "storage/field_handle.h"
#include "storage/view/view.h"

namespace zelvo {

// A procedure of the program: its request in PendingRequest, its response
// left in LastResponse; the program's objects from core/startup/program_objects.h.
using ProcedureFunction = void (*)();

struct BrowseColumn {
  std::string_view header;  // UTF-8
  std::string_view picture;
  FieldHandle field;        // a field of the browse's table
  int width = 0;            // characters shown; 0 for the picture's width
};

struct TableBrowseDescription {
  std::string_view procedure;  // the procedure's name: its INI section, its entry on the procedure stack
  std::string_view caption;    // UTF-8
  const TableDeclaration* table = nullptr;
  std::size_t key = 0;         // the order's key (1-based); 0: physical order, no locator
  std::span<const BrowseColumn> columns;
  int rows = 12;               // rows the list shows at the window's first size
  bool picks = false;          // a picker: has the select button
  ProcedureFunction form = nullptr;
};

class TableBrowse final : public WindowProcedure {
 public:
  explicit TableBrowse(const TableBrowseDescription& description);
  ~TableBrowse() override;

 protected:
  WindowDefinition DefineWindow() override;
  Level WindowOpened() override;

 private:
  const TableBrowseDescription& description_;
  RelationSet* relations_ = nullptr;
  std::unique_ptr<View> view_;
  BrowseList browse_;
  ControlId list_ = 0, select_ = 0, insert_ = 0, change_ = 0, delete_ = 0;
};

}  // namespace zelvo
