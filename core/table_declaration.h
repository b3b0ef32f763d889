// TableDeclaration: everything the dictionary says about one table — label,
// field prefix, file name, driver, the name shown in messages, the record
// layout, the keys, the default values and the field rules — as constexpr
// data. The table managers of the framework are built from it at start-up;
// the relations between tables are declared beside the tables
// (core/dictionary.h).
//
// Keys name their components by field name within the table; field rules and
// defaults name their field the same way. The dictionary checks at compile
// time that every such name is a field of its table.
//
// Immutable data; safe to read from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "storage/driver_kind.h"
#include "storage/field_declaration.h"
#include "storage/key_declaration.h"

namespace zelvo {

// A value a new record starts with (PrimeFieldDefaults): the field and the
// value as UTF-8 text, assigned as storage/field_codec.h AssignText does after
// conversion to CP1251.
struct FieldDefault {
  std::string_view field;
  std::string_view value;
};

// A field whose value must be one of a list (CheckFieldRule). Texts are UTF-8
// in the declaration; the rule compares in CP1251 (core/field_rule.h).
struct FieldRule {
  std::string_view field;         // the field checked, within the table
  std::string_view messageField;  // %Field of the message: "BAS:aliment"
  std::string_view allowed;       // every allowed value wrapped as "]" value "[": "]0[]1["
  std::string_view listText;      // %Message of the message: "'0','1'"
};

struct TableDeclaration {
  std::string_view label = {};   // "BASA", also the table manager's name
  std::string_view prefix = {};  // "BAS"
  std::string_view fileName = {};  // "BASA"
  Driver driver = Driver::Vxr;
  std::string_view messageName = {};  // "basa", the table manager's FILENAMEVALUE
  std::span<const FieldDeclaration> fields = {};
  std::span<const KeyDeclaration> keys = {};
  std::span<const FieldDefault> defaults = {};
  std::span<const FieldRule> rules = {};
  bool create = true;                // a missing file is created on first open
  std::int16_t lockRecover = 10;     // sent as "Recover=10" when an open is refused

  constexpr std::size_t RecordSize() const { return zelvo::RecordSize(fields); }
  // A table stands for its record layout where one is wanted: RecordBuffer(kBasaTable).
  constexpr operator std::span<const FieldDeclaration>() const { return fields; }
  constexpr std::optional<std::size_t> Field(std::string_view name) const {
    return FindField(fields, name);
  }
  // The primary key's index in `keys`, nullopt when there is none.
  constexpr std::optional<std::size_t> PrimaryKey() const {
    for (std::size_t i = 0; i < keys.size(); ++i)
      if (keys[i].Has(kKeyPrimary)) return i;
    return std::nullopt;
  }
};

// Every key component, default and rule of the table names one of its fields,
// and there is at most one primary key.
constexpr bool NamesResolve(const TableDeclaration& table) {
  for (const KeyDeclaration& key : table.keys)
    for (const KeyComponent& part : key.Components())
      if (!table.Field(part.field)) return false;
  for (const FieldDefault& d : table.defaults)
    if (!table.Field(d.field)) return false;
  for (const FieldRule& r : table.rules)
    if (!table.Field(r.field)) return false;
  std::size_t primaries = 0;
  for (const KeyDeclaration& key : table.keys) primaries += key.Has(kKeyPrimary) ? 1 : 0;
  return primaries <= 1;
}

// The attributes of every key of the payroll tables but BAS:NUM_KEY.
inline constexpr std::uint8_t kKeyDupOptNoCase = kKeyDup | kKeyOpt | kKeyNoCase;

}  // namespace zelvo
