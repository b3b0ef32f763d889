// How the fields of a record declaration meet the columns of a dBase table.
//
// Each field (array fields excepted, which take no column) is bound to one
// column by name. The field's external name, when it has one, reads:
// everything up to the last ':' dropped ("PEN:NOM=N(10.0)"), the column name
// before '=', after it a type: C (the field's size), D (8), L (1), M (10), or
// N/F with "(len)", "(len.dec)" or "(len,dec)", at most three digits each,
// len at most 20, dec at most len - 2 when not 0. Without an external name the
// column is named after the field. A malformed type is error 75.
//
// Declared types and the columns they take, on open and on create:
//
//   BYTE           L   (create: L)          T/t/Y/y 1, F/f/N/n 0, blank 63
//   DATE           D   (create: D)          YYYYMMDD, blanks no date
//   LONG           M   (create: M)          the memo block number
//   REAL, DECIMAL  N/F (create: REAL N(9.2), DECIMAL needs its type)
//   STRING         any (create: C of its size): C copied (OEM-converted for
//                  an OEM file), other columns as their raw text
//   anything else  error 75
//
// A column of the file whose type disagrees with the field is error 75, a
// field whose column the file lacks error 47 (Invalid Record Declaration). A
// field that names its type binds to a column of that kind whatever its
// width: values are always written in the width the file has.
//
// Writing answers 0, 205 when a text was cut to its C column (not an error),
// or -233 (bad data) when a value does not fit its column; reading answers
// -233 when a column's number does not fit its DECIMAL or LONG field.
// Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "storage/dbase/internal/dbase_header.h"
#include "storage/error_code.h"
#include "storage/field_declaration.h"

namespace zelvo {

inline constexpr int kDbaseTextCut = 205;

// A field's column as its declaration asks for it; type 0 when it names none.
struct DbaseColumnRequest {
  std::string name;
  char type = 0;
  std::uint16_t length = 0;
  std::uint8_t decimals = 0;
};

// nullopt when the external name's type is malformed (error 75).
std::optional<DbaseColumnRequest> ParseDbaseColumnRequest(const FieldDeclaration& field);

struct [[nodiscard]] DbaseColumnsPlan {
  ErrorCode code = ErrorCode::Ok;
  std::vector<DbaseColumn> columns;  // not yet checked (CheckDbaseColumns)
};
// The columns CREATE makes for a declaration.
DbaseColumnsPlan PlanDbaseColumns(std::span<const FieldDeclaration> fields);

struct DbaseBinding {
  std::size_t field = 0;   // index in the declaration
  std::size_t column = 0;  // index in the table's columns
};
struct [[nodiscard]] DbaseBindings {
  ErrorCode code = ErrorCode::Ok;
  std::vector<DbaseBinding> bindings;
};
DbaseBindings BindDbaseFields(std::span<const FieldDeclaration> fields, std::span<const DbaseColumn> columns);

// Moves every bound field between a record (the declaration's bytes) and a
// table row (record length bytes, the flag byte first). `oem`: C columns hold
// OEM text. On a failure the fields and columns before the faulty one have
// already moved.
[[nodiscard]] int ReadDbaseRow(std::span<const FieldDeclaration> fields, std::span<const DbaseColumn> columns,
                               std::span<const DbaseBinding> bindings, std::span<const std::uint8_t> row,
                               std::span<std::uint8_t> record, bool oem);
[[nodiscard]] int WriteDbaseRow(std::span<const FieldDeclaration> fields, std::span<const DbaseColumn> columns,
                                std::span<const DbaseBinding> bindings, std::span<const std::uint8_t> record,
                                std::span<std::uint8_t> row, bool oem);

}  // namespace zelvo
