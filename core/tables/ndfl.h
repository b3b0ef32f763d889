// NDFL: the income-tax return text, one line per record, written by the ASCII driver.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_NDFL_FIELDS(FIELD) FIELD(STR, String(255))
ZELVO_DECLARE_FIELDS(Ndfl, ND, ZELVO_NDFL_FIELDS);

inline constexpr TableDeclaration kNdflTable{
    .label = "NDFL", .prefix = "ND", .fileName = "NDFL", .driver = Driver::Ascii,
    .messageName = "ndfl", .fields = kNdflFields};

}  // namespace zelvo
