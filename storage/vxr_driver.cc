#include "storage/vxr_driver.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "storage/driver_options.h"
#include "storage/file_copy.h"
#include "storage/file_sharing.h"
#include "storage/vxr_corruption.h"
#include "storage/vxr_definition.h"
#include "storage/vxr_file_name.h"
#include "storage/vxr_key.h"
#include "storage/vxr_record_key.h"
#include "storage/vxr_table_state.h"

namespace zelvo {
namespace vxr {
namespace {

using Op = FileOperation;

constexpr FileOperation kOperations[] = {
    Op::ADD,          Op::APPEND,       Op::BOF,            Op::BUILDdyn,       Op::BUILDfile,
    Op::BUILDkey,
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
    Op::FREESTATE,
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

// what it did): the changes put off before it stay.
bool RefusedCleanly(ErrorCode code) {
  return code == ErrorCode::CreatesDuplicateKey || code == ErrorCode::RecordNotAvailable ||
         code == ErrorCode::RecordNotFound;
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
  if (file->store->HasChanges()) status = file->tree->Write();
  if (--file->users == 0) OpenFiles().erase(file->folded);
  file.reset();
  return status;
}

// A change refused before it changed anything (the key upkeep puts back
VxrStatus Finish(VxrOpenFile& file, VxrStatus status) {
  if (!status.Ok()) {
    if (RefusedCleanly(status.code)) return status;
    (void)file.tree->Discard();
    file.putOff = 0;
    return status;
  }
  if (file.streaming && file.store->DirtyPages() < kStreamPages && ++file.putOff < kStreamChanges) {
    return {};
  }
  file.putOff = 0;
  return file.tree->Write();
}

}  // namespace vxr

using namespace vxr;  // the driver's own parts


std::span<const FileOperation> QuillsetDriver::Operations() const { return kOperations; }

ErrorCode QuillsetDriver::Perform(FileOperation op, File& file, const OperationArguments& arguments,
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
    case Op::SET_PROPERTY: return Send(file, state, arguments.text, answer);
    case Op::GET_PROPERTY: {
      // Reading a property changes nothing: a value after its word is left
      // out, but for the table name that PNM and PNMQ ask about.
      const DriverOption option = ParseOption(arguments.text);
      const bool asks = SameWord(option.word, "PNM") || SameWord(option.word, "PNMQ");
      return Send(file, state, asks ? std::string_view(arguments.text) : std::string_view(option.word), answer);
    }
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
  // Another station's commit since the last operation makes the cache stale.
  if (const VxrStatus fresh = open.store->RefreshIfChanged(); !fresh.Ok()) return Answer(fresh, answer);

  ErrorCode code = ErrorCode::Ok;
  switch (op) {
    case Op::CLOSE: {
      const VxrStatus released = Release(s.open);
      file.SetDriverState(nullptr);
      return Answer(released, answer);
    }
    case Op::ADD:
    case Op::APPEND:
    case Op::PUT:
    case Op::PUTfileptr:
    case Op::DELETE:
    case Op::EMPTY:
    case Op::BUILDfile:
    case Op::BUILDkey:
    case Op::PACK:
      code = PerformChange(op, file, s, arguments, answer);
      if (s.closeWhenBuilt) {
        // Closed from a progress event: the build was cancelled and has ended.
        const VxrStatus released = Release(s.open);
        file.SetDriverState(nullptr);
        return Failed(code) ? code : Answer(released, answer);
      }
      break;
    case Op::GETSTATE:
    case Op::RESTORESTATE:
    case Op::FREESTATE:
    case Op::BUILDdyn:
    case Op::GETPROPERTYkey:
    case Op::SETPROPERTYkey: code = PerformStateOperation(op, file, s, arguments, answer); break;
    case Op::STREAM: open.streaming = true; break;
    case Op::FLUSH:
      open.streaming = false;
      code = Answer(Finish(open, {}), answer);
      break;
    default: code = PerformReading(op, file, s, arguments, answer); break;
  }
  open.store->Trim();
  return code;
}

std::optional<bool> QuillsetDriver::DynamicKeyBuilt(File& file, std::size_t key) {
  const VxrFileState* s = file.DriverState<VxrFileState>();
  if (!s) return std::nullopt;
  const auto dynamic = s->dynamic.find(key - 1);
  if (dynamic == s->dynamic.end()) return std::nullopt;
  return dynamic->second.built;
}

QuillsetDriver& VxrDriver() {
  static QuillsetDriver driver;
  return driver;
}

}  // namespace zelvo
