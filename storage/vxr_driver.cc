#include "storage/vxr_driver.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <memory>
#include <vector>

#include "storage/driver_options.h"
#include "storage/file_sharing.h"
#include "storage/vxr_corruption.h"
#include "storage/vxr_definition.h"
#include "storage/vxr_file_name.h"
#include "storage/vxr_key.h"
#include "storage/vxr_key_build.h"
#include "storage/vxr_key_duplicate.h"
#include "storage/vxr_key_position.h"
#include "storage/vxr_key_search.h"
#include "storage/vxr_key_upkeep.h"
#include "storage/vxr_key_value.h"
#include "storage/vxr_oem_text.h"
#include "storage/vxr_page_store.h"
#include "storage/vxr_record_key.h"
#include "storage/vxr_tree.h"

namespace zelvo {
namespace {

using Op = FileOperation;
using Bytes = std::vector<std::uint8_t>;

constexpr FileOperation kOperations[] = {
    Op::ADD,        Op::APPEND,      Op::BUILDfile,   Op::BUILDkey,     Op::CLOSE,
    Op::COPY,       Op::CREATE,      Op::DELETE,      Op::DUPLICATE,    Op::DUPLICATEkey,
    Op::EMPTY,      Op::FLUSH,       Op::GETfilekey,  Op::GETfileptr,   Op::GETkeyptr,
    Op::NAME,       Op::NEXT,        Op::OPEN,        Op::POINTERfile,  Op::POINTERkey,
    Op::POSITIONfile, Op::POSITIONkey, Op::PREVIOUS,  Op::PUT,          Op::RECORDSfile,
    Op::RECORDSkey, Op::REGETfile,   Op::REGETkey,    Op::REMOVE,       Op::RENAME,
    Op::RESETfile,  Op::RESETkey,    Op::SEND,        Op::SETfile,      Op::SETkey,
    Op::SETkeykey,  Op::SETkeyptr,   Op::SETkeykeyptr, Op::SHARE,       Op::STREAM,
};

constexpr std::uint8_t kTableNameMark = 0xFE;
// After STREAM writing is put off while fewer than 40 pages are dirty and
// fewer than 5000 operations have been put off.
constexpr std::size_t kStreamPages = 40;
constexpr std::size_t kStreamOperations = 5000;
// A key build writes what it has built once this many pages are dirty, to
// keep the memory bounded (a page is at most 15 KB decoded).
constexpr std::size_t kBuildCheckpointPages = 2048;

// One VXR file of the process, shared by the FILEs that opened it.
struct VxrOpenFile {
  std::string folded;  // the path without regard to case
  std::unique_ptr<VxrPageStore> store;
  std::unique_ptr<VxrTree> tree;
  int users = 0;
  bool streaming = false;
  std::size_t putOff = 0;  // operations put off while streaming
};

std::map<std::string, std::shared_ptr<VxrOpenFile>>& OpenFiles() {
  static std::map<std::string, std::shared_ptr<VxrOpenFile>> files;
  return files;
}

std::string& TcfPath() {
  static std::string path;
  return path;
}

struct VxrFileState final : DriverFileState {
  std::shared_ptr<VxrOpenFile> open;
  std::uint32_t table = 0;
  std::vector<VxrKey> keys;
  std::uint32_t current = 0;  // the current record's number, 0 for none
  // Where NEXT and PREVIOUS go on from: the start of the table, a record read
  // (the neighbours of its key), or a kept position (the record itself first).
  enum class At : std::uint8_t { Start, Record, Kept } at = At::Start;
  std::uint32_t cursor = 0;
  // Reading in the order of a key (its index) from a place among its entries.
  std::optional<std::size_t> order;
  VxrKeyPlace place;
  bool fullBuild = false;
  std::string quickScan = "OFF";
  std::string recover = "OFF";
};

std::string Folded(std::string_view path) {
  std::string out(path);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string TableNameKey(std::string_view table) {
  return std::string(1, static_cast<char>(kTableNameMark)) + std::string(table);
}

std::string TablePrefix(std::uint32_t table) {
  std::string prefix;
  AppendBigEndian32(prefix, table);
  return prefix;
}

std::string DataPrefix(std::uint32_t table) {
  return TablePrefix(table) + static_cast<char>(kVxrDataRecordMark);
}

ErrorCode Answer(VxrStatus status, OperationAnswer& answer) {
  if (status.code == ErrorCode::FileSystemError) {
    answer.fileErrorText = status.corruption != 0 ? VxrCorruptionText(status.corruption)
                                                  : "Quillset File Driver Error";
  }
  return status.code;
}

ErrorCode NameFailure(ErrorCode code) {
  if (code == FromSystemError(ENOENT)) return ErrorCode::FileNotFound;
  if (code == FromSystemError(ENOTDIR)) return ErrorCode::PathNotFound;
  return code;
}

// ---- the shared open files ---------------------------------------------------

struct OpenRequestVxr {
  bool write = false;
  bool create = false;
  Sharing sharing = Sharing::DenyNone;
};

VxrStatus OpenShared(const std::string& path, OpenRequestVxr request, std::shared_ptr<VxrOpenFile>& out) {
  const std::string folded = Folded(path);
  auto& files = OpenFiles();
  if (const auto it = files.find(folded); it != files.end()) {
    // One open per process: a file first opened for reading stays so.
    if (request.write && !it->second->store->Writable()) return {ErrorCode::AccessDenied};
    out = it->second;
    ++out->users;
    return {};
  }
  OpenResult opened = CurrentFileSystem().Open(path, {.read = true, .write = request.write,
                                                      .create = request.create});
  if (Failed(opened.code)) return {NameFailure(opened.code)};
  const Sharing s = request.sharing;
  const ErrorCode claimed = ClaimSharing(
      *opened.file, {.reads = true, .writes = request.write,
                     .deniesRead = s == Sharing::DenyRead || s == Sharing::DenyAll,
                     .deniesWrite = s == Sharing::DenyWrite || s == Sharing::DenyAll});
  if (Failed(claimed)) return {ErrorCode::AccessDenied};
  VxrPageStore::Opened store = VxrPageStore::Open(std::move(opened.file), request.write);
  if (!store.status.Ok()) return store.status;
  auto file = std::make_shared<VxrOpenFile>();
  file->folded = folded;
  file->store = std::move(store.store);
  file->tree = std::make_unique<VxrTree>(*file->store);
  file->users = 1;
  files[folded] = file;
  out = std::move(file);
  return {};
}

VxrStatus Release(std::shared_ptr<VxrOpenFile>& file) {
  VxrStatus status;
  if (!file) return status;
  if (file->store->HasChanges()) status = file->tree->Write();
  if (--file->users == 0) OpenFiles().erase(file->folded);
  file.reset();
  return status;
}

// A change refused before it changed anything (the key upkeep puts back
// what it did): the changes put off before it stay.
bool RefusedCleanly(ErrorCode code) {
  return code == ErrorCode::CreatesDuplicateKey || code == ErrorCode::RecordNotAvailable ||
         code == ErrorCode::RecordNotFound;
}

// Ends a change: writes it (or puts it off while streaming). A change that
// failed midway (a damaged page, a failed read) drops everything not yet
// written, so the file stays as it was at its last write.
VxrStatus Finish(VxrOpenFile& file, VxrStatus status) {
  if (!status.Ok()) {
    if (RefusedCleanly(status.code)) return status;
    (void)file.tree->Discard();
    return status;
  }
  if (file.streaming && file.store->DirtyPages() < kStreamPages && ++file.putOff < kStreamOperations) {
    return {};
  }
  file.putOff = 0;
  return file.tree->Write();
}

VxrStatus NextNumber(VxrPageStore& store, std::uint32_t& number) {
  VxrHeader& header = store.Header();
  if (header.lastNumber + 1 >= 0xFE000000u) return VxrStatus::Corrupt(kVxrNumberOverflow);
  number = ++header.lastNumber;
  store.MarkHeaderChanged();
  return {};
}

// ---- tables ------------------------------------------------------------------

VxrStatus FindTable(VxrTree& tree, std::string_view name, std::uint32_t& table) {
  const VxrLookup found = tree.Find(TableNameKey(name));
  if (found.status.code == ErrorCode::RecordNotFound) return {ErrorCode::FileNotFound};
  if (!found.Found()) return found.status;
  const auto number = ReadBigEndian32(found.record.data, 0);
  if (!number || found.record.data.size() != 4) return VxrStatus::Corrupt(kVxrPageRecords);
  table = *number;
  return {};
}

VxrStatus ReadDefinition(VxrTree& tree, std::uint32_t table, VxrDefinition& definition) {
  std::string stream;
  for (std::uint32_t chunk = 0; chunk <= 0xFFFF; ++chunk) {
    const VxrLookup found = tree.Find(VxrDefinitionChunkKey(table, static_cast<std::uint16_t>(chunk)));
    if (found.status.code == ErrorCode::RecordNotFound) break;
    if (!found.Found()) return found.status;
    stream += found.record.data;
  }
  auto decoded = DecodeVxrDefinition(stream);
  if (!decoded) return VxrStatus::Corrupt(kVxrDefinitionStream);
  definition = std::move(*decoded);
  return {};
}

// Removes every record of a table, keeping its definition when asked.
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

VxrTableKeys TableKeys(const File& file, const VxrFileState& s) {
  return {s.table, s.keys, {.oem = file.Declaration().Has(kFileOem)}};
}

// ---- records -------------------------------------------------------------------

Bytes StoredImage(const File& file) {
  const auto record = file.Record().Bytes();
  Bytes image(record.begin(), record.end());
  if (file.Declaration().Has(kFileOem)) ConvertVxrText(file.Declaration().fields, image, VxrTextDirection::ToOem);
  return image;
}

Bytes BufferImage(const File& file, std::string_view stored) {
  Bytes image(stored.begin(), stored.end());
  if (file.Declaration().Has(kFileOem)) ConvertVxrText(file.Declaration().fields, image, VxrTextDirection::FromOem);
  return image;
}

std::string_view AsText(const Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::optional<std::uint32_t> RecordNumberOf(const std::string& key, std::uint32_t table) {
  const std::string prefix = DataPrefix(table);
  if (key.size() != prefix.size() + 4 || key.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  return ReadBigEndian32(key, prefix.size());
}

void IntoBuffer(File& file, VxrFileState& s, std::uint32_t number, const std::string& stored) {
  const Bytes image = BufferImage(file, stored);
  auto buffer = file.Record().Bytes();
  std::copy_n(image.begin(), std::min(image.size(), buffer.size()), buffer.begin());
  s.current = number;
  s.cursor = number;
  s.at = VxrFileState::At::Record;
}

ErrorCode ReadNumber(File& file, VxrFileState& s, std::uint32_t number, OperationAnswer& answer) {
  const VxrLookup found = s.open->tree->Find(VxrDataRecordKey(s.table, number));
  if (found.status.code == ErrorCode::RecordNotFound) return ErrorCode::RecordNotFound;
  if (!found.Found()) return Answer(found.status, answer);
  IntoBuffer(file, s, number, found.record.data);
  return ErrorCode::Ok;
}

ErrorCode Step(File& file, VxrFileState& s, bool forward, OperationAnswer& answer) {
  VxrTree& tree = *s.open->tree;
  const std::string prefix = DataPrefix(s.table);
  VxrLookup found;
  switch (s.at) {
    case VxrFileState::At::Start:
      found = forward ? tree.Next(prefix) : tree.Previous(prefix + std::string(5, '\xFF'));
      break;
    case VxrFileState::At::Record:
      found = forward ? tree.Next(VxrDataRecordKey(s.table, s.cursor))
                      : tree.Previous(VxrDataRecordKey(s.table, s.cursor));
      break;
    case VxrFileState::At::Kept:
      found = forward ? tree.LowerBound(VxrDataRecordKey(s.table, s.cursor))
                      : tree.Previous(VxrDataRecordKey(s.table, s.cursor + 1));
      break;
  }
  if (found.status.code == ErrorCode::RecordNotFound) return ErrorCode::RecordNotAvailable;
  if (!found.Found()) return Answer(found.status, answer);
  const auto number = RecordNumberOf(found.record.key, s.table);
  if (!number) return ErrorCode::RecordNotAvailable;  // past the table's data records
  IntoBuffer(file, s, *number, found.record.data);
  return ErrorCode::Ok;
}

VxrStatus AddToCount(VxrTree& tree, std::uint32_t table, int delta) {
  VxrCountersLookup counters = ReadVxrCounters(tree, table, kVxrDataRecordMark);
  if (!counters.status.Ok()) return counters.status;
  counters.counters.count = static_cast<std::uint32_t>(static_cast<std::int64_t>(counters.counters.count) + delta);
  return WriteVxrCounters(tree, table, kVxrDataRecordMark, counters.counters);
}

VxrStatus Add(File& file, VxrFileState& s, bool keys) {
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

// A key whose counters hold a build limit is partially built.
VxrStatus MarkPartialKeys(VxrTree& tree, VxrFileState& s) {
  for (VxrKey& key : s.keys) {
    const VxrCountersLookup counters = ReadVxrCounters(tree, s.table, key.number);
    if (!counters.status.Ok()) return counters.status;
    if (counters.counters.second != 0) key.attributes |= kVxrKeyPartial;
  }
  return {};
}

VxrStatus StoredRecord(VxrFileState& s, std::string& stored) {
  const VxrLookup found = s.open->tree->Find(VxrDataRecordKey(s.table, s.current));
  if (found.status.code == ErrorCode::RecordNotFound) return {ErrorCode::RecordNotAvailable};
  if (!found.Found()) return found.status;
  stored = std::move(found.record.data);
  return {};
}

VxrStatus Put(File& file, VxrFileState& s) {
  if (s.current == 0) return {ErrorCode::RecordNotAvailable};
  std::string stored;
  if (const VxrStatus r = StoredRecord(s, stored); !r.Ok()) return r;
  const Bytes image = StoredImage(file);
  if (AsText(image) == stored) return {};
  const Bytes old = BufferImage(file, stored);
  const VxrTableKeys table = TableKeys(file, s);
  if (const VxrStatus k = MaintainVxrKeys(*s.open->tree, table, s.current, std::span<const std::uint8_t>(old),
                                          file.Record().Bytes());
      !k.Ok()) {
    return k;
  }
  return s.open->tree->Update(VxrDataRecordKey(s.table, s.current), AsText(image));
}

VxrStatus Delete(File& file, VxrFileState& s) {
  if (s.current == 0) return {ErrorCode::RecordNotAvailable};
  std::string stored;
  if (const VxrStatus r = StoredRecord(s, stored); !r.Ok()) return r;
  if (const VxrStatus e = s.open->tree->Erase(VxrDataRecordKey(s.table, s.current)); !e.Ok()) return e;
  const Bytes old = BufferImage(file, stored);
  const VxrTableKeys table = TableKeys(file, s);
  if (const VxrStatus k = MaintainVxrKeys(*s.open->tree, table, s.current, std::span<const std::uint8_t>(old),
                                          std::nullopt);
      !k.Ok()) {
    return k;
  }
  if (const VxrStatus c = AddToCount(*s.open->tree, s.table, -1); !c.Ok()) return c;
  s.current = 0;
  return {};
}

// ---- key order ---------------------------------------------------------------

// The key an operation names (1-based); null for a number out of range.
const VxrKey* NamedKey(const VxrFileState& s, std::size_t number) {
  if (number == 0 || number > s.keys.size()) return nullptr;
  return &s.keys[number - 1];
}

ErrorCode StepInKey(File& file, VxrFileState& s, KeyDirection direction, OperationAnswer& answer) {
  const VxrKey& key = s.keys[*s.order];
  const VxrTableKeys table = TableKeys(file, s);
  const VxrKeyHit hit = StepVxrKey(*s.open->tree, table, key, s.place, direction);
  if (!hit.Found()) return Answer(hit.status, answer);
  return ReadNumber(file, s, hit.recordNumber, answer);
}

ErrorCode KeyOperation(Op op, File& file, VxrFileState& s, const OperationArguments& arguments,
                       OperationAnswer& answer) {
  const VxrKey* key = NamedKey(s, arguments.key);
  if (!key) return ErrorCode::InvalidKeyFile;
  const VxrTableKeys table = TableKeys(file, s);
  VxrTree& tree = *s.open->tree;
  const auto buffer = file.Record().Bytes();
  const std::size_t index = arguments.key - 1;
  switch (op) {
    case Op::SETkey:
      s.order = index;
      s.place = VxrKeyPlace::Ends(table, *key);
      return ErrorCode::Ok;
    case Op::SETkeykey:
      s.order = index;
      s.place = VxrKeyPlace::AtValue(table, *key, EncodeVxrKeyValue(*key, buffer, table.text));
      return ErrorCode::Ok;
    case Op::SETkeyptr:
    case Op::SETkeykeyptr:
      if (arguments.pointer > 0xFFFFFFFFu) return ErrorCode::RecordNotFound;
      s.order = index;
      s.place = VxrKeyPlace::AtEntry(table, *key, EncodeVxrKeyValue(*key, buffer, table.text),
                                     static_cast<std::uint32_t>(arguments.pointer));
      return ErrorCode::Ok;
    case Op::GETfilekey: {
      const VxrKeyHit hit = FindVxrKeyEntry(tree, table, *key, buffer);
      if (!hit.Found()) return Answer(hit.status, answer);
      return ReadNumber(file, s, hit.recordNumber, answer);
    }
    case Op::POSITIONkey:
      answer.position = VxrKeyPosition(*key, buffer, s.current, table.text);
      return ErrorCode::Ok;
    case Op::RESETkey:
    case Op::REGETkey: {
      const auto parts = ReadVxrKeyPosition(*key, arguments.position);
      if (!parts) return ErrorCode::RecordNotFound;
      if (op == Op::REGETkey) return ReadNumber(file, s, parts->recordNumber, answer);
      s.order = index;
      s.place = VxrKeyPlace::AtEntry(table, *key, parts->value, parts->recordNumber);
      return ErrorCode::Ok;
    }
    case Op::RECORDSkey: {
      const VxrCountersLookup counters = ReadVxrCounters(tree, s.table, key->number);
      if (!counters.status.Ok()) return Answer(counters.status, answer);
      answer.number = counters.counters.count;
      return ErrorCode::Ok;
    }
    case Op::DUPLICATEkey: {
      const std::optional<std::uint32_t> current = s.current ? std::optional(s.current) : std::nullopt;
      const VxrDuplicateCheck check = CheckVxrDuplicateKey(tree, table, *key, buffer, current);
      answer.flag = check.duplicate;
      return Answer(check.status, answer);
    }
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

// BUILDfile (every key) and BUILDkey (one): FULLBUILD goes off afterwards.
VxrStatus Build(File& file, VxrFileState& s, const VxrKey* only) {
  const VxrTableKeys table = TableKeys(file, s);
  VxrBuildHooks hooks;
  const bool oem = file.Declaration().Has(kFileOem);
  hooks.image = [&file, oem](std::string_view stored) {
    Bytes image(stored.begin(), stored.end());
    if (oem) ConvertVxrText(file.Declaration().fields, image, VxrTextDirection::FromOem);
    return std::string(AsText(image));
  };
  VxrOpenFile& open = *s.open;
  hooks.checkpoint = [&open]() -> ErrorCode {
    if (open.store->DirtyPages() < kBuildCheckpointPages) return ErrorCode::Ok;
    return open.tree->Write().code;
  };
  auto settle = [&s](std::size_t k, std::uint32_t limit) {
    if (k >= s.keys.size()) return;
    if (limit == 0) {
      s.keys[k].attributes &= static_cast<std::uint8_t>(~kVxrKeyPartial);
    } else {
      s.keys[k].attributes |= kVxrKeyPartial;
    }
  };
  VxrStatus status;
  if (only) {
    const VxrBuildResult built = BuildVxrKey(*open.tree, table, *only, s.fullBuild, hooks);
    status = built.status;
    settle(only->number, built.buildLimit);
  } else {
    const VxrBuildKeysResult built = BuildVxrKeys(*open.tree, table, s.fullBuild, hooks);
    status = built.status;
    for (std::size_t k = 0; k < built.buildLimits.size(); ++k) settle(k, built.buildLimits[k]);
  }
  s.fullBuild = false;
  return status;
}

// ---- open and create ---------------------------------------------------------

ErrorCode Open(File& file, AccessMode mode, OperationAnswer& answer) {
  if (!mode.AllowsReading()) return ErrorCode::AccessDenied;
  const VxrName name = SplitVxrName(file.Name());
  if (name.path.empty()) return ErrorCode::InvalidFilename;
  const VxrKeysResult keys = ResolveVxrKeys(file.Declaration().fields, file.Declaration().keys);
  if (Failed(keys.code)) return keys.code;
  auto state = std::make_unique<VxrFileState>();
  const VxrStatus opened = OpenShared(name.path, {.write = mode.AllowsWriting(), .sharing = mode.SharingPart()},
                                      state->open);
  if (!opened.Ok()) return Answer(opened, answer);
  VxrDefinition stored;
  VxrStatus status = FindTable(*state->open->tree, name.table, state->table);
  if (status.Ok()) status = ReadDefinition(*state->open->tree, state->table, stored);
  state->open->store->Trim();
  if (status.Ok() && (!file.Declaration().fields.empty() || !file.Declaration().keys.empty())) {
    const VxrDefinition declared = VxrDefinitionOf(file.Declaration().fields, file.Declaration().keys);
    if (CompareVxrDefinitions(stored, declared) == VxrDefinitionMatch::Different) {
      status = {ErrorCode::InvalidRecordDeclaration};
    }
  }
  if (!status.Ok()) {
    (void)Release(state->open);
    return Answer(status, answer);
  }
  state->keys = keys.keys;
  if (const VxrStatus partial = MarkPartialKeys(*state->open->tree, *state); !partial.Ok()) {
    (void)Release(state->open);
    return Answer(partial, answer);
  }
  file.SetDriverState(std::move(state));
  return ErrorCode::Ok;
}

ErrorCode Create(File& file, OperationAnswer& answer) {
  if (!file.Declaration().Has(kFileCreate)) return ErrorCode::NoCreateAttribute;
  const VxrName name = SplitVxrName(file.Name());
  if (name.path.empty()) return ErrorCode::InvalidFilename;
  const VxrKeysResult keys = ResolveVxrKeys(file.Declaration().fields, file.Declaration().keys);
  if (Failed(keys.code)) return keys.code;
  std::shared_ptr<VxrOpenFile> open;
  const VxrStatus opened = OpenShared(name.path, {.write = true, .create = true}, open);
  if (!opened.Ok()) return Answer(opened, answer);
  VxrTree& tree = *open->tree;
  auto make = [&]() -> VxrStatus {
    std::uint32_t old = 0;
    if (const VxrStatus f = FindTable(tree, name.table, old); f.Ok()) {
      // The old table's records could never be reached again: they go too.
      if (const VxrStatus e = EraseTable(tree, old, false); !e.Ok()) return e;
      if (const VxrStatus e = tree.Erase(TableNameKey(name.table)); !e.Ok()) return e;
    } else if (f.code != ErrorCode::FileNotFound) {
      return f;
    }
    std::uint32_t table = 0;
    if (const VxrStatus n = NextNumber(*open->store, table); !n.Ok()) return n;
    if (const VxrStatus i = tree.Insert(TableNameKey(name.table), TablePrefix(table)); !i.Ok()) return i;
    const std::string stream =
        EncodeVxrDefinition(VxrDefinitionOf(file.Declaration().fields, file.Declaration().keys));
    for (std::size_t at = 0, chunk = 0; at < stream.size(); at += kVxrDefinitionChunk, ++chunk) {
      const VxrStatus i = tree.Insert(VxrDefinitionChunkKey(table, static_cast<std::uint16_t>(chunk)),
                                      std::string_view(stream).substr(at, kVxrDefinitionChunk));
      if (!i.Ok()) return i;
    }
    return {};
  };
  VxrStatus status = make();
  if (status.Ok()) {
    status = open->tree->Write();
  } else {
    (void)open->tree->Discard();
  }
  const VxrStatus released = Release(open);
  return Answer(status.Ok() ? released : status, answer);
}

// ---- by name -------------------------------------------------------------------

ErrorCode CopyWhole(const std::string& from, const std::string& to) {
  FileSystem& fs = CurrentFileSystem();
  OpenResult source = fs.Open(from, {.read = true});
  if (Failed(source.code)) return NameFailure(source.code);
  OpenResult target = fs.Open(to, {.read = true, .write = true, .create = true, .truncate = true});
  if (Failed(target.code)) return NameFailure(target.code);
  Bytes buffer(1 << 16);
  ErrorCode code = ErrorCode::Ok;
  for (std::uint64_t offset = 0;;) {
    const ReadResult read = source.file->ReadAt(offset, buffer);
    if (Failed(read.code)) {
      code = read.code;
      break;
    }
    if (read.bytes == 0) break;
    code = target.file->WriteAt(offset, std::span(buffer).first(read.bytes));
    if (Failed(code)) break;
    offset += read.bytes;
  }
  if (!Failed(code)) code = target.file->Sync();
  (void)target.file->Close();
  if (Failed(code)) (void)fs.Remove(to);  // no half copy is left behind
  return code;
}

bool IsOpenInProcess(const std::string& path) { return OpenFiles().contains(Folded(path)); }

ErrorCode ByName(Op op, File& file, const OperationArguments& arguments) {
  const std::string path = SplitVxrName(file.Name()).path;
  if (path.empty()) return ErrorCode::InvalidFilename;
  if (op == Op::COPY || op == Op::RENAME) {
    const std::string to = SplitVxrName(arguments.text).path;
    if (to.empty()) return ErrorCode::InvalidFilename;
    if (op == Op::COPY) return CopyWhole(path, to);
    if (IsOpenInProcess(path) || IsOpenInProcess(to)) return ErrorCode::AccessDenied;
    return NameFailure(CurrentFileSystem().Rename(path, to));
  }
  if (IsOpenInProcess(path)) return ErrorCode::AccessDenied;
  return NameFailure(CurrentFileSystem().Remove(path));
}

// ---- options -------------------------------------------------------------------

std::optional<std::uint32_t> ParseFlags(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The first table of the file whose name is not below `from`.
VxrStatus FirstTableFrom(VxrTree& tree, std::string_view from, std::string& table) {
  table.clear();
  const VxrLookup found = tree.LowerBound(TableNameKey(from));
  if (found.status.code == ErrorCode::RecordNotFound) return {};
  if (!found.Found()) return found.status;
  if (!found.record.key.empty() && static_cast<std::uint8_t>(found.record.key[0]) == kTableNameMark) {
    table = found.record.key.substr(1);
  }
  return {};
}

ErrorCode Send(File& file, VxrFileState* s, std::string_view text, OperationAnswer& answer) {
  const DriverOption option = ParseOption(text);
  const std::string_view word = option.word;
  if (SameWord(word, "TCF")) {
    if (option.hasValue) TcfPath() = option.value;
    answer.text = TcfPath();
    return ErrorCode::Ok;
  }
  if (SameWord(word, "PNMQ") && !s) {
    std::shared_ptr<VxrOpenFile> open;
    const VxrStatus opened = OpenShared(SplitVxrName(file.Name()).path, {}, open);
    if (!opened.Ok()) return Answer(opened, answer);
    const VxrStatus walked = FirstTableFrom(*open->tree, option.value, answer.text);
    (void)Release(open);
    return Answer(walked, answer);
  }
  if (!s) return ErrorCode::FileNotOpen;
  if (SameWord(word, "PNM") || SameWord(word, "PNMQ")) {
    return Answer(FirstTableFrom(*s->open->tree, option.value, answer.text), answer);
  }
  if (SameWord(word, "FULLBUILD")) {
    if (option.hasValue) s->fullBuild = SameWord(option.value, "ON");
    answer.text = s->fullBuild ? "ON" : "OFF";
    return ErrorCode::Ok;
  }
  if (SameWord(word, "FLAGS")) {
    VxrTree& tree = *s->open->tree;
    VxrCountersLookup counters = ReadVxrCounters(tree, s->table, kVxrDataRecordMark);
    if (!counters.status.Ok()) return Answer(counters.status, answer);
    if (option.hasValue) {
      const auto flags = ParseFlags(option.value);
      if (!s->open->store->Writable()) return ErrorCode::AccessDenied;
      if (flags) {
        counters.counters.second = *flags;
        const VxrStatus written =
            Finish(*s->open, WriteVxrCounters(tree, s->table, kVxrDataRecordMark, counters.counters));
        if (!written.Ok()) return Answer(written, answer);
      }
    }
    answer.text = std::to_string(counters.counters.second);
    return ErrorCode::Ok;
  }
  if (SameWord(word, "QUICKSCAN") || SameWord(word, "Recover")) {
    std::string& kept = SameWord(word, "QUICKSCAN") ? s->quickScan : s->recover;
    if (option.hasValue) kept = option.value;
    answer.text = kept;
    return ErrorCode::Ok;
  }
  answer.text.clear();
  return ErrorCode::Ok;
}

}  // namespace

std::span<const FileOperation> QuillsetDriver::Operations() const { return kOperations; }

ErrorCode QuillsetDriver::Perform(FileOperation op, File& file, const OperationArguments& arguments,
                                  OperationAnswer& answer) {
  switch (op) {
    case Op::OPEN: return Open(file, file.Mode(), answer);
    case Op::SHARE: return Open(file, file.Mode(), answer);
    case Op::CREATE: return Create(file, answer);
    case Op::REMOVE:
    case Op::RENAME:
    case Op::COPY: return ByName(op, file, arguments);
    case Op::NAME: answer.text = SplitVxrName(file.Name()).path; return ErrorCode::Ok;
    default: break;
  }
  VxrFileState* state = file.DriverState<VxrFileState>();
  if (op == Op::SEND) return Send(file, state, arguments.text, answer);
  if (!state && (op == Op::BUILDfile || op == Op::BUILDkey)) {
    // A build of a closed FILE opens it for itself, others kept from writing.
    if (const ErrorCode opened = Open(file, AccessMode{0x22}, answer); Failed(opened)) return opened;
    const ErrorCode built = Perform(op, file, arguments, answer);
    VxrFileState* own = file.DriverState<VxrFileState>();
    const VxrStatus released = Release(own->open);
    file.SetDriverState(nullptr);
    return Failed(built) ? built : Answer(released, answer);
  }
  if (!state) return ErrorCode::FileNotOpen;
  VxrFileState& s = *state;
  VxrOpenFile& open = *s.open;
  // Another station's commit since the last operation makes the cache stale.
  if (const VxrStatus fresh = open.store->RefreshIfChanged(); !fresh.Ok()) return Answer(fresh, answer);
  const bool changes = op == Op::ADD || op == Op::APPEND || op == Op::PUT || op == Op::DELETE ||
                       op == Op::EMPTY || op == Op::BUILDfile || op == Op::BUILDkey;
  if (changes && !open.store->Writable()) return ErrorCode::AccessDenied;

  ErrorCode code = ErrorCode::Ok;
  switch (op) {
    case Op::CLOSE: {
      const VxrStatus released = Release(s.open);
      file.SetDriverState(nullptr);
      return Answer(released, answer);
    }
    case Op::ADD: code = Answer(Finish(open, Add(file, s, true)), answer); break;
    case Op::APPEND: code = Answer(Finish(open, Add(file, s, false)), answer); break;
    case Op::PUT: code = Answer(Finish(open, Put(file, s)), answer); break;
    case Op::DELETE: code = Answer(Finish(open, Delete(file, s)), answer); break;
    case Op::EMPTY:
      code = Answer(Finish(open, EraseTable(*open.tree, s.table, true)), answer);
      s.current = 0;
      s.at = VxrFileState::At::Start;
      break;
    case Op::NEXT:
      code = s.order ? StepInKey(file, s, KeyDirection::Next, answer) : Step(file, s, true, answer);
      break;
    case Op::PREVIOUS:
      code = s.order ? StepInKey(file, s, KeyDirection::Previous, answer) : Step(file, s, false, answer);
      break;
    case Op::SETfile:
      s.order.reset();
      s.at = VxrFileState::At::Start;
      break;
    case Op::SETkey:
    case Op::SETkeykey:
    case Op::SETkeyptr:
    case Op::SETkeykeyptr:
    case Op::GETfilekey:
    case Op::POSITIONkey:
    case Op::RESETkey:
    case Op::REGETkey:
    case Op::RECORDSkey:
    case Op::DUPLICATEkey: code = KeyOperation(op, file, s, arguments, answer); break;
    case Op::DUPLICATE: {
      const std::optional<std::uint32_t> current = s.current ? std::optional(s.current) : std::nullopt;
      const VxrDuplicateCheck check =
          CheckVxrDuplicate(*open.tree, TableKeys(file, s), file.Record().Bytes(), current);
      answer.flag = check.duplicate;
      code = Answer(check.status, answer);
      break;
    }
    case Op::BUILDfile: code = Answer(Finish(open, Build(file, s, nullptr)), answer); break;
    case Op::BUILDkey: {
      const VxrKey* key = NamedKey(s, arguments.key);
      if (!key) return ErrorCode::InvalidKeyFile;
      code = Answer(Finish(open, Build(file, s, key)), answer);
      break;
    }
    case Op::POINTERkey: answer.number = s.current; break;
    case Op::GETkeyptr:
    case Op::GETfileptr:
      if (arguments.pointer == 0 || arguments.pointer > 0xFFFFFFFFu) return ErrorCode::RecordNotFound;
      code = ReadNumber(file, s, static_cast<std::uint32_t>(arguments.pointer), answer);
      break;
    case Op::POINTERfile: answer.number = s.current; break;
    case Op::POSITIONfile: {
      answer.position.clear();
      AppendBigEndian32(answer.position, s.current);
      break;
    }
    case Op::RESETfile:
    case Op::REGETfile: {
      const auto number = ReadBigEndian32(arguments.position, 0);
      if (!number || arguments.position.size() != 4) return ErrorCode::RecordNotFound;
      if (op == Op::REGETfile) {
        code = ReadNumber(file, s, *number, answer);
      } else {
        s.cursor = *number;
        s.at = VxrFileState::At::Kept;
      }
      break;
    }
    case Op::RECORDSfile: {
      const VxrCountersLookup counters = ReadVxrCounters(*open.tree, s.table, kVxrDataRecordMark);
      if (!counters.status.Ok()) return Answer(counters.status, answer);
      answer.number = counters.counters.count;
      break;
    }
    case Op::STREAM: open.streaming = true; break;
    case Op::FLUSH:
      open.streaming = false;
      code = Answer(Finish(open, {}), answer);
      break;
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
  open.store->Trim();
  return code;
}

QuillsetDriver& VxrDriver() {
  static QuillsetDriver driver;
  return driver;
}

}  // namespace zelvo
