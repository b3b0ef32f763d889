#include "storage/vxr/internal/vxr_key_search.h"

#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {
namespace {

constexpr int kCheckEntryForm = 4302;

std::string EntryKeyPart(const VxrTableKeys& table, const VxrKey& key, std::string_view value,
                         std::uint32_t recordNumber) {
  return MakeVxrKeyEntry(key, table.table, value, recordNumber).key;
}

// A record met while walking `key`: 33 once it belongs to something else, the
// entry otherwise.
VxrKeyHit Deliver(const VxrTableKeys& table, const VxrKey& key, const VxrLookup& met) {
  if (met.status.code == ErrorCode::RecordNotFound) return {{ErrorCode::RecordNotAvailable}, 0, {}};
  if (!met.Found()) return {met.status, 0, {}};
  if (!met.record.key.starts_with(VxrKeyPrefix(table.table, key.number)))
    return {{ErrorCode::RecordNotAvailable}, 0, {}};
  const std::optional<VxrKeyEntryView> entry = ReadVxrKeyEntry(key, table.table, met.record);
  if (!entry) return {VxrStatus::Corrupt(kCheckEntryForm), 0, {}};
  return {{}, entry->recordNumber, met.record.key};
}

}  // namespace

VxrKeyHit FindVxrKeyValue(VxrOrderedRecords& records, const VxrTableKeys& table,
                          const VxrKey& key, std::string_view value) {
  const std::string wanted = EntryKeyPart(table, key, value, 0);
  VxrLookup met = key.Has(kVxrKeyDup) ? records.LowerBound(wanted) : records.Find(wanted);
  if (!met.Found()) return {met.status, 0, {}};
  // A DUP key's entries of the value differ from `wanted` in the record number only.
  const std::size_t valueEnd = wanted.size() - (key.Has(kVxrKeyDup) ? 4 : 0);
  if (met.record.key.size() != wanted.size() ||
      std::string_view(met.record.key).substr(0, valueEnd) != std::string_view(wanted).substr(0, valueEnd))
    return {{ErrorCode::RecordNotFound}, 0, {}};
  const std::optional<VxrKeyEntryView> entry = ReadVxrKeyEntry(key, table.table, met.record);
  if (!entry) return {VxrStatus::Corrupt(kCheckEntryForm), 0, {}};
  return {{}, entry->recordNumber, met.record.key};
}

VxrKeyHit FindVxrKeyEntry(VxrOrderedRecords& records, const VxrTableKeys& table,
                          const VxrKey& key, std::span<const std::uint8_t> record) {
  if (!HasKeyEntry(key, record)) return {{ErrorCode::RecordNotFound}, 0, {}};
  return FindVxrKeyValue(records, table, key, EncodeVxrKeyValue(key, record, table.text));
}

VxrKeyPlace VxrKeyPlace::Ends(const VxrTableKeys& table, const VxrKey& key) {
  const std::string prefix = VxrKeyPrefix(table.table, key.number);
  // Longer than any entry and made of the highest byte: above all of them.
  return {prefix, prefix + std::string(key.ValueLength() + 5, '\xFF'), true};
}

VxrKeyPlace VxrKeyPlace::AtValue(const VxrTableKeys& table, const VxrKey& key,
                                 std::string_view value) {
  return {EntryKeyPart(table, key, value, 0), EntryKeyPart(table, key, value, 0xFFFFFFFF), true};
}

VxrKeyPlace VxrKeyPlace::AtEntry(const VxrTableKeys& table, const VxrKey& key,
                                 std::string_view value, std::uint32_t recordNumber) {
  std::string entry = EntryKeyPart(table, key, value, recordNumber);
  return {entry, entry, true};
}

VxrKeyHit StepVxrKey(VxrOrderedRecords& records, const VxrTableKeys& table, const VxrKey& key,
                     VxrKeyPlace& place, KeyDirection direction) {
  VxrLookup met;
  if (direction == KeyDirection::Next) {
    met = place.inclusive ? records.LowerBound(place.lower) : records.Next(place.lower);
  } else {
    met = place.inclusive ? records.Find(place.upper) : VxrLookup{{ErrorCode::RecordNotFound}, {}};
    if (met.status.code == ErrorCode::RecordNotFound) met = records.Previous(place.upper);
  }
  VxrKeyHit hit = Deliver(table, key, met);
  if (hit.Found()) {
    place.lower = hit.entryKey;
    place.upper = hit.entryKey;
    place.inclusive = false;
  }
  return hit;
}

}  // namespace zelvo
