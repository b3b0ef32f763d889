// FieldDeclaration: one field of a declared record layout — its name, type,
// size, digits and places, element count, the external column name of a dBase
// field — and the computed byte offset inside the record.
//
// A layout is written once as an array of kinds built with the `decl`
// functions and laid out by LayOut, which fills every offset: the fields lie
// end to end in declaration order with no padding, so the record size is the
// sum of the field sizes. Everything here is constexpr; layouts are plain
// immutable data and safe to read from any thread.
//
// Bytes per element:
//     BYTE 1   SHORT, USHORT 2   LONG, ULONG 4   REAL 8   DATE, TIME 4
//     DECIMAL(n,p) (n+1)/2   STRING(n), CSTRING(n), PSTRING(n) n
// Examples:
//     decl::Decimal(9, 2)             5 bytes
//     decl::Decimal(5, 0).Dim(20)     60 bytes, 20 elements of 3
//     decl::Real().External("NOM=N(10.0)")   8 bytes, dBase column NOM=N(10.0)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zelvo {

enum class FieldType : std::uint8_t {
  Byte, Short, UShort, Long, ULong, Real, Date, Time, Decimal, String, CString, PString,
};

// The type's name as the dictionary writes it ("DECIMAL", "CSTRING").
std::string_view FieldTypeName(FieldType type);

constexpr bool IsIntegerType(FieldType t) {
  return t == FieldType::Byte || t == FieldType::Short || t == FieldType::UShort ||
         t == FieldType::Long || t == FieldType::ULong;
}
constexpr bool IsTextType(FieldType t) {
  return t == FieldType::String || t == FieldType::CString || t == FieldType::PString;
}

struct FieldDeclaration {
  std::string_view name;          // without the table prefix: "SUMM"
  FieldType type = FieldType::Byte;
  std::uint16_t size = 0;         // text types: bytes; DECIMAL: digits; others: unused
  std::uint8_t places = 0;        // DECIMAL only
  std::uint16_t elements = 1;     // DIM arrays: element count
  std::string_view externalName;  // dBase column of the field ("NOM=N(10.0)"), else empty
  std::uint32_t offset = 0;       // computed by LayOut

  constexpr std::uint32_t ElementBytes() const {
    switch (type) {
      case FieldType::Byte: return 1;
      case FieldType::Short:
      case FieldType::UShort: return 2;
      case FieldType::Long:
      case FieldType::ULong:
      case FieldType::Date:
      case FieldType::Time: return 4;
      case FieldType::Real: return 8;
      case FieldType::Decimal: return (size + 1u) / 2u;
      case FieldType::String:
      case FieldType::CString:
      case FieldType::PString: return size;
    }
    return 0;
  }
  constexpr std::uint32_t Bytes() const { return ElementBytes() * elements; }

  // Builder steps used inside layouts.
  constexpr FieldDeclaration Dim(std::uint16_t count) const {
    FieldDeclaration f = *this;
    f.elements = count;
    return f;
  }
  constexpr FieldDeclaration External(std::string_view column) const {
    FieldDeclaration f = *this;
    f.externalName = column;
    return f;
  }
  constexpr FieldDeclaration Named(std::string_view fieldName) const {
    FieldDeclaration f = *this;
    f.name = fieldName;
    return f;
  }
};

// The kinds a layout is written with.
namespace decl {
constexpr FieldDeclaration Of(FieldType t, std::uint16_t size = 0, std::uint8_t places = 0) {
  FieldDeclaration f;
  f.type = t;
  f.size = size;
  f.places = places;
  return f;
}
constexpr FieldDeclaration Byte() { return Of(FieldType::Byte); }
constexpr FieldDeclaration Short() { return Of(FieldType::Short); }
constexpr FieldDeclaration UShort() { return Of(FieldType::UShort); }
constexpr FieldDeclaration Long() { return Of(FieldType::Long); }
constexpr FieldDeclaration ULong() { return Of(FieldType::ULong); }
constexpr FieldDeclaration Real() { return Of(FieldType::Real); }
constexpr FieldDeclaration Date() { return Of(FieldType::Date); }
constexpr FieldDeclaration Time() { return Of(FieldType::Time); }
// REQUIRES: 1 <= digits <= 31, places <= digits (checked when the layout is built).
constexpr FieldDeclaration Decimal(std::uint16_t digits, std::uint8_t places) {
  return Of(FieldType::Decimal, digits, places);
}
constexpr FieldDeclaration String(std::uint16_t bytes) { return Of(FieldType::String, bytes); }
constexpr FieldDeclaration CString(std::uint16_t bytes) { return Of(FieldType::CString, bytes); }
constexpr FieldDeclaration PString(std::uint16_t bytes) { return Of(FieldType::PString, bytes); }
}  // namespace decl

// Whether a declaration can be laid out: decimals of 1..31 digits with places
// within them, texts of at least one byte (two for CSTRING and PSTRING, which
// keep a byte for the terminator or the length), at least one element.
constexpr bool IsWellFormed(const FieldDeclaration& f) {
  if (f.name.empty() || f.elements == 0) return false;
  if (f.type == FieldType::Decimal) return f.size >= 1 && f.size <= 31 && f.places <= f.size;
  if (f.type == FieldType::String) return f.size >= 1;
  if (f.type == FieldType::CString || f.type == FieldType::PString) return f.size >= 2 && f.size <= 256;
  return true;
}

// Fills the offsets. Runs at compile time only: a malformed field is a compile
// error at the layout that holds it.
template <std::size_t N>
consteval std::array<FieldDeclaration, N> LayOut(std::array<FieldDeclaration, N> fields) {
  std::uint32_t offset = 0;
  for (FieldDeclaration& f : fields) {
    if (!IsWellFormed(f)) throw "malformed field declaration";
    f.offset = offset;
    offset += f.Bytes();
  }
  return fields;
}

constexpr std::size_t RecordSize(std::span<const FieldDeclaration> fields) {
  std::size_t size = 0;
  for (const FieldDeclaration& f : fields) size += f.Bytes();
  return size;
}

// Case-insensitive (ASCII) comparison of field and variable names: expressions
// write "NBA:data" for the field DATA.
constexpr bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

// Index of the field called `name`, case-insensitively; nullopt when none.
constexpr std::optional<std::size_t> FindField(std::span<const FieldDeclaration> fields,
                                               std::string_view name) {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (SameName(fields[i].name, name)) return i;
  return std::nullopt;
}

}  // namespace zelvo
