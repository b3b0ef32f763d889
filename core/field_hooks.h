// The data behind two hooks of the table managers: PrimeFieldDefaults puts a
// table's default values into a new record, CheckFieldRule checks one field
// against its rule — its value must be one of a list (core/table_declaration.h
// FieldDefault, FieldRule).
//
// The test is a text search, as the forms have always done it: the value,
// converted to text (numbers without leading blanks, texts with trailing
// blanks clipped), is wrapped as "]" value "[" and looked for in the list of
// allowed values wrapped the same way:
//     "2"   in "]0[]1[]2[]3["   found: valid
//     "2"   in "]12["           "]2[" is not found: invalid
//     "муж" in "]жен.[]муж.["   invalid; "муж.  " clips to "муж.": valid
// A value that itself holds "]" or "[" could straddle two entries of the
// list; such a value is never valid.
//
// Showing message 15 and choosing the result level belong to the table
// manager; these functions only decide. Stateless; safe from any thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "storage/record_buffer.h"
#include "core/table_declaration.h"

namespace zelvo {

// Whether "]" value "[" occurs in `wrappedList` (both in the same encoding).
bool InWrappedList(std::string_view value, std::string_view wrappedList);

// The rule of field `fieldNumber` (1-based) of the table; nullptr when the
// field has none (every other field passes).
const FieldRule* RuleForField(const TableDeclaration& table, std::size_t fieldNumber);

// Whether the record's value of the rule's field is allowed.
// REQUIRES: the record is of the table and the rule one of the table's rules.
bool PassesFieldRule(const TableDeclaration& table, const FieldRule& rule,
                     const RecordBuffer& record);

// Puts the table's default values into a (cleared) new record, as the
// PrimeFieldDefaults hook of its table manager does: BAS:KTU = 1, SDE:P = "Нет".
void PrimeFieldDefaults(const TableDeclaration& table, RecordBuffer& record);

}  // namespace zelvo
