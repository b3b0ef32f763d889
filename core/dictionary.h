// The data dictionary: the twenty tables of the program and the relations
// between them, as constexpr declarations (core/tables/*.h), with their typed
// field handles (`BAS.FAM`, `NBA.SUMM`, `SDE.NUM.At(i)`).
//
// Tables() lists them in the order the start-up binds their table managers:
// BASA, OSNOVA, NDFL, PENSTA, SPISOK, AVANSNEW, KATEGOR, K1O, K2RN, K3G, K4NP,
// K5UL, UCHASTOK, SDELKA, NZELVO, OBEKT, BOLNICA, KONST, NBASA, DNI.
// Seventeen are the payroll's indexed record files, SPISOK and PENSTA the
// pension-fund program's dBase tables, NDFL the income-tax export text.
//
// All of it is immutable; safe to read from any thread.
#pragma once

#include <span>
#include <string_view>

#include "core/relation_declaration.h"
#include "core/table_declaration.h"
#include "core/tables/address_classifier.h"
#include "core/tables/basa.h"
#include "core/tables/bolnica.h"
#include "core/tables/enterprise.h"
#include "core/tables/nbasa.h"
#include "core/tables/ndfl.h"
#include "core/tables/nzelvo.h"
#include "core/tables/pension_fund.h"
#include "core/tables/reference.h"
#include "core/tables/sdelka.h"

namespace zelvo {

std::span<const TableDeclaration* const> Tables();
// The table with this label, case-insensitively ("basa" finds BASA); nullptr when none.
const TableDeclaration* FindTable(std::string_view label);
// The table whose field prefix this is ("NBA" finds NBASA); nullptr when none.
const TableDeclaration* FindTableByPrefix(std::string_view prefix);

// Every relation, in the order the start-up defines them.
std::span<const RelationDeclaration> Relations();

}  // namespace zelvo
