// ReferenceForm: the update form of a reference table (constants, working
// days, objects, sections): its entries, each recalled by ditto (Ctrl+'),
// "Ввод" and "Отмена". A delete request removes the record at once, without
// asking, and closing never asks: the records are small and entered again
// in a moment.
//
//     constexpr ReferenceEntry kEntries[] = {{"Наименование:", OBE.OBEKT, "@s20"}};
//     ReferenceForm("ObektUp", kObektTable, "Перечень объектов", kEntries).RunWindow();
//
// Runs on its procedure's thread while it holds the run token.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/windows/table_form.h"

namespace zelvo {

struct ReferenceEntry {
  std::string_view prompt;  // UTF-8
  FieldHandle field;
  std::string_view picture;
};

class ReferenceForm : public TableForm {
 public:
  ReferenceForm(std::string name, const TableDeclaration& table, std::string_view caption,
                std::span<const ReferenceEntry> entries);

 protected:
  // The entries, after whatever a form defines before calling this.
  void DefineFields(WindowDefinition& w) override;

 private:
  std::span<const ReferenceEntry> entries_;
};

}  // namespace zelvo
