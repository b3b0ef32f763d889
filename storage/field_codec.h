// The byte forms of field values inside a record: the one place that reads and
// writes them, shared by the typed field handles and by code that works on a
// field known only at run time (field rules, defaults, later the expression
// evaluator and the table tools).
//
// Every function works on one element of a field: `bytes` points at its first
// byte and REQUIRES field.ElementBytes() bytes there. Integers are
// little-endian; REAL is an IEEE double, little-endian; DATE, TIME and DECIMAL
// are the packed forms of runtime/date_time.h and runtime/decimal.h.
//
// Text forms (CP1251):
//     STRING(n)   n bytes, blank padded; reads give all n bytes
//     CSTRING(n)  at most n-1 bytes, then zero bytes to the end
//     PSTRING(n)  a length byte (at most n-1), the text, then zero bytes
// A text that does not fit is refused (field unchanged, StoreResult::Overflow)
// unless the caller asks for it to be cut; blanks at its end are padding and
// never make it too long. A CSTRING text ends at its first zero byte.
//
// Stateless; safe from any thread on distinct bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/field_declaration.h"
#include "runtime/date_time.h"
#include "runtime/decimal.h"

namespace zelvo {

enum class TextFit : std::uint8_t {
  Refuse,  // a too-long text leaves the field unchanged: StoreResult::Overflow
  Cut,     // a too-long text is cut to what the field holds: StoreResult::Ok
};

// REQUIRES for all: bytes holds one element of `field`, of the type named.
std::int64_t ReadInteger(FieldType type, const std::uint8_t* bytes);
// Overflow (field unchanged) when the value is outside the type's range.
StoreResult WriteInteger(FieldType type, std::uint8_t* bytes, std::int64_t value);

double ReadReal(const std::uint8_t* bytes);
void WriteReal(std::uint8_t* bytes, double value);

Decimal ReadDecimal(const FieldDeclaration& field, const std::uint8_t* bytes);
StoreResult WriteDecimal(const FieldDeclaration& field, std::uint8_t* bytes, const Decimal& value);

// 0 for no date; a damaged packed date reads as no date.
DayNumber ReadDate(const std::uint8_t* bytes);
// 0 stores no date; any other day outside kFirstDay..kLastDay is refused.
StoreResult WriteDate(std::uint8_t* bytes, DayNumber day);
// 0 for no time; a damaged packed time reads as no time.
TimeValue ReadTime(const std::uint8_t* bytes);
// 0 stores no time; any other value outside 1..kLastTime is refused.
StoreResult WriteTime(std::uint8_t* bytes, TimeValue time);

// The text of a STRING, CSTRING or PSTRING element, as described above.
std::string ReadText(const FieldDeclaration& field, const std::uint8_t* bytes);
StoreResult WriteText(const FieldDeclaration& field, std::uint8_t* bytes, std::string_view text,
                      TextFit fit = TextFit::Refuse);

// The value of a cleared record: zero, or blanks for STRING.
void ClearElement(const FieldDeclaration& field, std::uint8_t* bytes);

// The value as text, the way a field rule compares it: numbers without
// leading blanks (a decimal in its shortest exact form, "12.5"; a date or time
// as its day or time number), texts with trailing blanks clipped.
std::string ValueText(const FieldDeclaration& field, const std::uint8_t* bytes);

// Assigns a value written as text: numbers are read as Decimal::Parse reads
// them (integer fields drop the fraction), dates and times as their numbers,
// texts (CP1251) as they stand. The same overflow rules as the typed writes.
StoreResult AssignText(const FieldDeclaration& field, std::uint8_t* bytes, std::string_view text);

// Trailing blanks removed.
std::string_view Clip(std::string_view text);

}  // namespace zelvo
