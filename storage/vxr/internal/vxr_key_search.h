// Searching and walking a table's records in the order of one key.
//
// A search turns a record buffer's key fields into an entry and finds it:
// the first (lowest-numbered) record with that value for a DUP key, the one
// record with it for a key without DUP. The caller reads the data record of
// the record number found (storage/vxr/internal/vxr_record_key.h VxrDataRecordKey).
//
// A walk stands at a VxrKeyPlace: a lower and an upper bound in the key's
// entries, inclusive or not. NEXT delivers the first entry at or above the
// lower bound (above it when exclusive), PREVIOUS the last entry at or below
// the upper bound; a delivered entry becomes the place, exclusive, so the next
// step moves past it. Places are byte strings, not pointers into the file: a
// place outlives inserts, removals and page splits in between, and a place
// whose entry has gone continues with its neighbour in the direction of the
// read. The walk ends with 33 (Record Not Available) at either end of the
// key's entries.
//
//     SETkey                       VxrKeyPlace::Ends(table, key)
//     SETkeykey                    VxrKeyPlace::AtValue(table, key, value)
//     SETkeyptr, SETkeykeyptr      VxrKeyPlace::AtEntry(table, key, value, record)
//     RESETkey                     the same, from the saved position (storage/vxr/internal/vxr_key_position.h)
//
// Example: DUP key of surnames, entries ("IVANOV", 3), ("IVANOV", 5), ("PETROV", 4):
//     AtValue(..., "IVANOV") NEXT -> 3, NEXT -> 5, NEXT -> 4, NEXT -> 33
//     AtValue(..., "IVANOV") PREVIOUS -> 5, PREVIOUS -> 3, PREVIOUS -> 33
//
// Not thread-safe: works on the set it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "storage/vxr/internal/vxr_key_entry.h"
#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

struct [[nodiscard]] VxrKeyHit {
  VxrStatus status;  // RecordNotFound (35) when the value has no entry
  std::uint32_t recordNumber = 0;
  std::string entryKey;  // the entry's key part

  bool Found() const { return status.Ok(); }
};

// GETfilekey: the entry of `key` for the key fields of `record`. A record that
// OPT leaves without an entry finds nothing.
VxrKeyHit FindVxrKeyEntry(VxrOrderedRecords& records, const VxrTableKeys& table,
                          const VxrKey& key, std::span<const std::uint8_t> record);
// The same for an encoded value.
VxrKeyHit FindVxrKeyValue(VxrOrderedRecords& records, const VxrTableKeys& table,
                          const VxrKey& key, std::string_view value);

struct VxrKeyPlace {
  std::string lower, upper;  // entry key parts, or bounds between them
  bool inclusive = true;

  // Before the first entry for NEXT, after the last for PREVIOUS.
  static VxrKeyPlace Ends(const VxrTableKeys& table, const VxrKey& key);
  // At the first entry whose value is not below `value` for NEXT; at the
  // last entry whose value is not above it for PREVIOUS.
  static VxrKeyPlace AtValue(const VxrTableKeys& table, const VxrKey& key, std::string_view value);
  // At the entry of `value` and `recordNumber` (a key without DUP ignores
  // the number: its value names one entry).
  static VxrKeyPlace AtEntry(const VxrTableKeys& table, const VxrKey& key, std::string_view value,
                             std::uint32_t recordNumber);
};

enum class KeyDirection : std::uint8_t { Next, Previous };

// Delivers the entry in `direction` from `place` and moves `place` onto it;
// on 33 or a failure `place` stays as it was.
VxrKeyHit StepVxrKey(VxrOrderedRecords& records, const VxrTableKeys& table, const VxrKey& key,
                     VxrKeyPlace& place, KeyDirection direction);

}  // namespace zelvo
