// Building keys: BUILDkey (one key) and BUILDfile (every key) make a key's
// entries from the table's data records, and APPEND leaves its records to a
// later build.
//
// A key is built from a starting record number: from 1 with the FILE's
// FULLBUILD option on (the key's old entries all go first), otherwise from
// its build limit when it is partially built (attribute 0x20; the entries of
// records at or above the limit go first, since upkeep left them as they
// were). A key that is neither, or a dynamic key, is left as it is.
//
// The data records are visited by increasing record number in batches of
// `batchRecords`; each record that has an entry (storage/vxr/internal/vxr_key_value.h,
// OPT) puts its value and record number into a sort store
// (storage/sort_store.h), and the batch's entries go into the set in key
// order. After every batch but the last the key's counters hold its count
// and the next record number to visit, and `checkpoint` runs: the driver
// writes its dirty pages when 400 or more are dirty, so an interrupted build
// goes on from there. At the end the build limit is 0 and the count is the
// number of entries.
//
// A value met twice in a key without DUP ends the build with 40 (Creates
// Duplicate Key); `progress` answering false ends it with 93 (BUILD
// Cancelled); a failure of the set, the sort store or `checkpoint` ends it
// with that failure. The result's build limit says where the key stands:
// 0 complete, otherwise partially built from that record (the counters hold
// the same), so the driver keeps the key's attribute 0x20 set exactly while
// the limit is not 0, and the next build finishes the key.
//
// How the driver calls it (after its own checks: a FILE open for reading
// only answers 5, a closed one is opened with 0x22 and closed after; the
// station is in the writing state):
//     BUILDkey   r = BuildVxrKey(records, keys, keys.keys[k], fullBuild, hooks)
//     BUILDfile  r = BuildVxrKeys(records, keys, fullBuild, hooks)
//     then: FULLBUILD off; each key's 0x20 bit from its build limit.
//     APPEND     after inserting the data record: MarkVxrKeysUnbuilt(records,
//                keys, number), and the 0x20 bit on every key it names.
//
// Not thread-safe: works on the set it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/vxr/internal/vxr_key_entry.h"
#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

struct VxrBuildHooks {
  // The record image the keys read from a stored data part (an OEM FILE's
  // text back in the Windows code page); null: the stored bytes themselves.
  std::function<std::string(std::string_view stored)> image;
  // Runs after each batch but the last, with the progress saved in the counters.
  std::function<ErrorCode()> checkpoint;
  // The build's progress in percent, each time it changes; false cancels.
  std::function<bool(int percent)> progress;
  std::size_t batchRecords = 4096;  // 0 counts as 1
  std::string sortDirectory;  // the sort store's temporary directory; empty: the system's
};

struct [[nodiscard]] VxrBuildResult {
  VxrStatus status;
  std::uint32_t buildLimit = 0;  // 0: the key is complete
};

VxrBuildResult BuildVxrKey(VxrOrderedRecords& records, const VxrTableKeys& table,
                           const VxrKey& key, bool fullBuild, const VxrBuildHooks& hooks = {});

struct [[nodiscard]] VxrBuildKeysResult {
  VxrStatus status;
  std::vector<std::uint32_t> buildLimits;  // per key in key-number order, as far as it went
};

// Every key of the table but the dynamic ones, in key-number order, up to the
// first failure.
VxrBuildKeysResult BuildVxrKeys(VxrOrderedRecords& records, const VxrTableKeys& table,
                                bool fullBuild, const VxrBuildHooks& hooks = {});

// APPEND: the keys (all but the dynamic ones) are to be built from record
// `recordNumber` on; their build limits are lowered to it. Answers the numbers
// of the keys now partially built.
struct [[nodiscard]] VxrMarkResult {
  VxrStatus status;
  std::vector<std::uint8_t> partialKeys;
};
VxrMarkResult MarkVxrKeysUnbuilt(VxrOrderedRecords& records, const VxrTableKeys& table,
                                 std::uint32_t recordNumber);

}  // namespace zelvo
