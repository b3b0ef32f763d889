#include "storage/ascii/ascii_driver.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "storage/ascii/internal/ascii_file_state.h"
#include "storage/driver_options.h"
#include "storage/file_copy.h"
#include "storage/file_sharing.h"

namespace zelvo {
namespace {

using Op = FileOperation;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kCtrlZ = 26;
constexpr std::uint8_t kTab = 9;
constexpr ByteRange kWholeFile{0, kSharingBytes};  // every data byte, however far the file grows

constexpr FileOperation kOperations[] = {
    Op::ADD,          Op::ADDfilelen,   Op::APPEND,        Op::APPENDlen,   Op::BYTES,
    Op::Eof,          Op::CLOSE,        Op::COPY,          Op::CREATE,      Op::EMPTY,
    Op::FLUSH,        Op::GETfileptr,   Op::GETfileptrlen, Op::GET_PROPERTY, Op::LOCKfile,
    Op::LOCKfilesec,  Op::NAME,         Op::NEXT,          Op::OPEN,        Op::POINTERfile,
    Op::POSITIONfile, Op::PUT,          Op::PUTfileptr,    Op::PUTfileptrlen, Op::REGETfile,
    Op::REMOVE,       Op::RENAME,       Op::RESETfile,     Op::SEND,        Op::SETfile,
    Op::SETfileptr,   Op::SET_PROPERTY, Op::SHARE,         Op::UNLOCK,      Op::GETSTATE,
    Op::RESTORESTATE, Op::FREESTATE,
};

// A missing file named by the program is "File Not Found" (2) and a missing
// folder "Path Not Found" (3), the codes the table managers test; every other
// system failure keeps its system code.
ErrorCode NameFailure(ErrorCode code) {
  if (code == FromSystemError(ENOENT)) return ErrorCode::FileNotFound;
  if (code == FromSystemError(ENOTDIR)) return ErrorCode::PathNotFound;
  return code;
}

bool IsOff(std::string_view value) { return SameWord(value, "OFF"); }
const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

std::optional<long> ParseNumber(std::string_view text) {
  long value = 0;
  const char* end = text.data() + text.size();
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || text.empty()) return std::nullopt;
  return value;
}

// "n,b1,...,bn": exactly n byte values, n at least 1.
std::optional<Bytes> ParseEndOfRecord(std::string_view text) {
  std::vector<long> numbers;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    std::string_view part = text.substr(start, comma == std::string_view::npos ? comma : comma - start);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    const std::optional<long> number = ParseNumber(part);
    if (!number) return std::nullopt;
    numbers.push_back(*number);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (numbers.front() < 1 || numbers.size() != static_cast<std::size_t>(numbers.front()) + 1)
    return std::nullopt;
  Bytes sequence;
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    if (numbers[i] < 0 || numbers[i] > 255) return std::nullopt;
    sequence.push_back(static_cast<std::uint8_t>(numbers[i]));
  }
  return sequence;
}

// Applies one option word and answers its current value.
std::string ApplyOption(AsciiOptions& options, std::string_view text) {
  const DriverOption option = ParseOption(text);
  const std::string_view word = option.word;
  auto toggle = [&](bool& flag) {
    if (option.hasValue) flag = !IsOff(option.value);
    return std::string(OnOff(flag));
  };
  if (SameWord(word, "CLIP")) return toggle(options.clip);
  if (SameWord(word, "CTRLZISEOF")) return toggle(options.ctrlZIsEof);
  if (SameWord(word, "QUICKSCAN")) return toggle(options.quickScan);
  if (SameWord(word, "ENDOFRECORD")) {
    if (option.hasValue)
      if (std::optional<Bytes> sequence = ParseEndOfRecord(option.value)) options.endOfRecord = *sequence;
    return std::to_string(options.endOfRecord.size());
  }
  if (SameWord(word, "FILEBUFFERS")) {
    if (option.hasValue)
      if (std::optional<long> n = ParseNumber(option.value); n && *n >= 1 && *n <= 1 << 16)
        options.bufferSize = std::max<std::size_t>(static_cast<std::size_t>(*n) * 512, options.minimumBuffer);
    return std::to_string(options.bufferSize);
  }
  if (SameWord(word, "TAB")) {
    if (option.hasValue)
      if (std::optional<long> n = ParseNumber(option.value); n && *n >= -1000 && *n <= 1000)
        options.tab = static_cast<int>(*n);
    return std::to_string(options.tab);
  }
  return {};
}

// The options of the DRIVER attribute. The commas of an ENDOFRECORD value cut
// it into pieces there; the number pieces that follow it are joined back.
void ApplyDriverOptions(AsciiOptions& options, std::string_view text) {
  std::vector<std::string> pieces = SplitDriverOptions(text);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    std::string option = pieces[i];
    if (SameWord(ParseOption(option).word, "ENDOFRECORD"))
      while (i + 1 < pieces.size() && ParseNumber(pieces[i + 1])) option += "," + pieces[++i];
    (void)ApplyOption(options, option);
  }
}

std::string PositionText(std::uint64_t offset) {
  std::string digits = std::to_string(offset + 1);
  return std::string(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits;
}

std::optional<std::uint64_t> PositionOffset(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::uint64_t pointer = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), pointer);
  if (error != std::errc{} || stop != text.data() + text.size() || pointer == 0) return std::nullopt;
  return pointer - 1;
}

// ---- reading --------------------------------------------------------------

bool EndOfRecordAt(AsciiFileState& s, std::uint64_t offset) {
  const Bytes& eor = s.options.endOfRecord;
  for (std::size_t i = 0; i < eor.size(); ++i)
    if (s.ByteAt(offset + i) != eor[i]) return false;
  return true;
}

bool AtEndOfData(AsciiFileState& s, std::uint64_t offset) {
  const int byte = s.ByteAt(offset);
  return byte == AsciiFileState::kEnd || (byte == kCtrlZ && s.options.ctrlZIsEof);
}

struct LineRead {
  ErrorCode code = ErrorCode::Ok;
  std::uint64_t bytes = 0;  // the line in the file, end-of-record sequence included
};

// Reads the line at `offset` into `record` (at most `limit` bytes of it);
// 33 when there is no line there; `record` is untouched unless the read works.
LineRead ReadLine(AsciiFileState& s, std::uint64_t offset, std::span<std::uint8_t> record,
                  std::size_t limit) {
  s.failure = ErrorCode::Ok;
  if (!s.options.quickScan) s.Invalidate();
  if (AtEndOfData(s, offset)) return {Failed(s.failure) ? s.failure : ErrorCode::RecordNotAvailable, 0};
  const std::size_t room = std::min(limit, record.size());
  Bytes line;
  line.reserve(room);
  std::uint64_t p = offset;
  auto add = [&](std::uint8_t byte, std::size_t times) {
    while (times-- > 0 && line.size() < room) line.push_back(byte);
  };
  for (;;) {
    const int byte = s.ByteAt(p);
    if (byte == AsciiFileState::kEnd) break;
    if (EndOfRecordAt(s, p)) {
      p += s.options.endOfRecord.size();
      break;
    }
    if (byte == kCtrlZ && s.options.ctrlZIsEof) break;
    if (line.size() < room) {
      if (byte == kTab) {
        const int tab = s.options.tab;
        if (tab == -100) add(kTab, 1);
        else if (tab < 0) add(' ', static_cast<std::size_t>(-tab));
        else if (tab > 0) add(' ', static_cast<std::size_t>(tab) - line.size() % static_cast<std::size_t>(tab));
      } else {
        line.push_back(static_cast<std::uint8_t>(byte));
      }
    }
    ++p;  // once the buffer is full the rest of the line is skipped
  }
  if (Failed(s.failure)) return {s.failure, 0};
  std::fill(std::copy(line.begin(), line.end(), record.begin()), record.end(), std::uint8_t{' '});
  return {ErrorCode::Ok, p - offset};
}

ErrorCode ReadInto(AsciiFileState& s, File& file, std::uint64_t offset, std::size_t limit,
                   ErrorCode noLine) {
  const LineRead read = ReadLine(s, offset, file.Record().Bytes(), limit);
  if (read.code == ErrorCode::RecordNotAvailable) return noLine;
  if (Failed(read.code)) return read.code;
  s.at = {offset + read.bytes, offset, read.bytes};
  return ErrorCode::Ok;
}

// The length of the line at `offset` without reading it into a record.
LineRead MeasureLine(AsciiFileState& s, std::uint64_t offset) {
  Bytes none;
  return ReadLine(s, offset, none, 0);
}

// ---- writing --------------------------------------------------------------

// The record's bytes as the file stores them: `length` leading bytes, clipped.
Bytes RecordLine(const AsciiFileState& s, const File& file, std::size_t length) {
  const std::span<const std::uint8_t> record = file.Record().Bytes();
  std::size_t n = std::min(length, record.size());
  if (s.options.clip)
    while (n > 0 && record[n - 1] == ' ') --n;
  Bytes line(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(n));
  line.insert(line.end(), s.options.endOfRecord.begin(), s.options.endOfRecord.end());
  return line;
}

ErrorCode CheckWritable(AsciiFileState& s) {
  if (s.readOnly) return ErrorCode::AccessDenied;
  if (s.shared && !s.locked && s.os->IsLockedByOthers(kWholeFile, LockKind::Exclusive))
    return ErrorCode::AccessDenied;
  return ErrorCode::Ok;
}

ErrorCode Append(AsciiFileState& s, File& file, std::size_t length) {
  if (const ErrorCode refused = CheckWritable(s); Failed(refused)) return refused;
  const SizeResult size = s.os->Size();
  if (Failed(size.code)) return size.code;
  std::uint64_t at = size.size;
  bool overwritesCtrlZ = false;
  int lastByte = -1;
  if (at > 0) {
    std::uint8_t last = 0;
    const ReadResult read = s.os->ReadAt(at - 1, {&last, 1});
    if (read.code == ErrorCode::Ok && read.bytes == 1) lastByte = last;
    if (!s.appendedSinceOpen && lastByte == kCtrlZ && s.options.ctrlZIsEof) {
      overwritesCtrlZ = true;
      --at;
    }
  }
  Bytes data = RecordLine(s, file, length);
  // A last line without its end-of-record sequence is ended first (a Ctrl-Z
  // kept at the end is an end mark, not a line).
  if (at > 0 && !(at == size.size && lastByte == kCtrlZ)) {
    const Bytes& eor = s.options.endOfRecord;
    Bytes tail(std::min<std::uint64_t>(eor.size(), at));
    const ReadResult read = s.os->ReadAt(at - tail.size(), tail);
    if (read.code == ErrorCode::Ok && read.bytes == tail.size() &&
        !(tail.size() == eor.size() && std::equal(tail.begin(), tail.end(), eor.begin())))
      data.insert(data.begin(), eor.begin(), eor.end());
  }
  s.Invalidate();
  const ErrorCode written = s.os->WriteAt(at, data);
  if (Failed(written)) {
    // Back to the file as it was: its old end, and the Ctrl-Z in its place.
    if (overwritesCtrlZ) (void)s.os->WriteAt(at, Bytes{kCtrlZ});
    (void)s.os->Truncate(size.size);
    return written;
  }
  s.appendedSinceOpen = true;
  const std::uint64_t recordBytes = RecordLine(s, file, length).size();
  s.at.current = at + data.size() - recordBytes;
  s.at.currentBytes = recordBytes;
  return ErrorCode::Ok;
}

// Rewrites the line at `offset`, `oldBytes` long, with the record.
ErrorCode Rewrite(AsciiFileState& s, File& file, std::uint64_t offset, std::uint64_t oldBytes,
                  std::size_t length, OperationAnswer& answer) {
  if (const ErrorCode refused = CheckWritable(s); Failed(refused)) return refused;
  const SizeResult size = s.os->Size();
  if (Failed(size.code)) return size.code;
  Bytes data = RecordLine(s, file, length);
  const bool lastLine = offset + oldBytes >= size.size;
  if (data.size() > oldBytes && !lastLine) {
    answer.fileErrorText = "The record is longer than the line it replaces";
    return ErrorCode::FileSystemError;
  }
  if (data.size() < oldBytes)  // blanks keep the next line where it is
    data.insert(data.end() - static_cast<std::ptrdiff_t>(s.options.endOfRecord.size()),
                oldBytes - data.size(), std::uint8_t{' '});
  Bytes before(std::min<std::uint64_t>(data.size(), size.size - std::min(offset, size.size)));
  const ReadResult saved = s.os->ReadAt(offset, before);
  if (Failed(saved.code)) return saved.code;
  before.resize(saved.bytes);
  s.Invalidate();
  const ErrorCode written = s.os->WriteAt(offset, data);
  if (Failed(written)) {
    (void)s.os->WriteAt(offset, before);
    (void)s.os->Truncate(size.size);
    return written;
  }
  // A last line that grew still ends where the next read starts.
  if (s.at.next == offset + oldBytes) s.at.next = offset + data.size();
  s.at.current = offset;
  s.at.currentBytes = data.size();
  return ErrorCode::Ok;
}

ErrorCode PutAtPointer(AsciiFileState& s, File& file, std::uint64_t pointer, std::size_t length,
                       OperationAnswer& answer) {
  const SizeResult size = s.os->Size();
  if (Failed(size.code)) return size.code;
  if (pointer == 0 || pointer - 1 >= size.size) return ErrorCode::RecordNotFound;
  const LineRead line = MeasureLine(s, pointer - 1);
  if (Failed(line.code) && line.code != ErrorCode::RecordNotAvailable) return line.code;
  return Rewrite(s, file, pointer - 1, line.bytes, length, answer);
}

// ---- files by name ----------------------------------------------------------

// ---- open and close ---------------------------------------------------------

ErrorCode Open(File& file, AccessMode mode) {
  if (file.Name().empty()) return ErrorCode::InvalidFilename;
  OpenResult opened = CurrentFileSystem().Open(
      file.Name(), {.read = mode.AllowsReading(), .write = mode.AllowsWriting()});
  if (Failed(opened.code)) return NameFailure(opened.code);
  const Sharing sharing = mode.SharingPart();
  // Compatibility mode shares the text file like deny none.
  const ErrorCode claimed = ClaimSharing(
      *opened.file, {.reads = mode.AllowsReading(), .writes = mode.AllowsWriting(),
                     .deniesRead = sharing == Sharing::DenyRead || sharing == Sharing::DenyAll,
                     .deniesWrite = sharing == Sharing::DenyWrite || sharing == Sharing::DenyAll});
  if (Failed(claimed)) return claimed;
  auto state = std::make_unique<AsciiFileState>();
  state->os = std::move(opened.file);
  AsciiOptions& options = state->options;
  const std::size_t recordSize = file.Record().Size();
  options.minimumBuffer = std::max<std::size_t>(2 * recordSize, 1);
  options.bufferSize = std::max<std::size_t>(
      sharing == Sharing::DenyWrite || sharing == Sharing::DenyAll ? 1024 : 512, options.minimumBuffer);
  options.quickScan = sharing == Sharing::DenyWrite || sharing == Sharing::DenyAll ||
                      sharing == Sharing::DenyRead;
  ApplyDriverOptions(options, file.Declaration().driverOptions);
  state->readOnly = mode.AccessPart() == Access::ReadOnly;
  state->shared = mode.IsShared();
  file.SetDriverState(std::move(state));
  return ErrorCode::Ok;
}

ErrorCode Close(File& file, AsciiFileState& s) {
  if (s.locked) (void)s.os->Unlock(kWholeFile);
  const ErrorCode closed = s.os->Close();
  file.SetDriverState(nullptr);
  return closed;
}

ErrorCode ByName(Op op, File& file, const OperationArguments& arguments) {
  FileSystem& fs = CurrentFileSystem();
  if (file.Name().empty()) return ErrorCode::InvalidFilename;
  switch (op) {
    case Op::CREATE: {
      if (!file.Declaration().Has(kFileCreate)) return ErrorCode::NoCreateAttribute;
      OpenResult made = fs.Open(file.Name(), {.read = false, .write = true, .create = true, .truncate = true});
      if (Failed(made.code)) return made.code;
      return made.file->Close();
    }
    case Op::REMOVE: return NameFailure(fs.Remove(file.Name()));
    case Op::RENAME:
      if (arguments.text.empty()) return ErrorCode::InvalidFilename;
      return NameFailure(fs.Rename(file.Name(), arguments.text));
    case Op::COPY: {
      const CopyResult copied = CopyWholeFile(file.Name(), arguments.text);
      return copied.atSource ? NameFailure(copied.code) : copied.code;
    }
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

std::string FullName(const std::string& name) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(name, error);
  return error ? name : full.lexically_normal().string();
}

}  // namespace

int AsciiFileState::ByteAt(std::uint64_t offset) {
  if (offset < bufferStart_ || offset >= bufferStart_ + bufferBytes_) {
    buffer_.resize(std::max<std::size_t>(options.bufferSize, 1));
    const ReadResult read = os->ReadAt(offset, buffer_);
    bufferStart_ = offset;
    bufferBytes_ = Failed(read.code) ? 0 : read.bytes;
    if (Failed(read.code)) failure = read.code;
    if (bufferBytes_ == 0) return kEnd;
  }
  return buffer_[offset - bufferStart_];
}

std::span<const FileOperation> AsciiDriver::Operations() const { return kOperations; }

ErrorCode AsciiDriver::Perform(FileOperation op, File& file, const OperationArguments& arguments,
                                   OperationAnswer& answer) {
  if (op == Op::OPEN || op == Op::SHARE) return Open(file, file.Mode());
  if (op == Op::CREATE || op == Op::REMOVE || op == Op::RENAME || op == Op::COPY)
    return ByName(op, file, arguments);
  if (op == Op::NAME) {
    answer.text = FullName(file.Name());
    return ErrorCode::Ok;
  }
  AsciiFileState* state = file.DriverState<AsciiFileState>();
  if (!state) return ErrorCode::FileNotOpen;
  AsciiFileState& s = *state;
  const std::size_t recordSize = file.Record().Size();

  switch (op) {
    case Op::CLOSE: return Close(file, s);
    case Op::ADD:
    case Op::APPEND: return Append(s, file, recordSize);
    case Op::ADDfilelen:
    case Op::APPENDlen: return Append(s, file, arguments.length);
    case Op::PUT: return Rewrite(s, file, s.at.current, s.at.currentBytes, recordSize, answer);
    case Op::PUTfileptr: return PutAtPointer(s, file, arguments.pointer, recordSize, answer);
    case Op::PUTfileptrlen: return PutAtPointer(s, file, arguments.pointer, arguments.length, answer);
    case Op::NEXT: return ReadInto(s, file, s.at.next, recordSize, ErrorCode::RecordNotAvailable);
    case Op::GETfileptr:
    case Op::GETfileptrlen: {
      if (arguments.pointer == 0) return ErrorCode::RecordNotFound;
      const std::size_t limit = op == Op::GETfileptr ? recordSize : arguments.length;
      return ReadInto(s, file, arguments.pointer - 1, limit, ErrorCode::RecordNotFound);
    }
    case Op::REGETfile: {
      const std::optional<std::uint64_t> offset = PositionOffset(arguments.position);
      if (!offset) return ErrorCode::RecordNotFound;
      return ReadInto(s, file, *offset, recordSize, ErrorCode::RecordNotFound);
    }
    case Op::SETfile: s.at.next = 0; return ErrorCode::Ok;
    case Op::SETfileptr: s.at.next = arguments.pointer == 0 ? 0 : arguments.pointer - 1; return ErrorCode::Ok;
    case Op::RESETfile: {
      const std::optional<std::uint64_t> offset = PositionOffset(arguments.position);
      if (!offset) return ErrorCode::RecordNotFound;
      s.at.next = *offset;
      return ErrorCode::Ok;
    }
    case Op::POINTERfile: answer.number = s.at.current + 1; return ErrorCode::Ok;
    case Op::POSITIONfile: answer.position = PositionText(s.at.current); return ErrorCode::Ok;
    case Op::BYTES: answer.number = s.at.currentBytes; return ErrorCode::Ok;
    case Op::Eof: {
      s.failure = ErrorCode::Ok;
      if (!s.options.quickScan) s.Invalidate();
      answer.flag = AtEndOfData(s, s.at.next);
      return s.failure;
    }
    case Op::EMPTY: {
      if (const ErrorCode refused = CheckWritable(s); Failed(refused)) return refused;
      s.Invalidate();
      s.at = {};
      return s.os->Truncate(0);
    }
    case Op::FLUSH: return s.os->Sync();
    case Op::LOCKfile:
    case Op::LOCKfilesec: {
      const ErrorCode locked = s.os->Lock(kWholeFile, LockKind::Exclusive, LockWait::Try);
      if (locked == FromSystemError(EAGAIN)) return ErrorCode::FileIsAlreadyLocked;
      if (Failed(locked)) return locked;
      s.locked = true;
      return ErrorCode::Ok;
    }
    case Op::UNLOCK: {
      const ErrorCode unlocked = s.os->Unlock(kWholeFile);
      if (!Failed(unlocked)) s.locked = false;
      return unlocked;
    }
    case Op::SEND:
    case Op::GET_PROPERTY:
    case Op::SET_PROPERTY: answer.text = ApplyOption(s.options, arguments.text); return ErrorCode::Ok;
    case Op::GETSTATE:
      s.saved[++s.lastSaved] = {s.at, file.State()};
      answer.number = s.lastSaved;
      return ErrorCode::Ok;
    case Op::RESTORESTATE: {
      const auto found = s.saved.find(arguments.state);
      if (found == s.saved.end()) return ErrorCode::RecordNotFound;
      s.at = found->second.at;
      answer.restoredFlags = found->second.flags;
      return ErrorCode::Ok;
    }
    case Op::FREESTATE: s.saved.erase(arguments.state); return ErrorCode::Ok;
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}


}  // namespace zelvo
