// SDELKA: piecework jobs; rows 0..19 of the arrays are the workers sharing a job.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_SDELKA_FIELDS(FIELD)           \
  FIELD(DATA, Date())                        \
  FIELD(MESTO, String(20))                   \
  FIELD(SUMMA, Decimal(9, 2))                \
  FIELD(NUM, Decimal(5, 0).Dim(20))          \
  FIELD(FAM, String(20).Dim(20))             \
  FIELD(TARIF, Decimal(5, 2).Dim(20))        \
  FIELD(KTU, Decimal(3, 2).Dim(20))          \
  FIELD(CASY, Decimal(5, 0).Dim(20))         \
  FIELD(SUMTARS, Decimal(9, 2).Dim(20))      \
  FIELD(P, String(3))
ZELVO_DECLARE_FIELDS(Sdelka, SDE, ZELVO_SDELKA_FIELDS);

inline constexpr KeyDeclaration kSdelkaKeys[] = {
    {"MES_KEY", "SDE:mes_key", kKeyDupOptNoCase, {{"DATA"}, {"MESTO"}}},
};

// A new job has not been put into the pay records yet.
inline constexpr FieldDefault kSdelkaDefaults[] = {{"P", "Нет"}};

inline constexpr TableDeclaration kSdelkaTable{
    .label = "SDELKA", .prefix = "SDE", .fileName = "SDELKA", .driver = Driver::Vxr,
    .messageName = "sdelka", .fields = kSdelkaFields, .keys = kSdelkaKeys,
    .defaults = kSdelkaDefaults};

}  // namespace zelvo
