// Key upkeep: keeping the key entries and key counts of a table in step with
// a data record that is added, changed or deleted.
//
// How the driver calls it:
//     ADD      number = next record number;
//              MaintainVxrKeys(records, keys, number, std::nullopt, newImage);
//              on failure stop: write no data record (nothing of the record is left);
//              else insert the data record and add 1 to the data records' count.
//     PUT      MaintainVxrKeys(records, keys, number, oldImage, newImage), where the
//              old image is the record as stored; on failure leave the data record
//              as it was; else rewrite it.
//     DELETE   MaintainVxrKeys(records, keys, number, oldImage, std::nullopt), then
//              erase the data record and take 1 from the data records' count.
// Images are the record buffer as declared (before any OEM conversion of the
// stored text: the key encoding does its own).
//
// For each key in key-number order:
//   - a dynamic key is skipped; a partially built key is skipped for records
//     at or above its build limit (a limit of 0 is no limit);
//   - the old and the new image each give an entry unless OPT leaves them
//     without one; equal entries change nothing;
//   - a partially built key whose entries differ gets its build limit lowered
//     to this record's number and its entries left alone;
//   - otherwise a new entry of a key without DUP whose value is already there
//     answers 40 (Creates Duplicate Key): every key already changed for this
//     record is put back as it was and nothing else changes; else the new entry
//     goes in, the old one (when it is this record's) goes out, and the key's
//     count follows what was inserted and removed.
// A failure of the set itself (an I/O error, a damaged file) also puts back
// what was done, as far as the set lets it, and answers that failure.
//
// Not thread-safe: works on the set it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "storage/vxr/internal/vxr_key_entry.h"
#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

using RecordImage = std::optional<std::span<const std::uint8_t>>;

VxrStatus MaintainVxrKeys(VxrOrderedRecords& records, const VxrTableKeys& table,
                          std::uint32_t recordNumber, RecordImage oldImage, RecordImage newImage);

}  // namespace zelvo
