// The dBase driver's changes: records added, rewritten and marked deleted in
// place, the whole table packed or emptied, and the buffering of writes.
#include "storage/dbase/internal/dbase_file.h"
#include "storage/dbase/internal/dbase_file_state.h"

namespace zelvo::dbase {
namespace {

using Op = FileOperation;

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

}  // namespace

int PerformChange(Op op, File& file, DbaseFileState& s, const OperationArguments& arguments) {
  DbaseTable& table = *s.table;
  switch (op) {
    case Op::ADD:
    case Op::APPEND: return Add(file, s);
    case Op::PUT:
    case Op::PUTfileptr: {
      const bool byPointer = op == Op::PUTfileptr;
      if (byPointer ? arguments.pointer > UINT32_MAX : !s.haveRow) return kOutOfRange;
      const std::uint32_t number = byPointer ? static_cast<std::uint32_t>(arguments.pointer) : s.cursor.current;
      const int code = Rewrite(file, s, number, true, kOutOfRange);
      if (code >= 0) s.ReleaseHold();
      return code;
    }
    case Op::DELETE: return MarkCurrent(s, kDbaseDeleted);
    case Op::EMPTY: return Empty(file, s);
    case Op::PACK: return Pack(file, s);
    case Op::FLUSH: {
      const int code = table.Flush();
      table.SetStreaming(false);
      return code;
    }
    case Op::STREAM: table.SetStreaming(true); return 0;
    default: return Code(ErrorCode::UnsupportedFileDriverFunction);
  }
}

}  // namespace zelvo::dbase
