// BASA: the employee register, one record per employee.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_BASA_FIELDS(FIELD)  \
  FIELD(NUM, Decimal(5, 0))       \
  FIELD(FAM, String(20))          \
  FIELD(NOM, String(20))          \
  FIELD(PER, String(20))          \
  FIELD(DATA, Date())             \
  FIELD(A, Byte())                \
  FIELD(H, Byte())                \
  FIELD(ALIMENT, Byte())          \
  FIELD(POST, String(20))         \
  FIELD(OKLAD, Decimal(7, 2))     \
  FIELD(TARIF, Decimal(5, 2))     \
  FIELD(KTU, Decimal(3, 2))       \
  FIELD(PASE, String(20))         \
  FIELD(IGD1, String(7))          \
  FIELD(D1, Date())               \
  FIELD(IGD2, String(7))          \
  FIELD(D2, Date())               \
  FIELD(IGD3, String(7))          \
  FIELD(D3, Date())               \
  FIELD(IGD4, String(7))          \
  FIELD(D4, Date())               \
  FIELD(IGD5, String(7))          \
  FIELD(D5, Date())               \
  FIELD(KLASS, Decimal(3, 0))     \
  FIELD(MOIKA, Decimal(3, 0))     \
  FIELD(INN, String(12))          \
  FIELD(UCHASTOK, String(20))     \
  FIELD(DATAN, Date())            \
  FIELD(DATAK, Date())            \
  FIELD(I, Byte())                \
  FIELD(P, Byte())                \
  FIELD(O, Byte())                \
  FIELD(INDEKC, String(6))        \
  FIELD(OBLAST, String(50))       \
  FIELD(REGION, String(50))       \
  FIELD(GOROD, String(50))        \
  FIELD(PUNKT, String(50))        \
  FIELD(ADRES, String(50))        \
  FIELD(DOM, String(3))           \
  FIELD(KORP, String(3))          \
  FIELD(KV, String(3))            \
  FIELD(TIPOBL, String(10))       \
  FIELD(TIPREG, String(10))       \
  FIELD(TIPGOR, String(10))       \
  FIELD(TIPNP, String(10))        \
  FIELD(TIPUL, String(10))        \
  FIELD(ADRESS, CString(200))     \
  FIELD(STRAH, String(14))        \
  FIELD(POL, String(4))           \
  FIELD(VYDAN, String(100))       \
  FIELD(SUMPRED, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Basa, BAS, ZELVO_BASA_FIELDS);

inline constexpr KeyDeclaration kBasaKeys[] = {
    {"NUM_KEY", "BAS:num_key", kKeyOpt | kKeyNoCase | kKeyPrimary, {{"NUM"}}},
    {"FAM_KEY", "BAS:fam_key", kKeyDupOptNoCase, {{"FAM"}, {"NOM"}, {"PER"}}},
};

// A new employee's labour participation coefficient is 1.
inline constexpr FieldDefault kBasaDefaults[] = {{"KTU", "1"}};

inline constexpr FieldRule kBasaRules[] = {
    {"ALIMENT", "BAS:aliment", "]0[]1[]2[]3[", "'0','1','2','3'"},
    {"POL", "BAS:pol", "]жен.[]муж.[", "'жен.','муж.'"},
};

inline constexpr TableDeclaration kBasaTable{
    .label = "BASA", .prefix = "BAS", .fileName = "BASA", .driver = Driver::Vxr,
    .messageName = "basa", .fields = kBasaFields, .keys = kBasaKeys,
    .defaults = kBasaDefaults, .rules = kBasaRules};

}  // namespace zelvo
