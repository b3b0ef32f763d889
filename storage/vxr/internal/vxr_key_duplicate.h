// Duplicate checks: whether writing the record buffer would meet another
// record's value in a key that allows each value once (DUPLICATEkey), or in
// any key (DUPLICATE).
//
// A DUP key never reports, nor does a record that OPT leaves without an
// entry; otherwise the record's entry is looked up, and an entry found is a
// duplicate unless it is the current record's own (the FILE has a current
// record, `currentRecord`, and the entry points at it).
//
// Example: NUM_KEY holds 1 -> record 3. A buffer with NUM 1 is a duplicate
// with no current record or current record 4, not with current record 3.
//
// Not thread-safe: reads the set it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "storage/vxr/internal/vxr_key_entry.h"
#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

struct [[nodiscard]] VxrDuplicateCheck {
  VxrStatus status;
  bool duplicate = false;
};

VxrDuplicateCheck CheckVxrDuplicateKey(VxrOrderedRecords& records, const VxrTableKeys& table,
                                       const VxrKey& key, std::span<const std::uint8_t> record,
                                       std::optional<std::uint32_t> currentRecord);

// Every key in order until one reports.
VxrDuplicateCheck CheckVxrDuplicate(VxrOrderedRecords& records, const VxrTableKeys& table,
                                    std::span<const std::uint8_t> record,
                                    std::optional<std::uint32_t> currentRecord);

}  // namespace zelvo
