#include "storage/vxr/internal/vxr_key_upkeep.h"

#include <string>
#include <vector>

#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {
namespace {

// What one key's upkeep changed, so that it can be put back.
struct KeyChange {
  std::uint8_t keyNumber = 0;
  VxrCounters countersBefore;
  std::optional<std::string> inserted;  // key part of the entry put in
  std::optional<VxrRecord> removed;     // the entry taken out
};

void PutBack(VxrOrderedRecords& records, std::uint32_t table, const std::vector<KeyChange>& done) {
  // Best effort: the caller answers the first failure, and the set keeps
  // whatever of the put-back it could take.
  for (auto change = done.rbegin(); change != done.rend(); ++change) {
    if (change->inserted) (void)records.Erase(*change->inserted);
    if (change->removed) (void)records.Insert(change->removed->key, change->removed->data);
    (void)WriteVxrCounters(records, table, change->keyNumber, change->countersBefore);
  }
}

bool OwnedBy(const VxrKey& key, std::uint32_t table, const VxrRecord& entry,
             std::uint32_t recordNumber) {
  const std::optional<VxrKeyEntryView> view = ReadVxrKeyEntry(key, table, entry);
  return view && view->recordNumber == recordNumber;
}

// One key's upkeep; appends to `done` what it changed.
VxrStatus MaintainKey(VxrOrderedRecords& records, const VxrTableKeys& table, const VxrKey& key,
                      std::uint32_t recordNumber, RecordImage oldImage, RecordImage newImage,
                      std::vector<KeyChange>& done) {
  if (key.Has(kVxrKeyDynamic)) return {};
  const VxrCountersLookup counters = ReadVxrCounters(records, table.table, key.number);
  if (!counters.status.Ok()) return counters.status;
  const std::uint32_t limit = counters.counters.second;
  const bool partial = key.Has(kVxrKeyPartial);
  if (partial && limit != 0 && recordNumber >= limit) return {};

  const std::optional<VxrRecord> oldEntry =
      oldImage ? VxrKeyEntryFor(table, key, *oldImage, recordNumber) : std::nullopt;
  const std::optional<VxrRecord> newEntry =
      newImage ? VxrKeyEntryFor(table, key, *newImage, recordNumber) : std::nullopt;
  if (oldEntry && newEntry && oldEntry->key == newEntry->key) return {};
  if (!oldEntry && !newEntry) return {};

  KeyChange change{key.number, counters.counters, std::nullopt, std::nullopt};
  VxrCounters after = counters.counters;
  if (partial) {
    // The build will reach this record again; it takes the record as it is then.
    after.second = recordNumber;
    if (VxrStatus s = WriteVxrCounters(records, table.table, key.number, after); !s.Ok()) return s;
    done.push_back(change);
    return {};
  }

  if (newEntry) {
    if (!key.Has(kVxrKeyDup)) {
      VxrLookup existing = records.Find(newEntry->key);
      if (existing.Found()) return {ErrorCode::CreatesDuplicateKey};
      if (existing.status.code != ErrorCode::RecordNotFound) return existing.status;
    }
    if (VxrStatus s = records.Insert(newEntry->key, newEntry->data); !s.Ok()) return s;
    change.inserted = newEntry->key;
    ++after.count;
  }
  if (oldEntry) {
    VxrLookup existing = records.Find(oldEntry->key);
    if (existing.Found() && OwnedBy(key, table.table, existing.record, recordNumber)) {
      if (VxrStatus s = records.Erase(oldEntry->key); !s.Ok()) {
        done.push_back(change);
        return s;
      }
      change.removed = existing.record;
      --after.count;
    } else if (!existing.Found() && existing.status.code != ErrorCode::RecordNotFound) {
      done.push_back(change);
      return existing.status;
    }
    // An old entry that is missing (a record appended without its keys) has
    // nothing to remove.
  }
  done.push_back(change);
  if (after.count == counters.counters.count) return {};
  return WriteVxrCounters(records, table.table, key.number, after);
}

}  // namespace

VxrStatus MaintainVxrKeys(VxrOrderedRecords& records, const VxrTableKeys& table,
                          std::uint32_t recordNumber, RecordImage oldImage, RecordImage newImage) {
  std::vector<KeyChange> done;
  for (const VxrKey& key : table.keys) {
    const VxrStatus status = MaintainKey(records, table, key, recordNumber, oldImage, newImage, done);
    if (!status.Ok()) {
      PutBack(records, table.table, done);
      return status;
    }
  }
  return {};
}

}  // namespace zelvo
