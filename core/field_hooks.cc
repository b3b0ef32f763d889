#include "core/field_hooks.h"

#include <string>

#include "storage/field_codec.h"
#include "runtime/cp1251.h"

namespace zelvo {

bool InWrappedList(std::string_view value, std::string_view wrappedList) {
  if (value.find_first_of("[]") != std::string_view::npos) return false;
  std::string wrapped;
  wrapped.reserve(value.size() + 2);
  wrapped.append("]").append(value).append("[");
  return wrappedList.find(wrapped) != std::string_view::npos;
}

const FieldRule* RuleForField(const TableDeclaration& table, std::size_t fieldNumber) {
  for (const FieldRule& rule : table.rules) {
    const std::optional<std::size_t> index = table.Field(rule.field);
    if (index && *index + 1 == fieldNumber) return &rule;
  }
  return nullptr;
}

bool PassesFieldRule(const TableDeclaration& table, const FieldRule& rule,
                     const RecordBuffer& record) {
  const std::optional<std::size_t> index = table.Field(rule.field);
  if (!index || record.Layout().data() != table.fields.data()) return false;
  const FieldDeclaration& field = table.fields[*index];
  // The lists are written in UTF-8; CP1251 to UTF-8 maps every code to its own
  // sequence and leaves "]" and "[" alone, so searching the converted value in
  // the UTF-8 list finds exactly what a CP1251 search would.
  const std::string text = ValueText(field, record.Bytes().data() + field.offset);
  return InWrappedList(Cp1251ToUtf8(text), rule.allowed);
}

void PrimeFieldDefaults(const TableDeclaration& table, RecordBuffer& record) {
  if (record.Layout().data() != table.fields.data()) return;
  for (const FieldDefault& value : table.defaults) {
    const std::optional<std::size_t> index = table.Field(value.field);
    if (!index) continue;
    const FieldDeclaration& field = table.fields[*index];
    // The declared defaults fit their fields; the dictionary tests hold them to it.
    (void)AssignText(field, record.Bytes().data() + field.offset, Cp1251Literal(value.value));
  }
}

}  // namespace zelvo
