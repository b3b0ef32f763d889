#include "storage/vxr/internal/vxr_key_build.h"

#include <algorithm>
#include <span>

#include "storage/sort_store.h"
#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {
namespace {

constexpr int kCheckSortedItem = 4303;

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Takes out the key's entries of records numbered `from` and above (all of
// them for 1) and answers how many entries stay.
struct Cleared {
  VxrStatus status;
  std::uint32_t remaining = 0;
};
Cleared ClearEntriesFrom(VxrOrderedRecords& records, const VxrTableKeys& table, const VxrKey& key,
                         std::uint32_t from) {
  const std::string prefix = VxrKeyPrefix(table.table, key.number);
  Cleared result;
  std::string at = prefix;
  for (;;) {
    VxrLookup met = records.Next(at);
    if (met.status.code == ErrorCode::RecordNotFound || (met.Found() && !met.record.key.starts_with(prefix)))
      return result;
    if (!met.Found()) return {met.status, 0};
    at = met.record.key;
    const std::optional<VxrKeyEntryView> entry = ReadVxrKeyEntry(key, table.table, met.record);
    if (entry && entry->recordNumber < from) {
      ++result.remaining;
      continue;
    }
    // A damaged entry goes too: the build makes the key anew from here.
    if (VxrStatus s = records.Erase(at); !s.Ok()) return {s, 0};
  }
}

class KeyBuilder {
 public:
  KeyBuilder(VxrOrderedRecords& records, const VxrTableKeys& table, const VxrKey& key,
             const VxrBuildHooks& hooks)
      : records_(records), table_(table), key_(key), hooks_(hooks) {}

  VxrBuildResult Run(std::uint32_t start) {
    const Cleared cleared = ClearEntriesFrom(records_, table_, key_, start);
    if (!cleared.status.Ok()) return Stop(cleared.status, start);
    count_ = cleared.remaining;
    const VxrCountersLookup data = ReadVxrCounters(records_, table_.table, kVxrDataRecordMark);
    if (!data.status.Ok()) return Stop(data.status, start);
    total_ = data.counters.count;

    std::string at = VxrDataRecordKey(table_.table, start);
    bool inclusive = true, more = true;
    while (more) {
      const std::uint32_t batchStart = next_ == 0 ? start : next_;
      SortStore store(hooks_.sortDirectory);
      std::size_t inBatch = 0;
      more = false;
      for (;;) {
        VxrLookup met = inclusive ? records_.LowerBound(at) : records_.Next(at);
        inclusive = false;
        if (met.status.code == ErrorCode::RecordNotFound) break;
        if (!met.Found()) return Stop(met.status, batchStart);
        const std::optional<std::uint32_t> number = DataRecordNumber(met.record.key);
        if (!number) break;  // past the table's data records
        if (inBatch == std::max<std::size_t>(1, hooks_.batchRecords)) {
          more = true;
          break;
        }
        at = met.record.key;
        ++inBatch;
        next_ = *number + 1;
        const std::string image = hooks_.image ? hooks_.image(met.record.data) : met.record.data;
        if (HasKeyEntry(key_, Bytes(image))) {
          std::string item = EncodeVxrKeyValue(key_, Bytes(image), table_.text);
          AppendBigEndian32(item, *number);
          if (ErrorCode c = store.Add(item); Failed(c)) return Stop({c}, batchStart);
        }
        if (ErrorCode c = Report(); Failed(c)) return Stop({c}, batchStart);
      }
      if (VxrStatus s = InsertSorted(store); !s.Ok()) return Stop(s, batchStart);
      if (more) {
        if (VxrStatus s = SaveCounters(next_); !s.Ok()) return Stop(s, batchStart);
        if (hooks_.checkpoint) {
          if (ErrorCode c = hooks_.checkpoint(); Failed(c)) return Stop({c}, next_);
        }
      }
    }
    if (VxrStatus s = SaveCounters(0); !s.Ok()) return {s, next_ == 0 ? start : next_};
    return {};
  }

 private:
  std::optional<std::uint32_t> DataRecordNumber(const std::string& key) const {
    std::string prefix = VxrDataRecordKey(table_.table, 0).substr(0, 5);
    if (!key.starts_with(prefix) || key.size() != 9) return std::nullopt;
    return ReadBigEndian32(key, 5);
  }

  VxrStatus InsertSorted(SortStore& store) {
    const std::size_t valueLength = key_.ValueLength();
    for (;;) {
      SortedItem next = store.Next();
      if (Failed(next.code)) return {next.code};
      if (next.end) return {};
      if (next.item.size() != valueLength + 4) return VxrStatus::Corrupt(kCheckSortedItem);
      const VxrRecord entry = MakeVxrKeyEntry(key_, table_.table, std::string_view(next.item).substr(0, valueLength),
                                              *ReadBigEndian32(next.item, valueLength));
      if (VxrStatus s = records_.Insert(entry.key, entry.data); !s.Ok()) return s;
      ++count_;
    }
  }

  VxrStatus SaveCounters(std::uint32_t limit) {
    return WriteVxrCounters(records_, table_.table, key_.number, {count_, limit});
  }

  // The key stays partially built from `limit`, its counters saying so as
  // far as the set still takes them.
  VxrBuildResult Stop(VxrStatus status, std::uint32_t limit) {
    (void)SaveCounters(limit);
    return {status, limit};
  }

  ErrorCode Report() {
    if (!hooks_.progress) return ErrorCode::Ok;
    ++visited_;
    const int percent = total_ == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, visited_ * 100 / total_));
    if (percent == lastPercent_) return ErrorCode::Ok;
    lastPercent_ = percent;
    return hooks_.progress(percent) ? ErrorCode::Ok : ErrorCode::BuildCancelled;
  }

  VxrOrderedRecords& records_;
  const VxrTableKeys& table_;
  const VxrKey& key_;
  const VxrBuildHooks& hooks_;
  std::uint32_t count_ = 0;
  std::uint32_t next_ = 0;  // the next record number to visit, once one was visited
  std::uint64_t total_ = 0, visited_ = 0;
  int lastPercent_ = -1;
};

}  // namespace

VxrBuildResult BuildVxrKey(VxrOrderedRecords& records, const VxrTableKeys& table,
                           const VxrKey& key, bool fullBuild, const VxrBuildHooks& hooks) {
  if (key.Has(kVxrKeyDynamic)) return {};
  std::uint32_t start = 1;
  if (!fullBuild) {
    if (!key.Has(kVxrKeyPartial)) return {};
    const VxrCountersLookup counters = ReadVxrCounters(records, table.table, key.number);
    if (!counters.status.Ok()) return {counters.status, 0};
    // A partially built key without a limit has every entry already.
    if (counters.counters.second == 0) return {};
    start = counters.counters.second;
  }
  return KeyBuilder(records, table, key, hooks).Run(start);
}

VxrBuildKeysResult BuildVxrKeys(VxrOrderedRecords& records, const VxrTableKeys& table,
                                bool fullBuild, const VxrBuildHooks& hooks) {
  VxrBuildKeysResult result;
  for (const VxrKey& key : table.keys) {
    const VxrBuildResult built = BuildVxrKey(records, table, key, fullBuild, hooks);
    result.buildLimits.push_back(built.buildLimit);
    if (!built.status.Ok()) {
      result.status = built.status;
      break;
    }
  }
  return result;
}

VxrMarkResult MarkVxrKeysUnbuilt(VxrOrderedRecords& records, const VxrTableKeys& table,
                                 std::uint32_t recordNumber) {
  VxrMarkResult result;
  for (const VxrKey& key : table.keys) {
    if (key.Has(kVxrKeyDynamic)) continue;
    VxrCountersLookup counters = ReadVxrCounters(records, table.table, key.number);
    if (!counters.status.Ok()) return {counters.status, result.partialKeys};
    VxrCounters& c = counters.counters;
    const bool limited = key.Has(kVxrKeyPartial) && c.second != 0;
    if (!limited || recordNumber < c.second) {
      c.second = recordNumber;
      if (VxrStatus s = WriteVxrCounters(records, table.table, key.number, c); !s.Ok())
        return {s, result.partialKeys};
    }
    result.partialKeys.push_back(key.number);
  }
  return result;
}

}  // namespace zelvo
