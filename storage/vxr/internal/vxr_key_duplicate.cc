#include "storage/vxr/internal/vxr_key_duplicate.h"

#include "storage/vxr/internal/vxr_key_search.h"

namespace zelvo {

VxrDuplicateCheck CheckVxrDuplicateKey(VxrOrderedRecords& records, const VxrTableKeys& table,
                                       const VxrKey& key, std::span<const std::uint8_t> record,
                                       std::optional<std::uint32_t> currentRecord) {
  if (key.Has(kVxrKeyDup) || !HasKeyEntry(key, record)) return {};
  const VxrKeyHit hit = FindVxrKeyEntry(records, table, key, record);
  if (hit.status.code == ErrorCode::RecordNotFound) return {};
  if (!hit.Found()) return {hit.status, false};
  return {{}, !(currentRecord && *currentRecord == hit.recordNumber)};
}

VxrDuplicateCheck CheckVxrDuplicate(VxrOrderedRecords& records, const VxrTableKeys& table,
                                    std::span<const std::uint8_t> record,
                                    std::optional<std::uint32_t> currentRecord) {
  for (const VxrKey& key : table.keys) {
    const VxrDuplicateCheck check = CheckVxrDuplicateKey(records, table, key, record, currentRecord);
    if (!check.status.Ok() || check.duplicate) return check;
  }
  return {};
}

}  // namespace zelvo
