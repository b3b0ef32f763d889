// The program-wide variables that filters, views and report ranges refer to
// by name, and the registry the expression evaluator binds them through.
//
// The variables live in one process-wide record of their own layout, declared
// like a table's fields, so they are read and written with the same handles
// and byte forms as fields (`VAR.dat.Get(ProgramVariables())`) and an
// evaluator needs one code path for both. FindBoundVariable gives a
// variable's name, declaration (type, size or digits and places) and the
// address of its bytes.
//
//     dat        DATE           the working month: any date inside it
//     datN       DATE           the month of the pay record last opened in the pay form
//     numG       DECIMAL(5,0)   the employee chosen for a per-employee browse or report
//     uchastokg  STRING(21)     the section chosen for per-section reports
//     adresG     STRING(50)     address text used by the address pickers
//     kodreg, kodrai, kodtow, kodnas   STRING(2), (3), (3), (3): codes chosen in the pickers
//     num1..num4 DECIMAL(5,0)   employee numbers used by the report procedures
//
// Like all program state the storage is touched only by the thread that holds
// the run token; it takes no lock. Addresses stay valid for the whole run.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "storage/declare_fields.h"
#include "storage/record_buffer.h"

namespace zelvo {

#define ZELVO_PROGRAM_VARIABLES(FIELD) \
  FIELD(dat, Date())                   \
  FIELD(datN, Date())                  \
  FIELD(numG, Decimal(5, 0))           \
  FIELD(uchastokg, String(21))         \
  FIELD(adresG, String(50))            \
  FIELD(kodreg, String(2))             \
  FIELD(kodrai, String(3))             \
  FIELD(kodtow, String(3))             \
  FIELD(kodnas, String(3))             \
  FIELD(num1, Decimal(5, 0))           \
  FIELD(num2, Decimal(5, 0))           \
  FIELD(num3, Decimal(5, 0))           \
  FIELD(num4, Decimal(5, 0))
ZELVO_DECLARE_FIELDS(ProgramVariables, VAR, ZELVO_PROGRAM_VARIABLES);

// The storage of every variable, cleared at start: no dates, zero numbers, blank texts.
RecordBuffer& ProgramVariables();

struct BoundVariable {
  std::string_view name;
  const FieldDeclaration* declaration;
  std::uint8_t* address;  // the variable's bytes, in its field's byte form
};

// Every variable, in declaration order.
std::span<const FieldDeclaration> BoundVariableDeclarations();
// The variable called `name`, case-insensitively; nullopt when none.
std::optional<BoundVariable> FindBoundVariable(std::string_view name);

}  // namespace zelvo
