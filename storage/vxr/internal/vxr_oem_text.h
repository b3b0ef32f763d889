// The OEM attribute of an indexed record FILE: the text of its STRING,
// CSTRING and PSTRING fields is stored in the OEM code page (CP866) and held
// in the record buffer in the program's ANSI code page (CP1251). A CSTRING is
// converted up to its terminator, a PSTRING for the count in its first byte,
// every element of an array on its own. A character without a counterpart in
// the other code page is kept as it is.
//
// Example: a STRING(3) holding "\xCF\xF0\xE8" ("При") is stored as
//     "\x8F\xE0\xA8".
//
// Pure functions over a record image laid out by `fields`.
#pragma once

#include <cstdint>
#include <span>

#include "storage/field_declaration.h"

namespace zelvo {

enum class VxrTextDirection : std::uint8_t { ToOem, FromOem };

// Converts the text fields of `record` in place.
void ConvertVxrText(std::span<const FieldDeclaration> fields, std::span<std::uint8_t> record,
                    VxrTextDirection direction);

}  // namespace zelvo
