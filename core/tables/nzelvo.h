// NZELVO: the pay lines of an employee's month, one per work object; the
// month's NBASA record holds their sums.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_NZELVO_FIELDS(FIELD)   \
  FIELD(NUM, Decimal(5, 0))          \
  FIELD(DATA, Date())                \
  FIELD(DNI, Decimal(3, 0))          \
  FIELD(CASY, Decimal(3, 0))         \
  FIELD(CASYP, Decimal(3, 0))        \
  FIELD(CASYS, Decimal(3, 0))        \
  FIELD(CASYSRED, Decimal(3, 0))     \
  FIELD(SUMTARS, Decimal(7, 2))      \
  FIELD(SRED, Decimal(7, 2))         \
  FIELD(BOLNICA, Decimal(9, 2))      \
  FIELD(OTPUSK, Decimal(9, 2))       \
  FIELD(COMP, Decimal(7, 2))         \
  FIELD(VYGODA, Decimal(7, 2))       \
  FIELD(UIKEND, Decimal(7, 2))       \
  FIELD(POMOSCH, Decimal(9, 2))      \
  FIELD(PREMIJ, Decimal(9, 2))       \
  FIELD(TRUD, Decimal(9, 2))         \
  FIELD(SOVMECH, Decimal(7, 2))      \
  FIELD(BRIGADA, Decimal(7, 2))      \
  FIELD(SUMM, Decimal(9, 2))         \
  FIELD(FOND, Decimal(9, 2))         \
  FIELD(SUMNG, Decimal(11, 2))       \
  FIELD(ALIMENT, Decimal(7, 2))      \
  FIELD(AVANS, Decimal(7, 2))        \
  FIELD(PODOTCHET, Decimal(9, 2))    \
  FIELD(SSUDA, Decimal(9, 2))        \
  FIELD(PROCHIE, Decimal(9, 2))      \
  FIELD(VYCHMATERIAL, Decimal(9, 2)) \
  FIELD(VYCHTOVAR, Decimal(9, 2))    \
  FIELD(PROCH, Decimal(9, 2))        \
  FIELD(MESTO, String(20))           \
  FIELD(KLASS, Decimal(7, 2))        \
  FIELD(PREMIJPR, Decimal(7, 2))     \
  FIELD(PRPR, Decimal(5, 1))         \
  FIELD(VOZVRAT, Decimal(9, 2))      \
  FIELD(A, Byte())                   \
  FIELD(H, Byte())                   \
  FIELD(BTXT, Byte())                \
  FIELD(OTXT, Byte())                \
  FIELD(CTXT, Byte())                \
  FIELD(MOIKA, Decimal(7, 2))        \
  FIELD(REMONT, Decimal(7, 2))       \
  FIELD(CASYR, Decimal(3, 0))        \
  FIELD(DOLGRETURN, Decimal(9, 2))   \
  FIELD(NOCHNYE, Decimal(7, 2))      \
  FIELD(POSOBIE, Decimal(7, 2))
ZELVO_DECLARE_FIELDS(Nzelvo, NPL, ZELVO_NZELVO_FIELDS);

inline constexpr KeyDeclaration kNzelvoKeys[] = {
    {"NUM_KEY", "NPL:num_key", kKeyDupOptNoCase, {{"NUM"}, {"DATA"}}},
    {"MES_KEY", "NPL:mes_key", kKeyDupOptNoCase, {{"MESTO"}}},
};

inline constexpr TableDeclaration kNzelvoTable{
    .label = "NZELVO", .prefix = "NPL", .fileName = "NZELVO", .driver = Driver::Vxr,
    .messageName = "nzelvo", .fields = kNzelvoFields, .keys = kNzelvoKeys};

}  // namespace zelvo
