#include "core/dictionary.h"

#include <array>

namespace zelvo {
namespace {

constexpr std::array<const TableDeclaration*, 20> kTables = {
    &kBasaTable,     &kOsnovaTable, &kNdflTable,   &kPenstaTable,   &kSpisokTable,
    &kAvansnewTable, &kKategorTable, &kK1oTable,   &kK2rnTable,     &kK3gTable,
    &kK4npTable,     &kK5ulTable,   &kUchastokTable, &kSdelkaTable, &kNzelvoTable,
    &kObektTable,    &kBolnicaTable, &kKonstTable, &kNbasaTable,    &kDniTable,
};

// Deleting or renumbering an employee leaves the pay records alone; deleting a
// pay record deletes its pay lines.
constexpr RelationDeclaration kRelations[] = {
    {kBasaTable, kNbasaTable, {{"NUM", "NUM"}}, "NUM_KEY", RelationMode::None, RelationMode::None},
    {kBasaTable, kNzelvoTable, {{"NUM", "NUM"}}, "NUM_KEY", RelationMode::None, RelationMode::None},
    {kNbasaTable, kNzelvoTable, {{"NUM", "NUM"}, {"DATA", "DATA"}}, "NUM_KEY", RelationMode::None,
     RelationMode::Cascade},
    {kNbasaTable, kBasaTable},
    {kNzelvoTable, kNbasaTable},
    {kNzelvoTable, kBasaTable},
};

constexpr bool AllNamesResolve() {
  for (const TableDeclaration* table : kTables)
    if (!NamesResolve(*table)) return false;
  for (const RelationDeclaration& relation : kRelations)
    if (!LinksResolve(relation)) return false;
  return true;
}
static_assert(AllNamesResolve(), "a key, default, rule or relation names a field that is not declared");

}  // namespace

std::span<const TableDeclaration* const> Tables() { return kTables; }

const TableDeclaration* FindTable(std::string_view label) {
  for (const TableDeclaration* table : kTables)
    if (SameName(table->label, label)) return table;
  return nullptr;
}

const TableDeclaration* FindTableByPrefix(std::string_view prefix) {
  for (const TableDeclaration* table : kTables)
    if (SameName(table->prefix, prefix)) return table;
  return nullptr;
}

std::span<const RelationDeclaration> Relations() { return kRelations; }

}  // namespace zelvo
