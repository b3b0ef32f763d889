// Records as JSON: every field of a declared layout to and from one JSON
// object, by the field's name. The tools (`zelvo calc`, `zelvo table`) speak
// this form; the dictionary's declarations drive it, so it serves any table.
//
// Value forms, the same on input and output except where noted:
//     DECIMAL(n,p)        a string with exactly p places: "4761.90", "21" for DECIMAL(3,0).
//                         Input also takes a JSON number; both are read from their text,
//                         never through a double, and rounded half away from zero to p
//                         places as a store rounds ("0.005" -> "0.01")
//     BYTE .. ULONG       a JSON number; input also a numeric string; a fraction is
//                         rounded like a DECIMAL(n,0); outside the type's range is an error
//     REAL                a JSON number; input also a numeric string
//     DATE                "YYYY-MM-DD", or null for no date
//     TIME                "hh:mm:ss.cc", or null for no time; input also "hh:mm" and "hh:mm:ss"
//     STRING, CSTRING,    UTF-8 text (CP1251 inside); output without trailing blanks; a
//     PSTRING             character CP1251 lacks, or a text longer than the field, is an error
//     a DIM field         a JSON array of its elements; input may give fewer (the rest are
//                         cleared), never more
// Numeric text is JSON's number grammar: "-12.5", "1.5e3"; nothing else is a number.
//
// Errors are values: the path of the value and what is wrong with it, the
// path being the caller's prefix, a dot and the field's name, with an element
// index for arrays: "employee.OKLAD", "lines[2].MESTO", "job.NUM[3]". A value
// in error leaves its field unchanged.
//
// Stateless; safe from any thread on distinct records.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/cli/json_document.h"
#include "storage/field_declaration.h"
#include "storage/record_buffer.h"
#include "runtime/decimal.h"

namespace zelvo {

struct JsonValueError {
  std::string path;     // "employee.OKLAD"
  std::string problem;  // "\"12x\" is not a number"
  std::string Message() const { return path + ": " + problem; }
};
using JsonReadResult = std::optional<JsonValueError>;  // nullopt: every value was stored

// The field's value (an array for a DIM field).
Json FieldToJson(const RecordBuffer& record, const FieldDeclaration& field);
// Every field, in declaration order.
Json RecordToJson(const RecordBuffer& record);

// REQUIRES: `field` is one of the record's layout.
[[nodiscard]] JsonReadResult FieldFromJson(const Json& value, const FieldDeclaration& field,
                                           RecordBuffer& record, std::string_view path);
// Stores every member of `object` in the field of that name (matched as the
// program matches field names, without regard to case); fields not named keep
// their values, so a record read into a cleared buffer has the rest cleared.
// A name that is no field, or a field named twice, is an error. Stops at the
// first error, in the object's order.
[[nodiscard]] JsonReadResult RecordFromJson(const Json& object, RecordBuffer& record,
                                            std::string_view path);

// Reads a JSON number, or a string holding one, as a Decimal with every digit
// of its text; nullopt when it is neither. Used for values that are not fields.
std::optional<Decimal> JsonDecimal(const Json& value);

}  // namespace zelvo
