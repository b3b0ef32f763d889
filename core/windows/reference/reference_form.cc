#include "core/windows/reference/reference_form.h"

namespace zelvo {

ReferenceForm::ReferenceForm(std::string name, const TableDeclaration& table, std::string_view caption,
                             std::span<const ReferenceEntry> entries)
    : TableForm(std::move(name), table, caption), entries_(entries) {}

void ReferenceForm::DefineFields(WindowDefinition& w) {
  for (const ReferenceEntry& entry : entries_) AddDitto(Entry(w, entry.prompt, entry.field, entry.picture), entry.field);
  deleteAction = 4;
  cancelAction = 0;
}

}  // namespace zelvo
