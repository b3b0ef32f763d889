// BOLNICA: one-off amounts per employee and date (sick pay, cash, aid, goods,
// materials, bonus) waiting to be put into the pay.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_BOLNICA_FIELDS(FIELD)  \
  FIELD(NUM, Decimal(5, 0))          \
  FIELD(DATA, Date())                \
  FIELD(FAM, String(30))             \
  FIELD(POST, String(20))            \
  FIELD(BOLNICA, Decimal(9, 2))      \
  FIELD(BTXT, Byte())                \
  FIELD(VYCHMATERIAL, Decimal(9, 2)) \
  FIELD(VYCHTOVAR, Decimal(9, 2))    \
  FIELD(POMOSCH, Decimal(9, 2))      \
  FIELD(AVANS, Decimal(9, 2))        \
  FIELD(PREMIJ, Decimal(9, 2))       \
  FIELD(VVOD, String(3))
ZELVO_DECLARE_FIELDS(Bolnica, BOL, ZELVO_BOLNICA_FIELDS);

inline constexpr KeyDeclaration kBolnicaKeys[] = {
    {"NUM_KEY", "BOL:num_key", kKeyDupOptNoCase, {{"NUM"}, {"DATA"}}},
    {"FAM_KEY", "BOL:fam_key", kKeyDupOptNoCase, {{"FAM"}}},
};

inline constexpr TableDeclaration kBolnicaTable{
    .label = "BOLNICA", .prefix = "BOL", .fileName = "BOLNICA", .driver = Driver::Vxr,
    .messageName = "bolnica", .fields = kBolnicaFields, .keys = kBolnicaKeys};

}  // namespace zelvo
