// NBASA: the monthly pay record, one per employee and month: the month's
// amounts summed over its NZELVO lines and the computed results.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_NBASA_FIELDS(FIELD)    \
  FIELD(NUM, Decimal(5, 0))          \
  FIELD(DATA, Date())                \
  FIELD(FAM, String(20))             \
  FIELD(POST, String(20))            \
  FIELD(DNI, Decimal(3, 0))          \
  FIELD(CASY, Decimal(3, 0))         \
  FIELD(CASYP, Decimal(3, 0))        \
  FIELD(CASYS, Decimal(3, 0))        \
  FIELD(CASYSRED, Decimal(3, 0))     \
  FIELD(KTU, Decimal(3, 2))          \
  FIELD(OKLAD, Decimal(7, 2))        \
  FIELD(TARIF, Decimal(5, 2))        \
  FIELD(SUMTARS, Decimal(7, 2))      \
  FIELD(SRED, Decimal(7, 2))         \
  FIELD(BOLNICA, Decimal(9, 2))      \
  FIELD(OTPUSK, Decimal(9, 2))       \
  FIELD(COMP, Decimal(7, 2))         \
  FIELD(VYGODA, Decimal(7, 2))       \
  FIELD(POMOSCH, Decimal(9, 2))      \
  FIELD(PREMIJ, Decimal(9, 2))       \
  FIELD(PREMIJPR, Decimal(7, 2))     \
  FIELD(TRUD, Decimal(9, 2))         \
  FIELD(SOVMECH, Decimal(7, 2))      \
  FIELD(BRIGADA, Decimal(7, 2))      \
  FIELD(SUMM, Decimal(9, 2))         \
  FIELD(N12, Decimal(7, 2))          \
  FIELD(FOND, Decimal(9, 2))         \
  FIELD(SUMNG, Decimal(11, 2))       \
  FIELD(KLG, Byte())                 \
  FIELD(SUMLG, Decimal(7, 2))        \
  FIELD(SUMLGL, Decimal(7, 2))       \
  FIELD(ALIMENT, Decimal(7, 2))      \
  FIELD(AVANS, Decimal(9, 2))        \
  FIELD(PODOTCHET, Decimal(9, 2))    \
  FIELD(SSUDA, Decimal(9, 2))        \
  FIELD(VYCHMATERIAL, Decimal(9, 2)) \
  FIELD(VYCHTOVAR, Decimal(9, 2))    \
  FIELD(PROCH, Decimal(9, 2))        \
  FIELD(KLASS, Decimal(7, 2))        \
  FIELD(VOZVRAT, Decimal(9, 2))      \
  FIELD(PROCHIE, Decimal(9, 2))      \
  FIELD(BTXT, Byte())                \
  FIELD(OTXT, Byte())                \
  FIELD(CTXT, Byte())                \
  FIELD(UCHASTOK, String(20))        \
  FIELD(MOIKA, Decimal(7, 2))        \
  FIELD(REMONT, Decimal(7, 2))       \
  FIELD(CASYR, Decimal(3, 0))        \
  FIELD(DOLGRETURN, Decimal(9, 2))   \
  FIELD(POSOBIE, Decimal(7, 2))      \
  FIELD(NOCHNYE, Decimal(7, 2))
ZELVO_DECLARE_FIELDS(Nbasa, NBA, ZELVO_NBASA_FIELDS);

inline constexpr KeyDeclaration kNbasaKeys[] = {
    {"NUM_KEY", "NBA:num_key", kKeyDupOptNoCase, {{"NUM"}, {"DATA"}}},
    {"FAM_KEY", "NBA:fam_key", kKeyDupOptNoCase, {{"FAM"}}},
};

inline constexpr TableDeclaration kNbasaTable{
    .label = "NBASA", .prefix = "NBA", .fileName = "NBASA", .driver = Driver::Vxr,
    .messageName = "nbasa", .fields = kNbasaFields, .keys = kNbasaKeys};

}  // namespace zelvo
