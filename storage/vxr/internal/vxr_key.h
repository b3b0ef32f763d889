// VxrKey: one key of a table in an indexed record file, resolved against the
// table's record layout — its number, the attribute byte the file stores, and
// its components as the fields (offset, type, size) they read, ascending or
// descending. Everything else about keys (value encoding, entries, upkeep,
// searching, building) works from a VxrKey.
//
// Attribute byte, as the file's definition stores it:
//     0x01 DUP      equal values allowed
//     0x02 OPT      a record whose components are all empty gets no entry
//     0x04 NOCASE   letters compare without case
//     0x10 PRIMARY
//     0x20 the key is partially built: its counters hold a build limit
//     0x40 dynamic key: its entries live outside the file
// A declaration's attributes (storage/key_declaration.h) map onto it by
// StoredKeyAttributes; the partial and dynamic bits are the file's own state.
//
// Resolving refuses what a key cannot be: more than kMaxVxrKeys keys or a
// component naming no field (47, Invalid Record Declaration), an array field
// as a component (75, Invalid Field Type Descriptor), a value so long that its
// entry would not fit one record of the file (88, Invalid Key Length).
//
// Example: the key {"NUM_KEY", ..., kKeyPrimary | kKeyOpt, {{"NUM"}}} over a
// layout whose second field is NUM LONG at offset 4 resolves to number 0,
// attributes 0x12, one ascending component {index 1, offset 4, 4 bytes},
// ValueLength() 4.
//
// Immutable values; safe to share between threads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "storage/error_code.h"
#include "storage/field_declaration.h"
#include "storage/key_declaration.h"

namespace zelvo {

enum VxrKeyAttribute : std::uint8_t {
  kVxrKeyDup = 0x01,
  kVxrKeyOpt = 0x02,
  kVxrKeyNoCase = 0x04,
  kVxrKeyPrimary = 0x10,
  kVxrKeyPartial = 0x20,
  kVxrKeyDynamic = 0x40,
};

// Key numbers stay below the byte 0xF3 that marks data records.
inline constexpr std::size_t kMaxVxrKeys = 240;

std::uint8_t StoredKeyAttributes(const KeyDeclaration& key);

struct VxrKeyComponent {
  std::size_t fieldIndex = 0;  // 0-based position among the fields
  FieldDeclaration field;
  bool descending = false;
};

struct VxrKey {
  std::uint8_t number = 0;      // the key's position among the table's keys, from 0
  std::uint8_t attributes = 0;  // VxrKeyAttribute bits
  std::array<VxrKeyComponent, KeyDeclaration::kMaxComponents> components{};
  std::size_t count = 0;

  std::span<const VxrKeyComponent> Components() const { return {components.data(), count}; }
  bool Has(VxrKeyAttribute a) const { return (attributes & a) != 0; }
  // Bytes of the encoded value: the sum of the component field sizes.
  std::size_t ValueLength() const;
};

struct [[nodiscard]] VxrKeysResult {
  ErrorCode code = ErrorCode::Ok;
  std::vector<VxrKey> keys;  // in key-number order; empty on failure
};

// Resolves every key of a table; the first key that cannot be resolved fails
// the whole table. `fields` is the table's laid-out record.
VxrKeysResult ResolveVxrKeys(std::span<const FieldDeclaration> fields,
                             std::span<const KeyDeclaration> keys);

}  // namespace zelvo
