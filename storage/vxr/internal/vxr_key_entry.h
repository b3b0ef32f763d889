// VxrKeyEntry: the record that puts one data record into one key's order.
//
//     key part   T (4, big-endian), key number (1), encoded value,
//                for a DUP key also the record number (4, big-endian)
//     data part  the record number (4, big-endian) for a key without DUP,
//                empty for a DUP key
//
// The record number closing a DUP key's key part orders equal values by
// increasing record number and keeps every entry distinct; a key without DUP
// holds each value once.
//
// Example: DUP key 1 of table 2, value "AB", record 7:
//     key part 00 00 00 02 01 41 42 00 00 00 07, data part empty.
//
// Pure functions over values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <span>

#include "storage/vxr/internal/vxr_key.h"
#include "storage/vxr/internal/vxr_key_value.h"
#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

// T and the key number: the prefix every entry of the key starts with.
std::string VxrKeyPrefix(std::uint32_t table, std::uint8_t keyNumber);

// The entry of record `recordNumber` whose encoded value is `value`.
VxrRecord MakeVxrKeyEntry(const VxrKey& key, std::uint32_t table, std::string_view value,
                          std::uint32_t recordNumber);

struct VxrKeyEntryView {
  std::string_view value;      // the encoded value
  std::uint32_t recordNumber = 0;
};

// The keys of one table of an open file, as key upkeep, searching and
// building need them. REQUIRES: `keys` outlives every use.
struct VxrTableKeys {
  std::uint32_t table = 0;        // T
  std::span<const VxrKey> keys;   // in key-number order
  KeyTextRules text;
};

// The entry a record image gives in `key`; nullopt when OPT leaves it without one.
std::optional<VxrRecord> VxrKeyEntryFor(const VxrTableKeys& table, const VxrKey& key,
                                        std::span<const std::uint8_t> record,
                                        std::uint32_t recordNumber);

// Reads an entry of `key` back; nullopt when `entry` is not one (another
// prefix, a wrong length, a data part of the wrong size).
std::optional<VxrKeyEntryView> ReadVxrKeyEntry(const VxrKey& key, std::uint32_t table,
                                               const VxrRecord& entry);

}  // namespace zelvo
