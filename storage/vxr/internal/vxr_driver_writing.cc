// Changes in the indexed record file driver: records added, rewritten and
// deleted with their key entries, the table emptied, keys built, and PACK.
#include <vector>

#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_definition.h"
#include "storage/vxr/internal/vxr_key_build.h"
#include "storage/vxr/internal/vxr_key_upkeep.h"
#include "storage/vxr/internal/vxr_oem_text.h"
#include "storage/vxr/internal/vxr_record_key.h"
#include "storage/vxr/internal/vxr_table_state.h"

namespace zelvo::vxr {
namespace {

using Op = FileOperation;

// A build writes its dirty pages whenever this many are dirty, so that an
// interrupted build goes on from there.
constexpr std::size_t kBuildCheckpointPages = 400;

VxrStatus AddToCount(VxrTree& tree, std::uint32_t table, int delta) {
  VxrCountersLookup counters = ReadVxrCounters(tree, table, kVxrDataRecordMark);
  if (!counters.status.Ok()) return counters.status;
  counters.counters.count = static_cast<std::uint32_t>(static_cast<std::int64_t>(counters.counters.count) + delta);
  return WriteVxrCounters(tree, table, kVxrDataRecordMark, counters.counters);
}

VxrStatus Add(File& file, VxrFileState& s, bool keys) {
  ReleaseHold(s);
  VxrOpenFile& open = *s.open;
  std::uint32_t number = 0;
  if (const VxrStatus n = NextNumber(*open.store, number); !n.Ok()) return n;
  const auto record = file.Record().Bytes();
  if (keys) {
    const VxrTableKeys table = TableKeys(file, s);
    if (const VxrStatus k = MaintainVxrKeys(*open.tree, table, number, std::nullopt, record); !k.Ok()) return k;
  }
  if (const VxrStatus i = open.tree->Insert(VxrDataRecordKey(s.table, number), AsText(StoredImage(file)));
      !i.Ok()) {
    return i;
  }
  if (const VxrStatus c = AddToCount(*open.tree, s.table, 1); !c.Ok()) return c;
  if (!keys) {
    // Left to a BUILD: the keys are built from this record on.
    const VxrMarkResult marked = MarkVxrKeysUnbuilt(*open.tree, TableKeys(file, s), number);
    if (!marked.status.Ok()) return marked.status;
    for (const std::uint8_t k : marked.partialKeys) {
      if (k < s.keys.size()) s.keys[k].attributes |= kVxrKeyPartial;
    }
  }
  s.current = number;
  return {};
}

// The stored data part of record `number`; `missing` when there is none.
VxrStatus StoredRecord(VxrFileState& s, std::uint32_t number, ErrorCode missing, std::string& stored) {
  const VxrLookup found = s.open->tree->Find(VxrDataRecordKey(s.table, number));
  if (found.status.code == ErrorCode::RecordNotFound) return {missing};
  if (!found.Found()) return found.status;
  stored = std::move(found.record.data);
  return {};
}

// A record changed alone: locked for the change unless this FILE holds it,
// and let go (the hold too) once the change is written: at the end of the
// operation, or of the transaction or streaming that puts the write off.
// A file that no other station may write needs no lock past the change:
// nobody can write over it, and a transaction's thousands of locks held at
// once would make every further lock slower.
// Lives around the change and its Finish.
class RecordChange {
 public:
  RecordChange(VxrFileState& s, std::uint32_t number) : s_(s), number_(number) {}
  ~RecordChange() {
    const bool held = s_.held == number_;
    if (held) s_.held = 0;
    ReleaseHold(s_);
    if (!locked_ && !held) return;
    if (s_.open->station->Shared()) {
      s_.open->lockedUntilWritten.push_back(number_);
    } else {
      s_.open->station->Unlock(number_);
    }
  }
  RecordChange(const RecordChange&) = delete;
  RecordChange& operator=(const RecordChange&) = delete;

  bool Lock() {
    if (s_.held == number_) return true;
    locked_ = s_.open->station->TryLock(number_);
    return locked_;
  }

 private:
  VxrFileState& s_;
  std::uint32_t number_;
  bool locked_ = false;
};

// PUT (the current record) and PUTfileptr (the record at a pointer). A
// record read with a watch armed and changed since by another station is
// not written (89).
VxrStatus Put(File& file, VxrFileState& s, std::uint32_t number, ErrorCode missing) {
  std::string stored;
  if (const VxrStatus r = StoredRecord(s, number, missing, stored); !r.Ok()) return r;
  // Only the read the watch was armed for keeps an image (a later read drops it).
  if ((file.State() & kWatched) != 0 && number == s.current && !s.watched.empty() && stored != s.watched) {
    return {ErrorCode::RecordChangedByAnotherStation};
  }
  const Bytes image = StoredImage(file);
  if (AsText(image) == stored) return {};
  const std::optional<Bytes> old = BufferImage(file, s, stored);
  if (!old) return VxrStatus::Corrupt(kVxrRecordForm);
  const VxrTableKeys table = TableKeys(file, s);
  if (const VxrStatus k = MaintainVxrKeys(*s.open->tree, table, number, std::span<const std::uint8_t>(*old),
                                          file.Record().Bytes());
      !k.Ok()) {
    return k;
  }
  return s.open->tree->Update(VxrDataRecordKey(s.table, number), AsText(image));
}

VxrStatus Delete(File& file, VxrFileState& s) {
  std::string stored;
  if (const VxrStatus r = StoredRecord(s, s.current, ErrorCode::RecordNotAvailable, stored); !r.Ok()) return r;
  const std::optional<Bytes> old = BufferImage(file, s, stored);
  if (!old) return VxrStatus::Corrupt(kVxrRecordForm);
  if (const VxrStatus e = s.open->tree->Erase(VxrDataRecordKey(s.table, s.current)); !e.Ok()) return e;
  const VxrTableKeys table = TableKeys(file, s);
  if (const VxrStatus k = MaintainVxrKeys(*s.open->tree, table, s.current, std::span<const std::uint8_t>(*old),
                                          std::nullopt);
      !k.Ok()) {
    return k;
  }
  if (const VxrStatus c = AddToCount(*s.open->tree, s.table, -1); !c.Ok()) return c;
  s.current = 0;
  return {};
}

// BUILDfile (every key), BUILDkey (one) and the keys of PACK (every key
// anew). With progress events (state B) writing is put off until the build
// ends; a CLOSE asked for from a progress event cancels it.
VxrStatus Build(File& file, VxrFileState& s, const VxrKey* only, bool fullBuild,
                const std::function<bool(int)>& progress) {
  const VxrTableKeys table = TableKeys(file, s);
  VxrBuildHooks hooks;
  const bool oem = file.Declaration().Has(kFileOem);
  hooks.image = [&file, oem](std::string_view stored) {
    Bytes image(stored.begin(), stored.end());
    if (oem) ConvertVxrText(file.Declaration().fields, image, VxrTextDirection::FromOem);
    return std::string(AsText(image));
  };
  VxrOpenFile& open = *s.open;
  // The keys are built one after another; the progress reported is the
  // build's as a whole, each key its share of it.
  std::vector<const VxrKey*> keys;
  if (only) {
    keys.push_back(only);
  } else {
    for (const VxrKey& key : s.keys) keys.push_back(&key);
  }
  std::size_t done = 0;
  int reported = -1;
  auto announce = [&](int whole) {
    if (whole == reported) return !s.closeWhenBuilt;
    reported = whole;
    return !s.closeWhenBuilt && progress(whole) && !s.closeWhenBuilt;
  };
  if (progress) {
    // What was put off before goes now: a cancelled build drops only itself.
    if (open.store->HasChanges()) {
      if (const VxrStatus written = open.tree->Write(); !written.Ok()) return written;
    }
    hooks.progress = [&](int percent) {
      return announce(static_cast<int>((done * 100 + static_cast<std::size_t>(percent)) / keys.size()));
    };
  } else {
    hooks.checkpoint = [&open]() -> ErrorCode {
      if (open.store->DirtyPages() < kBuildCheckpointPages) return ErrorCode::Ok;
      return open.tree->Write().code;
    };
  }
  s.building = progress != nullptr;
  VxrStatus status;
  for (; done < keys.size() && status.Ok(); ++done) {
    const VxrKey& key = *keys[done];
    const VxrBuildResult built = BuildVxrKey(*open.tree, table, key, fullBuild, hooks);
    status = built.status;
    if (key.number < s.keys.size()) {
      std::uint8_t& attributes = s.keys[key.number].attributes;
      attributes = built.buildLimit == 0 ? static_cast<std::uint8_t>(attributes & ~kVxrKeyPartial)
                                         : static_cast<std::uint8_t>(attributes | kVxrKeyPartial);
    }
  }
  if (status.Ok() && progress && !announce(100)) status = {ErrorCode::BuildCancelled};
  s.building = false;
  return status;
}

// The data records of the table counted anew.
VxrStatus Recount(VxrFileState& s) {
  VxrTree& tree = *s.open->tree;
  const std::string first = VxrDataRecordKey(s.table, 0);
  const std::string prefix = first.substr(0, 5);
  std::uint32_t count = 0;
  for (std::string at = first;;) {
    const VxrLookup next = tree.Next(at);
    if (next.status.code == ErrorCode::RecordNotFound) break;
    if (!next.Found()) return next.status;
    if (!next.record.key.starts_with(prefix)) break;
    at = next.record.key;
    ++count;
  }
  VxrCountersLookup counters = ReadVxrCounters(tree, s.table, kVxrDataRecordMark);
  if (!counters.status.Ok()) return counters.status;
  if (counters.counters.count == count) return {};
  counters.counters.count = count;
  return WriteVxrCounters(tree, s.table, kVxrDataRecordMark, counters.counters);
}

// PACK: this driver removes a deleted record at once and its page store
// reuses a freed page's place at every write, so there is nothing deleted to
// drop and no gap to close. What PACK does is make the table's bookkeeping
// whole again: the data records counted anew and every key built anew from
// the data records (entries a damaged or interrupted change left behind go).
VxrStatus Pack(File& file, VxrFileState& s, const std::function<bool(int)>& progress) {
  if (const VxrStatus counted = Recount(s); !counted.Ok()) return counted;
  s.order.reset();
  s.at = VxrReadPosition::At::Start;
  s.current = 0;
  return Build(file, s, nullptr, true, progress);
}

// Ends a build or PACK. After a failure the file holds what was last
// written: the keys' partially built bits follow it again.
VxrStatus FinishBuild(VxrFileState& s, VxrStatus status) {
  const VxrStatus finished = Finish(*s.open, status);
  if (!finished.Ok()) (void)ReadPartialKeys(*s.open->tree, s);
  return finished;
}

}  // namespace

VxrStatus ReadPartialKeys(VxrTree& tree, VxrFileState& s) {
  for (VxrKey& key : s.keys) {
    const VxrCountersLookup counters = ReadVxrCounters(tree, s.table, key.number);
    if (!counters.status.Ok()) return counters.status;
    if (counters.counters.second != 0) {
      key.attributes |= kVxrKeyPartial;
    } else {
      key.attributes &= static_cast<std::uint8_t>(~kVxrKeyPartial);
    }
  }
  return {};
}

VxrStatus NextNumber(VxrPageStore& store, std::uint32_t& number) {
  VxrHeader& header = store.Header();
  if (header.lastNumber + 1 >= kVxrNumbersEnd) return VxrStatus::Corrupt(kVxrNumberOverflow);
  number = ++header.lastNumber;
  store.MarkHeaderChanged();
  return {};
}

VxrStatus EraseTable(VxrTree& tree, std::uint32_t table, bool keepDefinition) {
  const std::string prefix = TablePrefix(table);
  std::string from = prefix;
  while (true) {
    const VxrLookup next = tree.LowerBound(from);
    if (next.status.code == ErrorCode::RecordNotFound) return {};
    if (!next.Found()) return next.status;
    if (next.record.key.compare(0, prefix.size(), prefix) != 0) return {};
    from = next.record.key;
    const bool definition = next.record.key.size() > 4 &&
                            static_cast<std::uint8_t>(next.record.key[4]) == kVxrDefinitionMark;
    if (definition && keepDefinition) {
      from.push_back('\0');  // just past it
      continue;
    }
    if (const VxrStatus s = tree.Erase(next.record.key); !s.Ok()) return s;
  }
}

ErrorCode PerformChange(Op op, File& file, VxrFileState& s, const OperationArguments& arguments,
                        OperationAnswer& answer) {
  VxrOpenFile& open = *s.open;
  if (!open.store->Writable()) return ErrorCode::AccessDenied;
  switch (op) {
    case Op::ADD: return Answer(Finish(open, Add(file, s, true)), answer);
    case Op::APPEND: return Answer(Finish(open, Add(file, s, false)), answer);
    case Op::PUT: {
      if (s.current == 0) return ErrorCode::RecordNotAvailable;
      RecordChange change(s, s.current);
      if (!change.Lock()) return ErrorCode::AccessDenied;
      return Answer(Finish(open, Put(file, s, s.current, ErrorCode::RecordNotAvailable)), answer);
    }
    case Op::PUTfileptr: {
      if (arguments.pointer > 0xFFFFFFFFu || arguments.pointer == 0) return ErrorCode::RecordNotFound;
      const auto number = static_cast<std::uint32_t>(arguments.pointer);
      RecordChange change(s, number);
      if (!change.Lock()) return ErrorCode::AccessDenied;
      return Answer(Finish(open, Put(file, s, number, ErrorCode::RecordNotFound)), answer);
    }
    case Op::DELETE: {
      if (s.current == 0) return ErrorCode::RecordNotAvailable;
      RecordChange change(s, s.current);
      if (!change.Lock()) return ErrorCode::RecordNotAvailable;
      return Answer(Finish(open, Delete(file, s)), answer);
    }
    case Op::EMPTY: {
      const VxrStatus emptied = Finish(open, EraseTable(*open.tree, s.table, true));
      s.current = 0;
      s.order.reset();
      s.at = VxrReadPosition::At::Start;
      if (!emptied.Ok()) (void)ReadPartialKeys(*open.tree, s);
      // Every key is complete again: it has no entries, as the table has no records.
      if (emptied.Ok()) {
        for (VxrKey& key : s.keys) key.attributes &= static_cast<std::uint8_t>(~kVxrKeyPartial);
      }
      return Answer(emptied, answer);
    }
    case Op::BUILDfile:
    case Op::BUILDkey: {
      const VxrKey* key = nullptr;
      if (op == Op::BUILDkey) {
        key = NamedKey(s, arguments.key);
        if (!key) return ErrorCode::InvalidKeyFile;
      }
      const VxrStatus built = Build(file, s, key, s.fullBuild, arguments.progress);
      s.fullBuild = false;  // switched off after every build
      return Answer(FinishBuild(s, built), answer);
    }
    case Op::PACK: return Answer(FinishBuild(s, Pack(file, s, arguments.progress)), answer);
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

}  // namespace zelvo::vxr
