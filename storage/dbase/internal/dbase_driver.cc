#include "storage/dbase/dbase_driver.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "storage/dbase/internal/dbase_file.h"
#include "storage/dbase/internal/dbase_file_state.h"
#include "storage/drive_folders.h"
#include "storage/driver_options.h"
#include "storage/file_copy.h"
#include "storage/trace_log.h"

namespace zelvo {
namespace dbase {
namespace {

using Op = FileOperation;

constexpr FileOperation kOperations[] = {
    Op::ADD,          Op::APPEND,       Op::BOF,           Op::BUILDdyn,     Op::BUILDfile,
    Op::BUILDkey,     Op::BYTES,        Op::Eof,           Op::CLOSE,        Op::COPY,
    Op::CREATE,       Op::DELETE,       Op::DUPLICATE,     Op::DUPLICATEkey, Op::EMPTY,
    Op::FLUSH,        Op::GETfilekey,   Op::GETfileptr,    Op::GETkeyptr,    Op::GET_PROPERTY,
    Op::GETPROPERTYkey, Op::HOLDfile,   Op::HOLDfilesec,   Op::LOCKfile,     Op::LOCKfilesec,
    Op::NAME,         Op::NEXT,         Op::NOMEMO,        Op::OPEN,         Op::PACK,
    Op::POINTERfile,  Op::POINTERkey,   Op::POSITIONfile,  Op::POSITIONkey,  Op::PREVIOUS,
    Op::PUT,          Op::PUTfileptr,   Op::RECORDSfile,   Op::RECORDSkey,   Op::REGETfile,
    Op::REGETkey,     Op::RELEASE,      Op::REMOVE,        Op::RENAME,       Op::RESETfile,
    Op::RESETkey,     Op::SEND,         Op::SETfile,       Op::SETfilekey,   Op::SETfileptr,
    Op::SETkey,       Op::SETkeykeyptr, Op::SETkeykey,     Op::SETkeyptr,    Op::SET_PROPERTY,
    Op::SETPROPERTYkey, Op::SHARE,      Op::SKIP,          Op::STREAM,       Op::UNLOCK,
    Op::WATCH,        Op::GETSTATE,     Op::RESTORESTATE,  Op::FREESTATE,
};
static_assert(std::size(kOperations) == 64);

bool IsOff(std::string_view value) { return SameWord(value, "OFF"); }
const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

// The FILE's name as a path here: ".DBF" when it has no extension, a drive
// letter through its folder.
std::optional<std::string> TablePath(const std::string& name) {
  std::optional<std::string> path = MachinePath(name);
  if (!path) return std::nullopt;
  return DbaseTableName(*path);
}

// ---- options ---------------------------------------------------------------

struct OptionAnswer {
  int code = 0;
  std::string text;
};

OptionAnswer ApplyOption(File& file, DbaseOptions& options, DbaseFileState* state, std::string_view text) {
  const DriverOption option = ParseOption(text);
  const std::string_view word = option.word;
  if (SameWord(word, "BUFFERS")) {
    if (option.hasValue)
      if (const auto n = ParseCount(option.value); n && *n <= 1000) options.buffers = static_cast<int>(*n);
    return {0, std::to_string(options.buffers)};
  }
  if (SameWord(word, "EXTERRORS")) {
    if (option.hasValue) file.extendedErrors = !IsOff(option.value);
    return {0, OnOff(file.extendedErrors)};
  }
  if (SameWord(word, "IGNORESTATUS")) {
    if (option.hasValue) options.ignoreStatus = !IsOff(option.value);
    return {0, OnOff(options.ignoreStatus)};
  }
  if (SameWord(word, "ZEROY2K")) {
    if (option.hasValue) SetDbaseZeroY2K(SameWord(option.value, "ON"));
    return {0, OnOff(DbaseZeroY2K())};
  }
  if (SameWord(word, "DELETED")) {
    if (!options.ignoreStatus) return {Code(ErrorCode::RecordNotAvailable), {}};
    const bool deleted = state && state->haveRow && state->row[0] == kDbaseDeleted;
    return {0, OnOff(deleted)};
  }
  if (SameWord(word, "RECOVER") && state) {
    DbaseTable& table = *state->table;
    if (table.ReadOnly()) return {kReadOnly, {}};
    if (const int code = table.RefreshRecords(); code != 0) return {code, {}};
    std::vector<std::uint8_t> row = state->BlankRow();
    for (std::uint32_t n = 1; n <= table.Records(); ++n) {
      if (const int code = table.ReadRow(n, row); code != 0) return {code, {}};
      if (row[0] != kDbaseDeleted) continue;
      row[0] = kDbasePresent;
      if (const int code = table.WriteRow(n, row); code != 0) return {code, {}};
    }
    if (state->haveRow) state->row[0] = kDbasePresent;
    return {};
  }
  return {};
}

// ---- open and close ----------------------------------------------------------

// The table at `path` opened for the FILE, its fields bound to the columns.
int AttachTable(File& file, const std::string& path, AccessMode mode, const DbaseOptions& options) {
  DbaseOpenResult opened = DbaseTable::Open(path, mode, options.buffers);
  if (opened.code != 0) return opened.code;
  DbaseBindings bound = BindDbaseFields(file.Record().Layout(), opened.table->Columns());
  if (Failed(bound.code)) return Code(bound.code);  // the table closes as it goes
  auto state = std::make_unique<DbaseFileState>();
  state->table = std::move(opened.table);
  state->path = path;
  state->bindings = std::move(bound.bindings);
  state->options = options;
  state->row = state->BlankRow();
  file.SetDriverState(std::move(state));
  return 0;
}

int OpenTable(File& file, AccessMode mode) {
  DbaseOptions options;
  for (const std::string& option : SplitDriverOptions(file.Declaration().driverOptions))
    (void)ApplyOption(file, options, nullptr, option);
  if (TraceProfile().GetInt("ZRdBase4", "Y2KZERO", 0) != 0) SetDbaseZeroY2K(true);
  if (file.Name().empty()) return Code(ErrorCode::InvalidFilename);
  const std::optional<std::string> path = TablePath(file.Name());
  if (!path) return kPathNotFound;
  return AttachTable(file, *path, mode, options);
}

int CloseTable(File& file, DbaseFileState& s) {
  const int code = s.table->Close();
  file.SetDriverState(nullptr);
  return code;
}

int Create(File& file) {
  if (!file.Declaration().Has(kFileCreate)) return Code(ErrorCode::NoCreateAttribute);
  if (file.Name().empty()) return Code(ErrorCode::InvalidFilename);
  const std::optional<std::string> path = TablePath(file.Name());
  if (!path) return kPathNotFound;
  DbaseColumnsPlan plan = PlanDbaseColumns(file.Record().Layout());
  if (Failed(plan.code)) return Code(plan.code);
  return CreateDbaseFile(*path, std::move(plan.columns), 0);
}

// REMOVE, RENAME, COPY: the table and its memo file, when there is one.
int ByName(Op op, File& file, const OperationArguments& arguments) {
  if (file.Name().empty()) return Code(ErrorCode::InvalidFilename);
  const std::optional<std::string> path = TablePath(file.Name());
  if (!path) return kPathNotFound;
  std::optional<std::string> target;
  if (op != Op::REMOVE) {
    if (arguments.text.empty()) return Code(ErrorCode::InvalidFilename);
    target = TablePath(arguments.text);
    if (!target) return kPathNotFound;
  }
  FileSystem& fs = CurrentFileSystem();
  const std::string memo = DbaseCompanionName(*path, ".DBT");
  const bool hasMemo = FileExists(memo);
  ErrorCode code = ErrorCode::Ok;
  switch (op) {
    case Op::REMOVE:
      code = fs.Remove(*path);
      if (!Failed(code) && hasMemo) code = fs.Remove(memo);
      break;
    case Op::RENAME:
      code = fs.Rename(*path, *target);
      if (!Failed(code) && hasMemo) code = fs.Rename(memo, DbaseCompanionName(*target, ".DBT"));
      break;
    default: {
      CopyResult copied = CopyWholeFile(*path, *target);
      if (!Failed(copied.code) && hasMemo) copied = CopyWholeFile(memo, DbaseCompanionName(*target, ".DBT"));
      code = copied.code;
    }
  }
  return Failed(code) ? DbaseOpenFailure(code) : 0;
}

std::string FullName(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

bool IsKeyed(Op op) {
  switch (op) {
    case Op::BUILDkey: case Op::BUILDdyn: case Op::DUPLICATEkey: case Op::GETfilekey:
    case Op::GETkeyptr: case Op::GETPROPERTYkey: case Op::POINTERkey: case Op::POSITIONkey:
    case Op::RECORDSkey: case Op::REGETkey: case Op::RESETkey: case Op::SETfilekey:
    case Op::SETkey: case Op::SETkeykey: case Op::SETkeyptr: case Op::SETkeykeyptr:
    case Op::SETPROPERTYkey: return true;
    default: return false;
  }
}

// HOLD arms a hold on the next record read, WATCH a check of it at the next
// PUT; LOCKfile and UNLOCK take and let go the table's lock.
int Share(Op op, DbaseFileState& s, const OperationArguments& arguments) {
  DbaseTable& table = *s.table;
  switch (op) {
    case Op::HOLDfile:
    case Op::HOLDfilesec:
      s.holdArmed = true;
      s.holdSeconds = op == Op::HOLDfilesec ? std::max(0, arguments.seconds) : 0;
      return 0;
    case Op::RELEASE: s.ReleaseHold(); return 0;
    case Op::WATCH: s.watchArmed = true; return 0;
    case Op::UNLOCK:
      if (table.Shared()) table.Locks().Release(table.Os(), kDbaseFileLock);
      s.fileLocked = false;
      return 0;
    default: {  // LOCKfile, LOCKfilesec
      if (!table.Shared()) {
        s.fileLocked = true;
        return 0;
      }
      const int code = table.Locks().Take(table.Os(), kDbaseFileLock);
      // The runtime repeats a refused LOCKfile: answer its code, not an xBase
      // failure that would show the stop box at every attempt.
      if (code == kDbaseLockRefused) return Code(ErrorCode::FileIsAlreadyLocked);
      if (code == 0) s.fileLocked = true;
      return code;
    }
  }
}

// GETSTATE, RESTORESTATE, FREESTATE: where reading stands, kept by handle.
int KeepState(Op op, File& file, DbaseFileState& s, const OperationArguments& arguments, OperationAnswer& answer) {
  if (op == Op::GETSTATE) {
    s.saved[++s.lastSaved] = {s.cursor, s.row, s.haveRow, file.State()};
    answer.number = s.lastSaved;
    return 0;
  }
  if (op == Op::FREESTATE) {
    s.saved.erase(arguments.state);
    return 0;
  }
  const auto found = s.saved.find(arguments.state);
  if (found == s.saved.end()) return Code(ErrorCode::RecordNotFound);
  s.cursor = found->second.cursor;
  if (found->second.row.size() == s.row.size()) s.row = found->second.row;
  s.haveRow = found->second.haveRow;
  answer.restoredFlags = found->second.flags;
  return 0;
}

int PerformOperation(Op op, File& file, const OperationArguments& arguments, OperationAnswer& answer) {
  switch (op) {
    case Op::OPEN:
    case Op::SHARE: return OpenTable(file, file.Mode());
    case Op::CREATE: return Create(file);
    case Op::REMOVE:
    case Op::RENAME:
    case Op::COPY: return ByName(op, file, arguments);
    default: break;
  }
  if (IsKeyed(op)) return kNoTag;
  DbaseFileState* state = file.DriverState<DbaseFileState>();
  if (!state) {
    if (op == Op::NAME) {
      const std::optional<std::string> path = TablePath(file.Name());
      answer.text = path ? FullName(*path) : file.Name();
      return 0;
    }
    return Code(ErrorCode::FileNotOpen);
  }
  DbaseFileState& s = *state;
  switch (op) {
    case Op::CLOSE: return CloseTable(file, s);
    case Op::NAME: answer.text = FullName(s.path); return 0;
    case Op::ADD:
    case Op::APPEND:
    case Op::PUT:
    case Op::PUTfileptr:
    case Op::DELETE:
    case Op::EMPTY:
    case Op::PACK:
    case Op::FLUSH:
    case Op::STREAM: return PerformChange(op, file, s, arguments);
    case Op::HOLDfile:
    case Op::HOLDfilesec:
    case Op::RELEASE:
    case Op::WATCH:
    case Op::LOCKfile:
    case Op::LOCKfilesec:
    case Op::UNLOCK: return Share(op, s, arguments);
    case Op::SEND:
    case Op::GET_PROPERTY:
    case Op::SET_PROPERTY: {
      OptionAnswer option = ApplyOption(file, s.options, &s, arguments.text);
      answer.text = std::move(option.text);
      return option.code;
    }
    case Op::GETSTATE:
    case Op::RESTORESTATE:
    case Op::FREESTATE: return KeepState(op, file, s, arguments, answer);
    default: return PerformReading(op, file, s, arguments, answer);
  }
}

}  // namespace

std::optional<std::uint32_t> ParseCount(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::uint32_t value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || stop != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

int Reopen(File& file, DbaseFileState& s, const std::string& path) {
  const AccessMode mode = s.table->Mode();
  const DbaseOptions options = s.options;
  file.SetDriverState(nullptr);
  return AttachTable(file, path, mode, options);
}

}  // namespace dbase

using namespace dbase;  // the driver's own parts

std::span<const FileOperation> DbaseDriver::Operations() const { return kOperations; }

ErrorCode DbaseDriver::Perform(FileOperation op, File& file, const OperationArguments& arguments,
                               OperationAnswer& answer) {
  return ErrorCode{PerformOperation(op, file, arguments, answer)};
}

}  // namespace zelvo
