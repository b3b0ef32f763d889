#include "storage/vxr/vxr_driver.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "storage/driver_options.h"
#include "storage/file_copy.h"
#include "storage/file_sharing.h"
#include "storage/retry_wait.h"
#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_definition.h"
#include "storage/vxr/vxr_file_name.h"
#include "storage/vxr/internal/vxr_key.h"
#include "storage/vxr/internal/vxr_locks.h"
#include "storage/vxr/internal/vxr_record_key.h"
#include "storage/vxr/internal/vxr_table_state.h"

namespace zelvo {
namespace vxr {
namespace {

using Op = FileOperation;

constexpr FileOperation kOperations[] = {
    Op::ADD,          Op::APPEND,       Op::BOF,            Op::BUILDdyn,       Op::BUILDdynfilter,
    Op::BUILDfile,    Op::BUILDkey,
    Op::BYTES,        Op::Eof,          Op::CLOSE,          Op::COPY,           Op::CREATE,
    Op::DELETE,       Op::DUPLICATE,    Op::DUPLICATEkey,   Op::EMPTY,          Op::FLUSH,
    Op::GETfilekey,   Op::GETfileptr,   Op::GETkeyptr,      Op::GET_PROPERTY,   Op::GETPROPERTYkey,
    Op::NAME,         Op::NEXT,         Op::NOMEMO,         Op::OPEN,           Op::PACK,
    Op::POINTERfile,  Op::POINTERkey,   Op::POSITIONfile,   Op::POSITIONkey,    Op::PREVIOUS,
    Op::PUT,          Op::PUTfileptr,   Op::RECORDSfile,    Op::RECORDSkey,     Op::REGETfile,
    Op::REGETkey,     Op::REMOVE,       Op::RENAME,         Op::RESETfile,      Op::RESETkey,
    Op::SEND,         Op::SETfile,      Op::SETfilekey,     Op::SETfileptr,     Op::SETkey,
    Op::SETkeykeyptr, Op::SETkeykey,    Op::SETkeyptr,      Op::SET_PROPERTY,   Op::SETPROPERTYkey,
    Op::SHARE,        Op::SKIP,         Op::STREAM,         Op::GETSTATE,       Op::RESTORESTATE,
    Op::FREESTATE,    Op::LOGOUT,       Op::COMMIT,         Op::ROLLBACK,       Op::HOLDfile,
    Op::HOLDfilesec,  Op::RELEASE,      Op::WATCH,          Op::LOCKfile,       Op::LOCKfilesec,
    Op::UNLOCK,
};

constexpr std::uint8_t kTableNameMark = 0xFE;
constexpr std::size_t kStreamPages = 40;
constexpr std::size_t kStreamChanges = 5000;

// The VXR files open in the process, by their folded paths.
std::map<std::string, std::shared_ptr<VxrOpenFile>>& OpenFiles() {
  static std::map<std::string, std::shared_ptr<VxrOpenFile>> files;
  return files;
}

std::string& TcfPath() {
  static std::string path;
  return path;
}

// A new station's reader slot: the runtime clock in hundredths of a second.
std::uint32_t FirstSlot() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() / 10 %
                                    kVxrReaderSlots);
}

// The key of a file among the process's open files: its absolute path
// without regard to case, so that a relative name met again after the
// working directory changed is not taken for another folder's file.
std::string Folded(std::string_view path) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), failed);
  std::string out = failed ? std::string(path) : absolute.lexically_normal().string();
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string TableNameKey(std::string_view table) {
  return std::string(1, static_cast<char>(kTableNameMark)) + std::string(table);
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

// Opens the file (or takes its open in this process) inside an operation of
// its station: the caller ends the operation.
VxrStatus OpenShared(const std::string& path, OpenRequestVxr request, std::shared_ptr<VxrOpenFile>& out) {
  const std::string folded = Folded(path);
  auto& files = OpenFiles();
  if (const auto it = files.find(folded); it != files.end()) {
    // One open per process: a file first opened for reading stays so.
    if (request.write && !it->second->store->Writable()) return {ErrorCode::AccessDenied};
    if (const VxrStatus begun = BeginOperation(*it->second, false); !begun.Ok()) return begun;
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
  // Others may write: the station takes its locks and reads the header at
  // every operation.
  const bool shared = s == Sharing::DenyNone || s == Sharing::Compatibility;
  auto station = std::make_unique<VxrStation>(*opened.file, shared, FirstSlot());
  if (const ErrorCode entered = station->Enter(false); Failed(entered)) return {entered};
  VxrPageStore::Opened store = VxrPageStore::Open(std::move(opened.file), request.write,
                                                  {.shared = shared, .undoInterrupted = TransactionIncomplete});
  if (!store.status.Ok()) return store.status;  // the file is closed, and its locks with it
  auto file = std::make_shared<VxrOpenFile>();
  file->folded = folded;
  file->othersMayWrite = s != Sharing::DenyWrite && s != Sharing::DenyAll;
  file->store = std::move(store.store);
  file->station = std::move(station);
  file->tree = std::make_unique<VxrTree>(*file->store);
  file->users = 1;
  file->operations = 1;  // the station entered above
  files[folded] = file;
  out = std::move(file);
  return {};
}

// what it did): the changes put off before it stay.
bool RefusedCleanly(ErrorCode code) {
  return code == ErrorCode::CreatesDuplicateKey || code == ErrorCode::RecordNotAvailable ||
         code == ErrorCode::RecordNotFound || code == ErrorCode::AccessDenied ||
         code == ErrorCode::RecordChangedByAnotherStation;
}

// Ends a change: writes it (or puts it off while streaming). A change that
// failed midway (a damaged page, a failed read) drops everything not yet
// written, so the file stays as it was at its last write.
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

// ---- open and create ---------------------------------------------------------

std::size_t CacheOption(VxrPageStore& store, const DriverOption& option);

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
  for (const std::string& text : SplitDriverOptions(file.Declaration().driverOptions)) {
    if (const DriverOption option = ParseOption(text); SameWord(option.word, "CACHE"))
      (void)CacheOption(*state->open->store, option);
  }
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
  EndOperation(*state->open);
  state->recordSize = stored.recordSize;
  state->keys = keys.keys;
  for (std::size_t k = 0; k < state->keys.size(); ++k) {
    if (state->keys[k].Has(kVxrKeyDynamic)) state->dynamic[k];
  }
  if (const VxrStatus partial = ReadPartialKeys(*state->open->tree, *state); !partial.Ok()) {
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
  if (const VxrStatus begun = BeginOperation(*open, true); !begun.Ok()) {
    EndOperation(*open);
    (void)Release(open);
    return Answer(begun, answer);
  }
  EndOperation(*open);  // the write lock stays until Release ends the operation
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

bool IsOpenInProcess(const std::string& path) { return OpenFiles().contains(Folded(path)); }

ErrorCode ByName(Op op, File& file, const OperationArguments& arguments) {
  const std::string path = SplitVxrName(file.Name()).path;
  if (path.empty()) return ErrorCode::InvalidFilename;
  if (op == Op::COPY || op == Op::RENAME) {
    const std::string to = SplitVxrName(arguments.text).path;
    if (to.empty()) return ErrorCode::InvalidFilename;
    if (op == Op::COPY) return NameFailure(CopyWholeFile(path, to).code);
    if (IsOpenInProcess(path) || IsOpenInProcess(to)) return ErrorCode::AccessDenied;
    return NameFailure(CurrentFileSystem().Rename(path, to));
  }
  if (IsOpenInProcess(path)) return ErrorCode::AccessDenied;
  return NameFailure(CurrentFileSystem().Remove(path));
}

// ---- options -------------------------------------------------------------------

std::optional<std::uint32_t> ParseDecimal(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// CACHE=n: the page cache of the file (of every FILE that has it open) may
// hold n kilobytes of decoded pages; a value that is no positive number
// changes nothing. Answers the limit in bytes.
std::size_t CacheOption(VxrPageStore& store, const DriverOption& option) {
  const auto kilobytes = option.hasValue ? ParseDecimal(option.value) : std::nullopt;
  if (kilobytes && *kilobytes > 0) store.SetCacheLimit(std::size_t{*kilobytes} << 10);
  return store.CacheLimit();
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
      const auto flags = ParseDecimal(option.value);
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
  if (SameWord(word, "CACHE")) {
    answer.text = std::to_string(CacheOption(*s->open->store, option) >> 10);
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


// Operations answered from the FILE's state alone: its current record and
// the record buffer.
bool AnswersFromItsState(Op op) {
  return op == Op::POSITIONfile || op == Op::POSITIONkey || op == Op::POINTERfile || op == Op::POINTERkey;
}

bool Writes(Op op) {
  switch (op) {
    case Op::ADD:
    case Op::APPEND:
    case Op::PUT:
    case Op::PUTfileptr:
    case Op::DELETE:
    case Op::EMPTY:
    case Op::BUILDfile:
    case Op::BUILDkey:
    case Op::PACK:
    case Op::LOGOUT: return true;
    default: return false;
  }
}

// SEND, SET_PROPERTY and GET_PROPERTY; on an open FILE inside an operation
// of its station, a writing one when FLAGS gets a value.
ErrorCode Property(Op op, File& file, VxrFileState* s, std::string_view text, OperationAnswer& answer) {
  const DriverOption option = ParseOption(text);
  if (op == Op::GET_PROPERTY) {
    // Reading a property changes nothing: a value after its word is left
    // out, but for the table name that PNM and PNMQ ask about.
    const bool asks = SameWord(option.word, "PNM") || SameWord(option.word, "PNMQ");
    if (!asks) text = option.word;
  }
  // Words the FILE only keeps need neither the station's lock nor the header.
  if (!s || SameWord(option.word, "QUICKSCAN") || SameWord(option.word, "Recover")) return Send(file, s, text, answer);
  VxrOpenFile& open = *s->open;
  const bool writing = op != Op::GET_PROPERTY && SameWord(option.word, "FLAGS") && option.hasValue;
  ErrorCode code = ErrorCode::Ok;
  if (const VxrStatus begun = BeginOperation(open, writing); !begun.Ok()) {
    code = Answer(begun, answer);
  } else {
    code = Send(file, s, text, answer);
  }
  EndOperation(open);
  return code;
}

// LOCKfile and LOCKfilesec (the runtime repeats a refused one), UNLOCK.
ErrorCode TableLock(Op op, VxrFileState& s) {
  if (op == Op::UNLOCK) {
    if (s.tableLocked) s.open->station->Unlock(s.table);
    s.tableLocked = false;
    return ErrorCode::Ok;
  }
  if (s.tableLocked) return ErrorCode::Ok;
  if (!s.open->station->TryLock(s.table)) return ErrorCode::FileIsAlreadyLocked;
  s.tableLocked = true;
  return ErrorCode::Ok;
}

ErrorCode PerformOnOpenFile(Op op, File& file, VxrFileState& s, const OperationArguments& arguments,
                            OperationAnswer& answer) {
  VxrOpenFile& open = *s.open;
  switch (op) {
    case Op::ADD:
    case Op::APPEND:
    case Op::PUT:
    case Op::PUTfileptr:
    case Op::DELETE:
    case Op::EMPTY:
    case Op::BUILDfile:
    case Op::BUILDkey:
    case Op::PACK: {
      const ErrorCode code = PerformChange(op, file, s, arguments, answer);
      if (s.closeWhenBuilt) {
        // Closed from a progress event: the build was cancelled and has ended.
        const VxrStatus released = Release(s.open);
        file.SetDriverState(nullptr);
        return Failed(code) ? code : Answer(released, answer);
      }
      return code;
    }
    case Op::GETSTATE:
    case Op::RESTORESTATE:
    case Op::FREESTATE:
    case Op::BUILDdyn:
    case Op::BUILDdynfilter:
    case Op::GETPROPERTYkey:
    case Op::SETPROPERTYkey: return PerformStateOperation(op, file, s, arguments, answer);
    case Op::LOGOUT:
    case Op::COMMIT:
    case Op::ROLLBACK: return PerformTransaction(op, file, s, answer);
    case Op::HOLDfile:
    case Op::HOLDfilesec: s.holdSeconds = op == Op::HOLDfile ? 0 : std::max(1, arguments.seconds); return ErrorCode::Ok;
    case Op::WATCH: return ErrorCode::Ok;  // armed by the runtime's flags
    case Op::RELEASE: ReleaseHold(s); return ErrorCode::Ok;
    case Op::LOCKfile:
    case Op::LOCKfilesec:
    case Op::UNLOCK: return TableLock(op, s);
    case Op::STREAM: open.streaming = true; return ErrorCode::Ok;
    case Op::FLUSH:
      open.streaming = false;
      return Answer(Finish(open, {}), answer);
    default: return PerformReading(op, file, s, arguments, answer);
  }
}

}  // namespace

std::string TablePrefix(std::uint32_t table) {
  std::string prefix;
  AppendBigEndian32(prefix, table);
  return prefix;
}
ErrorCode Answer(VxrStatus status, OperationAnswer& answer) {
  if (status.code == ErrorCode::FileSystemError) {
    answer.fileErrorText = status.corruption != 0 ? VxrCorruptionText(status.corruption)
                                                  : "Quillset File Driver Error";
  }
  return status.code;
}

VxrStatus Release(std::shared_ptr<VxrOpenFile>& file) {
  VxrStatus status;
  if (!file) return status;
  if (file->store->HasChanges() && !file->inTransaction) status = file->tree->Write();
  EndOperation(*file);
  if (--file->users == 0) OpenFiles().erase(file->folded);
  file.reset();
  return status;
}

VxrStatus BeginOperation(VxrOpenFile& file, bool writing) {
  ++file.operations;
  const bool write = (writing && file.store->Writable()) || file.inTransaction || file.store->HasChanges();
  if (const ErrorCode entered = file.station->Enter(write); Failed(entered)) return {entered};
  file.store->SetRepairs(file.station->HoldsWriteLock());
  if (!file.othersMayWrite) return {};
  return file.store->RefreshIfChanged();
}

void EndOperation(VxrOpenFile& file) {
  if (file.operations > 0 && --file.operations > 0) return;
  const bool pending = file.inTransaction || file.store->HasChanges();
  if (!pending) {
    for (const std::uint32_t number : file.lockedUntilWritten) file.station->Unlock(number);
    file.lockedUntilWritten.clear();
  }
  file.station->Leave(pending);
  if (!file.station->HoldsWriteLock()) file.store->SetRepairs(false);
}

const std::string& TcfOption() { return TcfPath(); }

void ReleaseHold(VxrFileState& s) {
  if (s.held == 0) return;
  s.open->station->Unlock(s.held);
  s.held = 0;
}

// A change refused before it changed anything (the key upkeep puts back
VxrStatus Finish(VxrOpenFile& file, VxrStatus status) {
  if (!status.Ok()) {
    if (RefusedCleanly(status.code)) return status;
    (void)file.tree->Discard();
    file.putOff = 0;
    return status;
  }
  if (file.inTransaction) return {};  // written by COMMIT
  if (file.streaming && file.store->DirtyPages() < kStreamPages && ++file.putOff < kStreamChanges) {
    return {};
  }
  file.putOff = 0;
  return file.tree->Write();
}

}  // namespace vxr

using namespace vxr;  // the driver's own parts


std::span<const FileOperation> VxrDriver::Operations() const { return kOperations; }

ErrorCode VxrDriver::Perform(FileOperation op, File& file, const OperationArguments& arguments,
                                  OperationAnswer& answer) {
  VxrFileState* state = file.DriverState<VxrFileState>();
  // A progress event of a running build reaches no further than this.
  if (state && state->building && op != Op::CLOSE && op != Op::NAME && op != Op::GET_PROPERTY &&
      op != Op::GETPROPERTYkey) {
    return ErrorCode::BuildInProgress;
  }
  switch (op) {
    case Op::OPEN: return Open(file, file.Mode(), answer);
    case Op::SHARE: return Open(file, file.Mode(), answer);
    case Op::CREATE: return Create(file, answer);
    case Op::REMOVE:
    case Op::RENAME:
    case Op::COPY: return ByName(op, file, arguments);
    case Op::NAME: answer.text = SplitVxrName(file.Name()).path; return ErrorCode::Ok;
    case Op::SEND:
    case Op::SET_PROPERTY:
    case Op::GET_PROPERTY: return Property(op, file, state, arguments.text, answer);
    default: break;
  }
  if (!state && (op == Op::BUILDfile || op == Op::BUILDkey || op == Op::PACK)) {
    // A build of a closed FILE opens it for itself, others kept from writing.
    if (const ErrorCode opened = Open(file, AccessMode{0x22}, answer); Failed(opened)) return opened;
    const ErrorCode built = Perform(op, file, arguments, answer);
    VxrFileState* own = file.DriverState<VxrFileState>();
    if (!own) return built;  // already closed
    const VxrStatus released = Release(own->open);
    file.SetDriverState(nullptr);
    return Failed(built) ? built : Answer(released, answer);
  }
  if (!state) return ErrorCode::FileNotOpen;
  VxrFileState& s = *state;
  if (op == Op::CLOSE && s.building) {
    s.closeWhenBuilt = true;  // the build stops at its next step and closes then
    return ErrorCode::Ok;
  }
  VxrOpenFile& open = *s.open;
  if (op == Op::CLOSE) {
    ReleaseHold(s);
    if (s.tableLocked) s.open->station->Unlock(s.table);
    ++open.operations;  // Release ends it
    const VxrStatus released = Release(s.open);
    file.SetDriverState(nullptr);
    return Answer(released, answer);
  }
  // Where the FILE stands is its own: answered without the station's lock
  // and a look at the header (a list takes the position of every row it shows).
  if (AnswersFromItsState(op)) return PerformOnOpenFile(op, file, s, arguments, answer);
  // A read that a hold armed repeats while the record is held elsewhere:
  // after HOLDfile until it is granted, after HOLDfilesec for its seconds.
  // The station's lock is given up between the tries, so that the station
  // holding the record can write meanwhile.
  const bool holding = (file.State() & kHoldArmed) != 0 && ReadsRecord(op);
  const WaitLimit limit = s.holdSeconds == 0 ? kNoWaitLimit : WaitLimit(std::chrono::seconds(s.holdSeconds));
  // A transaction's start waits for the write lock only for its seconds.
  if (op == Op::LOGOUT && !open.inTransaction && open.store->Writable()) {
    if (const ErrorCode entered = open.station->EnterWriting(arguments.seconds); Failed(entered)) return entered;
  }
  ErrorCode code = ErrorCode::Ok;
  (void)RetryUntil(limit, std::chrono::milliseconds(10), [&] {
    if (const VxrStatus begun = BeginOperation(open, Writes(op)); !begun.Ok()) {
      EndOperation(open);
      code = Answer(begun, answer);
      return true;
    }
    code = PerformOnOpenFile(op, file, s, arguments, answer);
    if (file.DriverState<VxrFileState>() == nullptr) return true;  // closed by a cancelled build
    open.store->Trim();
    EndOperation(open);
    return !holding || code != ErrorCode::RecordIsAlreadyHeld;
  });
  return code;
}

std::optional<bool> VxrDriver::DynamicKeyBuilt(File& file, std::size_t key) {
  const VxrFileState* s = file.DriverState<VxrFileState>();
  if (!s) return std::nullopt;
  const auto dynamic = s->dynamic.find(key - 1);
  if (dynamic == s->dynamic.end()) return std::nullopt;
  return dynamic->second.built;
}


}  // namespace zelvo
