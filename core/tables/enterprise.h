// The enterprise's own tables: OSNOVA (its requisites, a single record),
// AVANSNEW (advance payments of the social tax and pension contributions per
// quarter) and KATEGOR (the category report's work table).
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_OSNOVA_FIELDS(FIELD) \
  FIELD(IMNS, String(4))           \
  FIELD(GOD, String(4))            \
  FIELD(INN, String(10))           \
  FIELD(KPP, String(9))            \
  FIELD(OKATO, String(11))         \
  FIELD(NAME, String(255))         \
  FIELD(FAMO, String(50))          \
  FIELD(NOMO, String(50))          \
  FIELD(PERO, String(50))          \
  FIELD(FAMB, String(50))          \
  FIELD(NOMB, String(50))          \
  FIELD(PERB, String(50))          \
  FIELD(VER, String(50))           \
  FIELD(TEL, String(20))
ZELVO_DECLARE_FIELDS(Osnova, OSN, ZELVO_OSNOVA_FIELDS);

// Read in physical order: no keys.
inline constexpr TableDeclaration kOsnovaTable{
    .label = "OSNOVA", .prefix = "OSN", .fileName = "OSNOVA", .driver = Driver::Vxr,
    .messageName = "osnova", .fields = kOsnovaFields};

// One record per quarter, dated by its first month; per month 1..3 the social
// tax (ECN), the pension insurance (OPS), its insurance (STR) and funded (NAK) parts.
#define ZELVO_AVANSNEW_FIELDS(FIELD) \
  FIELD(DATA, Date())                \
  FIELD(ECN1, Decimal(9, 2))         \
  FIELD(ECN2, Decimal(9, 2))         \
  FIELD(ECN3, Decimal(9, 2))         \
  FIELD(OPS1, Decimal(9, 2))         \
  FIELD(OPS2, Decimal(9, 2))         \
  FIELD(OPS3, Decimal(9, 2))         \
  FIELD(STR1, Decimal(9, 2))         \
  FIELD(STR2, Decimal(9, 2))         \
  FIELD(STR3, Decimal(9, 2))         \
  FIELD(NAK1, Decimal(9, 2))         \
  FIELD(NAK2, Decimal(9, 2))         \
  FIELD(NAK3, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Avansnew, ABN, ZELVO_AVANSNEW_FIELDS);

inline constexpr KeyDeclaration kAvansnewKeys[] = {
    {"DATA_KEY", "ABN:data_key", kKeyDupOptNoCase, {{"DATA"}}},
};

inline constexpr TableDeclaration kAvansnewTable{
    .label = "AVANSNEW", .prefix = "ABN", .fileName = "AVANSNEW", .driver = Driver::Vxr,
    .messageName = "avansnew", .fields = kAvansnewFields, .keys = kAvansnewKeys};

// FAM is the full name (surname, name, patronymic separated by blanks); the
// fund amounts of the quarter's three months and their total.
#define ZELVO_KATEGOR_FIELDS(FIELD) \
  FIELD(FAM, String(60))            \
  FIELD(FOND1, Decimal(9, 2))       \
  FIELD(FOND2, Decimal(9, 2))       \
  FIELD(FOND3, Decimal(9, 2))       \
  FIELD(FOND, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Kategor, KAT, ZELVO_KATEGOR_FIELDS);

inline constexpr KeyDeclaration kKategorKeys[] = {
    {"FAM_KEY", "KAT:fam_key", kKeyDupOptNoCase, {{"FAM"}}},
};

inline constexpr TableDeclaration kKategorTable{
    .label = "KATEGOR", .prefix = "KAT", .fileName = "KATEGOR", .driver = Driver::Vxr,
    .messageName = "kategor", .fields = kKategorFields, .keys = kKategorKeys};

}  // namespace zelvo
