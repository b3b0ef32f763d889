#include "storage/dbase/dbase_driver.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "storage/dbase/internal/dbase_binding.h"
#include "storage/dbase/internal/dbase_file.h"
#include "storage/dbase/internal/dbase_table.h"
#include "storage/drive_folders.h"
#include "storage/driver_options.h"
#include "storage/file_copy.h"
#include "storage/trace_log.h"

namespace zelvo {
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

constexpr int kOutOfRange = -204;
constexpr int kPathNotFound = -239;
constexpr int kReadOnly = -236;
constexpr int kNoTag = -248;  // the tables declare no keys: no index tag to use

int Code(ErrorCode code) { return Number(code); }

struct DbaseOptions {
  bool ignoreStatus = false;
  int buffers = 0;
};

// Where NEXT and PREVIOUS go on from: after the current record, or from the
// table's edges after SETfile, or from a record a pointer named.
struct Cursor {
  std::uint32_t current = 0;  // the record last read or positioned at; 0 none
  std::uint32_t start = 0;    // SETfileptr, RESETfile: the record read next
  bool fromEdge = true;       // SETfile: NEXT reads the first, PREVIOUS the last
};

class DbaseFileState final : public DriverFileState {
 public:
  std::unique_ptr<DbaseTable> table;
  std::string path;
  std::vector<DbaseBinding> bindings;
  DbaseOptions options;
  std::vector<std::uint8_t> row;  // the current record as the file holds it
  bool haveRow = false;
  Cursor cursor;
  bool holdArmed = false;
  int holdSeconds = 0;
  std::uint32_t held = 0;
  bool watchArmed = false;
  std::uint32_t watched = 0;
  std::vector<std::uint8_t> watchedRow;
  bool fileLocked = false;

  struct Saved {
    Cursor cursor;
    std::vector<std::uint8_t> row;
    bool haveRow = false;
    StateFlags flags = 0;
  };
  std::map<std::uint64_t, Saved> saved;
  std::uint64_t lastSaved = 0;

  std::vector<std::uint8_t> BlankRow() const {
    return std::vector<std::uint8_t>(table->Header().recordLength, std::uint8_t{' '});
  }
  void ReleaseHold() {
    if (held != 0) table->Locks().Release(table->Os(), DbaseRecordLock(held));
    held = 0;
  }
};

bool IsOff(std::string_view value) { return SameWord(value, "OFF"); }
const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

std::optional<std::uint32_t> ParseCount(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::uint32_t value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || stop != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string PositionText(std::uint32_t record) {
  std::string digits = std::to_string(record);
  return std::string(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits;
}

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

int OpenTable(File& file, AccessMode mode) {
  DbaseOptions options;
  for (const std::string& option : SplitDriverOptions(file.Declaration().driverOptions))
    (void)ApplyOption(file, options, nullptr, option);
  if (TraceProfile().GetInt("ZRdBase4", "Y2KZERO", 0) != 0) SetDbaseZeroY2K(true);
  if (file.Name().empty()) return Code(ErrorCode::InvalidFilename);
  const std::optional<std::string> path = TablePath(file.Name());
  if (!path) return kPathNotFound;
  DbaseOpenResult opened = DbaseTable::Open(*path, mode, options.buffers);
  if (opened.code != 0) return opened.code;
  DbaseBindings bound = BindDbaseFields(file.Record().Layout(), opened.table->Columns());
  if (Failed(bound.code)) return Code(bound.code);  // the table closes as it goes
  auto state = std::make_unique<DbaseFileState>();
  state->table = std::move(opened.table);
  state->path = *path;
  state->bindings = std::move(bound.bindings);
  state->options = options;
  state->row = state->BlankRow();
  file.SetDriverState(std::move(state));
  return 0;
}

int CloseTable(File& file, DbaseFileState& s) {
  const int code = s.table->Close();
  file.SetDriverState(nullptr);
  return code;
}

// Closes the table and opens the file at its path again in the mode it had,
// keeping the options.
int Reopen(File& file, DbaseFileState& s, const std::string& path) {
  const AccessMode mode = s.table->Mode();
  const DbaseOptions options = s.options;
  file.SetDriverState(nullptr);
  DbaseOpenResult opened = DbaseTable::Open(path, mode, options.buffers);
  if (opened.code != 0) return opened.code;
  DbaseBindings bound = BindDbaseFields(file.Record().Layout(), opened.table->Columns());
  if (Failed(bound.code)) return Code(bound.code);
  auto state = std::make_unique<DbaseFileState>();
  state->table = std::move(opened.table);
  state->path = path;
  state->bindings = std::move(bound.bindings);
  state->options = options;
  state->row = state->BlankRow();
  file.SetDriverState(std::move(state));
  return 0;
}

// ---- reading ---------------------------------------------------------------

// Moves the row into the record buffer; the buffer keeps its bytes on failure.
int Deliver(File& file, DbaseFileState& s, std::uint32_t number, const std::vector<std::uint8_t>& row) {
  RecordBuffer record = file.Record();
  if (const int code = ReadDbaseRow(file.Record().Layout(), s.table->Columns(), s.bindings, row,
                                    record.Bytes(), file.Declaration().Has(kFileOem));
      code != 0)
    return code;
  std::copy(record.Bytes().begin(), record.Bytes().end(), file.Record().Bytes().begin());
  s.row = row;
  s.haveRow = true;
  s.cursor = {number, 0, false};
  if (s.watchArmed) {
    s.watched = number;
    s.watchedRow = row;
    s.watchArmed = false;
  }
  return 0;
}

// A read armed by HOLD locks its record first (shared tables only: nobody
// else can reach an exclusive one), then reads it again under the lock.
int Hold(DbaseFileState& s, std::uint32_t number) {
  if (!s.holdArmed) return 0;
  s.holdArmed = false;
  s.ReleaseHold();
  if (!s.table->Shared()) {
    s.held = number;
    return 0;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(s.holdSeconds);
  for (;;) {
    const int code = s.table->Locks().Take(s.table->Os(), DbaseRecordLock(number));
    if (code == 0) {
      s.held = number;
      return 0;
    }
    if (code != kDbaseLockRefused || std::chrono::steady_clock::now() >= deadline)
      return code == kDbaseLockRefused ? Code(ErrorCode::RecordIsAlreadyHeld) : code;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

int ReadAt(File& file, DbaseFileState& s, std::uint32_t number, int outOfRange) {
  if (number == 0 || number > s.table->Records()) {
    if (const int code = s.table->RefreshRecords(); code != 0) return code;
    if (number == 0 || number > s.table->Records()) return outOfRange;
  }
  if (const int code = Hold(s, number); code != 0) return code;
  std::vector<std::uint8_t> row = s.BlankRow();
  if (const int code = s.table->ReadRow(number, row); code != 0) return code;
  return Deliver(file, s, number, row);
}

bool Skipped(const DbaseFileState& s, const std::vector<std::uint8_t>& row) {
  return row[0] == kDbaseDeleted && !s.options.ignoreStatus;
}

// The first record from the cursor on in `direction` (1 or -1) that a
// sequential read returns; 0 when there is none. Its row is left in `row`.
int Find(DbaseFileState& s, int direction, std::vector<std::uint8_t>& row, std::uint32_t& found) {
  DbaseTable& table = *s.table;
  if (const int code = table.RefreshRecords(); code != 0) return code;
  const std::int64_t records = table.Records();
  std::int64_t n = s.cursor.start != 0 ? s.cursor.start
                   : s.cursor.fromEdge ? (direction > 0 ? 1 : records)
                                       : std::int64_t{s.cursor.current} + direction;
  found = 0;
  for (; n >= 1 && n <= records; n += direction) {
    if (const int code = table.ReadRow(static_cast<std::uint32_t>(n), row); code != 0) return code;
    if (Skipped(s, row)) continue;
    found = static_cast<std::uint32_t>(n);
    return 0;
  }
  return 0;
}

int Step(File& file, DbaseFileState& s, int direction) {
  std::vector<std::uint8_t> row = s.BlankRow();
  std::uint32_t found = 0;
  if (const int code = Find(s, direction, row, found); code != 0) return code;
  if (found == 0) return Code(ErrorCode::RecordNotAvailable);
  if (s.holdArmed) {
    if (const int code = Hold(s, found); code != 0) return code;
    if (const int code = s.table->ReadRow(found, row); code != 0) return code;
  }
  return Deliver(file, s, found, row);
}

int Skip(DbaseFileState& s, std::int64_t count) {
  const int direction = count < 0 ? -1 : 1;
  std::vector<std::uint8_t> row = s.BlankRow();
  for (std::int64_t i = 0; i < (count < 0 ? -count : count); ++i) {
    std::uint32_t found = 0;
    if (const int code = Find(s, direction, row, found); code != 0) return code;
    if (found == 0) {  // past the edge: the next read in this direction finds nothing
      s.cursor = {direction > 0 ? s.table->Records() + 1 : 0, 0, false};
      return 0;
    }
    s.cursor = {found, 0, false};
  }
  return 0;
}

// EOF and BOF: no record a sequential read returns lies beyond the cursor.
int AtEnd(DbaseFileState& s, int direction, bool& atEnd) {
  std::vector<std::uint8_t> row = s.BlankRow();
  std::uint32_t found = 0;
  const int code = Find(s, direction, row, found);
  atEnd = found == 0;
  return code;
}

// ---- writing ---------------------------------------------------------------

// The record buffer laid over `row`; `row` is unchanged on failure.
int Compose(File& file, DbaseFileState& s, std::vector<std::uint8_t>& row) {
  std::vector<std::uint8_t> composed = row;
  const int code = WriteDbaseRow(file.Record().Layout(), s.table->Columns(), s.bindings, file.Record().Bytes(),
                                 composed, file.Declaration().Has(kFileOem));
  if (code < 0) return code;
  row = std::move(composed);
  return code;
}

int Add(File& file, DbaseFileState& s) {
  if (s.table->ReadOnly()) return kReadOnly;
  std::vector<std::uint8_t> row = s.BlankRow();
  const int status = Compose(file, s, row);
  if (status < 0) return status;
  std::uint32_t number = 0;
  if (const int code = s.table->AppendRow(row, number); code != 0) return code;
  s.ReleaseHold();
  s.row = std::move(row);
  s.haveRow = true;
  s.cursor = {number, 0, false};
  return status;
}

int Rewrite(File& file, DbaseFileState& s, std::uint32_t number, bool fromBuffer, int outOfRange) {
  DbaseTable& table = *s.table;
  if (table.ReadOnly()) return kReadOnly;
  if (number == 0 || number > table.Records()) {
    if (const int code = table.RefreshRecords(); code != 0) return code;
    if (number == 0 || number > table.Records()) return outOfRange;
  }
  std::vector<std::uint8_t> row = s.BlankRow();
  if (const int code = table.ReadRow(number, row); code != 0) return code;
  if (s.watched == number && s.watched != 0) {
    const bool changed = row != s.watchedRow;
    s.watched = 0;
    if (changed) return Code(ErrorCode::RecordChangedByAnotherStation);
  }
  int status = 0;
  if (fromBuffer) {
    status = Compose(file, s, row);
    if (status < 0) return status;
  }
  if (const int code = table.WriteRow(number, row); code != 0) return code;
  s.row = std::move(row);
  s.haveRow = true;
  s.cursor = {number, 0, false};
  return status;
}

int MarkCurrent(DbaseFileState& s, std::uint8_t flag) {
  DbaseTable& table = *s.table;
  if (table.ReadOnly()) return kReadOnly;
  const std::uint32_t number = s.cursor.current;
  if (!s.haveRow || number == 0 || number > table.Records()) return kOutOfRange;
  std::vector<std::uint8_t> row = s.BlankRow();
  if (const int code = table.ReadRow(number, row); code != 0) return code;
  row[0] = flag;
  if (const int code = table.WriteRow(number, row); code != 0) return code;
  s.row = std::move(row);
  return 0;
}

// ---- whole files -------------------------------------------------------------

int Pack(File& file, DbaseFileState& s) {
  DbaseTable& table = *s.table;
  if (table.ReadOnly()) return kReadOnly;
  if (const int code = table.Flush(); code != 0) return code;
  if (table.Shared() && !s.fileLocked)
    if (const int code = table.Locks().Take(table.Os(), kDbaseFileLock); code != 0) return code;
  const std::string path = s.path;
  const std::string temporary = DbaseTemporaryName(path);
  if (temporary.empty()) return -246;
  if (const int code = CreateDbaseFile(temporary, table.Columns(), table.Header().productionIndex); code != 0)
    return code;
  FileSystem& fs = CurrentFileSystem();
  {
    DbaseOpenResult packed = DbaseTable::Open(temporary, AccessMode{0x22}, 0);
    int code = packed.code;
    if (code == 0) {
      if (const int refreshed = table.RefreshRecords(); refreshed != 0) code = refreshed;
      std::vector<std::uint8_t> row = s.BlankRow();
      for (std::uint32_t n = 1; code == 0 && n <= table.Records(); ++n) {
        code = table.ReadRow(n, row);
        std::uint32_t number = 0;
        if (code == 0 && row[0] == kDbasePresent) code = packed.table->AppendRow(row, number);
      }
      if (const int closed = packed.table->Close(); code == 0) code = closed;
    }
    if (code != 0) {
      (void)fs.Remove(temporary);
      return code;
    }
  }
  if (const int code = table.Close(); code != 0) return code;
  const std::string backup = DbaseCompanionName(path, ".BAK");
  (void)fs.Remove(backup);
  if (Failed(fs.Rename(path, backup))) {
    (void)fs.Remove(temporary);
    (void)Reopen(file, s, path);
    return -201;
  }
  if (Failed(fs.Rename(temporary, path))) {
    (void)fs.Rename(backup, path);
    (void)Reopen(file, s, path);
    return -201;
  }
  return Reopen(file, s, path);
}

int Empty(File& file, DbaseFileState& s) {
  DbaseTable& table = *s.table;
  if (table.ReadOnly()) return kReadOnly;
  const std::vector<DbaseColumn> columns = table.Columns();
  const std::uint8_t productionIndex = table.Header().productionIndex;
  const std::string path = s.path;
  if (const int code = table.Close(); code != 0) return code;
  const int made = CreateDbaseFile(path, columns, productionIndex);
  const int reopened = Reopen(file, s, path);
  return made != 0 ? made : reopened;
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
  const bool hasMemo = DbaseFileExists(memo);
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

int Perform(Op op, File& file, const OperationArguments& arguments, OperationAnswer& answer) {
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
  DbaseTable& table = *s.table;

  switch (op) {
    case Op::CLOSE: return CloseTable(file, s);
    case Op::NAME: answer.text = FullName(s.path); return 0;
    case Op::ADD:
    case Op::APPEND: return Add(file, s);
    case Op::PUT:
      if (!s.haveRow) return kOutOfRange;
      {
        const int code = Rewrite(file, s, s.cursor.current, true, kOutOfRange);
        if (code >= 0) s.ReleaseHold();
        return code;
      }
    case Op::PUTfileptr: {
      if (arguments.pointer > UINT32_MAX) return kOutOfRange;
      const int code = Rewrite(file, s, static_cast<std::uint32_t>(arguments.pointer), true, kOutOfRange);
      if (code >= 0) s.ReleaseHold();
      return code;
    }
    case Op::DELETE: return MarkCurrent(s, kDbaseDeleted);
    case Op::NEXT: return Step(file, s, 1);
    case Op::PREVIOUS: return Step(file, s, -1);
    case Op::GETfileptr:
      if (arguments.pointer > UINT32_MAX) return Code(ErrorCode::RecordNotFound);
      return ReadAt(file, s, static_cast<std::uint32_t>(arguments.pointer), Code(ErrorCode::RecordNotFound));
    case Op::REGETfile: {
      const std::optional<std::uint32_t> number = ParseCount(arguments.position);
      if (!number) return Code(ErrorCode::RecordNotFound);
      return ReadAt(file, s, *number, Code(ErrorCode::RecordNotFound));
    }
    case Op::SETfile: s.cursor = {}; return table.Flush();
    case Op::SETfileptr:
      if (arguments.pointer == 0 || arguments.pointer > UINT32_MAX) s.cursor = {};
      else s.cursor = {s.cursor.current, static_cast<std::uint32_t>(arguments.pointer), false};
      return table.Flush();
    case Op::RESETfile: {
      const std::optional<std::uint32_t> number = ParseCount(arguments.position);
      if (!number || *number == 0) return Code(ErrorCode::RecordNotFound);
      s.cursor = {s.cursor.current, *number, false};
      return table.Flush();
    }
    case Op::SKIP: return Skip(s, arguments.count);
    case Op::Eof:
    case Op::BOF: return AtEnd(s, op == Op::Eof ? 1 : -1, answer.flag);
    case Op::POINTERfile: answer.number = s.cursor.current; return 0;
    case Op::POSITIONfile: answer.position = PositionText(s.cursor.current); return 0;
    case Op::RECORDSfile: {
      const int code = table.RefreshRecords();
      answer.number = table.Records();
      return code;
    }
    case Op::BYTES: answer.number = table.Header().recordLength; return 0;
    case Op::DUPLICATE: answer.flag = false; return 0;  // no unique keys
    case Op::BUILDfile:
    case Op::NOMEMO: return 0;
    case Op::EMPTY: return Empty(file, s);
    case Op::PACK: return Pack(file, s);
    case Op::FLUSH: {
      const int code = table.Flush();
      table.SetStreaming(false);
      return code;
    }
    case Op::STREAM: table.SetStreaming(true); return 0;
    case Op::HOLDfile:
    case Op::HOLDfilesec:
      s.holdArmed = true;
      s.holdSeconds = op == Op::HOLDfilesec ? std::max(0, arguments.seconds) : 0;
      return 0;
    case Op::RELEASE: s.ReleaseHold(); return 0;
    case Op::WATCH: s.watchArmed = true; return 0;
    case Op::LOCKfile:
    case Op::LOCKfilesec: {
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
    case Op::UNLOCK:
      if (table.Shared()) table.Locks().Release(table.Os(), kDbaseFileLock);
      s.fileLocked = false;
      return 0;
    case Op::SEND:
    case Op::GET_PROPERTY:
    case Op::SET_PROPERTY: {
      OptionAnswer option = ApplyOption(file, s.options, &s, arguments.text);
      answer.text = std::move(option.text);
      return option.code;
    }
    case Op::GETSTATE:
      s.saved[++s.lastSaved] = {s.cursor, s.row, s.haveRow, file.State()};
      answer.number = s.lastSaved;
      return 0;
    case Op::RESTORESTATE: {
      const auto found = s.saved.find(arguments.state);
      if (found == s.saved.end()) return Code(ErrorCode::RecordNotFound);
      s.cursor = found->second.cursor;
      if (found->second.row.size() == s.row.size()) s.row = found->second.row;
      s.haveRow = found->second.haveRow;
      answer.restoredFlags = found->second.flags;
      return 0;
    }
    case Op::FREESTATE: s.saved.erase(arguments.state); return 0;
    default: return Code(ErrorCode::UnsupportedFileDriverFunction);
  }
}

}  // namespace

std::span<const FileOperation> DbaseDriver::Operations() const { return kOperations; }

ErrorCode DbaseDriver::Perform(FileOperation op, File& file, const OperationArguments& arguments,
                                OperationAnswer& answer) {
  return ErrorCode{zelvo::Perform(op, file, arguments, answer)};
}


}  // namespace zelvo
