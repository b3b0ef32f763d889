// The dBase driver's reading and positioning: records in physical order, a
// record marked deleted passed over unless IGNORESTATUS is on.
#include <algorithm>

#include "storage/dbase/internal/dbase_file_state.h"
#include "storage/retry_wait.h"

namespace zelvo::dbase {
namespace {

using Op = FileOperation;

std::string PositionText(std::uint32_t record) {
  std::string digits = std::to_string(record);
  return std::string(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits;
}

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
  int code = 0;
  (void)RetryUntil(std::chrono::seconds(s.holdSeconds), std::chrono::milliseconds(50), [&] {
    code = s.table->Locks().Take(s.table->Os(), DbaseRecordLock(number));
    return code != kDbaseLockRefused;
  });
  if (code == 0) s.held = number;
  return code == kDbaseLockRefused ? Code(ErrorCode::RecordIsAlreadyHeld) : code;
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

}  // namespace

int PerformReading(Op op, File& file, DbaseFileState& s, const OperationArguments& arguments,
                   OperationAnswer& answer) {
  DbaseTable& table = *s.table;
  switch (op) {
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
    default: return Code(ErrorCode::UnsupportedFileDriverFunction);
  }
}

}  // namespace zelvo::dbase
