// Reading and positioning in the indexed record file driver: record order
// (the data records of the table by increasing number) and key order.
#include <algorithm>

#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_key_duplicate.h"
#include "storage/vxr/internal/vxr_key_position.h"
#include "storage/vxr/internal/vxr_key_value.h"
#include "storage/vxr/internal/vxr_oem_text.h"
#include "storage/vxr/internal/vxr_record_key.h"
#include "storage/vxr/internal/vxr_table_state.h"

namespace zelvo::vxr {
namespace {

using Op = FileOperation;
using At = VxrReadPosition::At;

std::string DataPrefix(std::uint32_t table) { return TablePrefix(table) + static_cast<char>(kVxrDataRecordMark); }

// The number of a data record of `table`; nullopt for a record of anything
// else. A key under the data records' prefix that is no data record's is damage.
struct DataRecordNumber {
  VxrStatus status;
  std::optional<std::uint32_t> number;
};
DataRecordNumber RecordNumberOf(const std::string& key, std::uint32_t table) {
  const std::string prefix = DataPrefix(table);
  if (key.compare(0, prefix.size(), prefix) != 0) return {};
  if (key.size() != prefix.size() + 4) return {VxrStatus::Corrupt(kVxrRecordForm), std::nullopt};
  return {{}, ReadBigEndian32(key, prefix.size())};
}

std::optional<std::uint32_t> ToRecordNumber(std::uint64_t pointer) {
  if (pointer > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(pointer);
}

// Makes a record found the current one. A hold armed takes the record's lock
// first: refused, the read answers 43 and nothing moves.
ErrorCode IntoBuffer(File& file, VxrFileState& s, std::uint32_t number, const std::string& stored,
                     OperationAnswer& answer) {
  // Only OEM text needs an image of its own; any other record goes to the
  // buffer as stored.
  const bool oem = file.Declaration().Has(kFileOem);
  const std::optional<Bytes> image = oem ? BufferImage(file, s, stored) : std::nullopt;
  if (oem ? !image : stored.size() != s.recordSize) return Answer(VxrStatus::Corrupt(kVxrRecordForm), answer);
  if ((file.State() & kHoldArmed) != 0) {
    if (!s.open->station->TryLock(number)) return ErrorCode::RecordIsAlreadyHeld;
    std::erase(s.open->lockedUntilWritten, number);  // held now, not let go with a write
    s.held = number;
  }
  if ((file.State() & kWatchArmed) != 0) s.watched = stored;
  auto buffer = file.Record().Bytes();
  const std::string_view bytes = oem ? AsText(*image) : std::string_view(stored);
  std::copy_n(bytes.begin(), std::min(bytes.size(), buffer.size()), buffer.begin());
  s.current = number;
  s.cursor = number;
  s.at = At::Record;
  return ErrorCode::Ok;
}

ErrorCode ReadNumber(File& file, VxrFileState& s, std::uint32_t number, OperationAnswer& answer) {
  const VxrLookup found = s.open->tree->Find(VxrDataRecordKey(s.table, number));
  if (found.status.code == ErrorCode::RecordNotFound) return ErrorCode::RecordNotFound;
  if (!found.Found()) return Answer(found.status, answer);
  return IntoBuffer(file, s, number, found.record.data, answer);
}

// The record a key entry of the file names; an entry whose record is not
// there is damage. (A dynamic key's entry may outlive its record: 35.)
ErrorCode ReadEntry(File& file, VxrFileState& s, const VxrKey& key, std::uint32_t number,
                    OperationAnswer& answer) {
  const ErrorCode read = ReadNumber(file, s, number, answer);
  if (read != ErrorCode::RecordNotFound || key.Has(kVxrKeyDynamic)) return read;
  return Answer(VxrStatus::Corrupt(kVxrLostRecord), answer);
}

// The data record next to where record-order reading stands, without moving;
// 33 past either end of the table.
struct Neighbour {
  ErrorCode code = ErrorCode::Ok;
  std::uint32_t number = 0;
  std::string stored;
};
Neighbour NeighbourInRecordOrder(const VxrFileState& s, bool forward, OperationAnswer& answer) {
  VxrTree& tree = *s.open->tree;
  const std::string prefix = DataPrefix(s.table);
  VxrLookup found;
  switch (s.at) {
    case At::Start:
      found = forward ? tree.Next(prefix) : tree.Previous(prefix + std::string(5, '\xFF'));
      break;
    case At::Record:
      found = forward ? tree.Next(VxrDataRecordKey(s.table, s.cursor))
                      : tree.Previous(VxrDataRecordKey(s.table, s.cursor));
      break;
    case At::Kept:
      // The kept record itself first; just past its key part going back, so
      // that no number overflows.
      found = forward ? tree.LowerBound(VxrDataRecordKey(s.table, s.cursor))
                      : tree.Previous(VxrDataRecordKey(s.table, s.cursor) + '\0');
      break;
  }
  if (found.status.code == ErrorCode::RecordNotFound) return {ErrorCode::RecordNotAvailable, 0, {}};
  if (!found.Found()) return {Answer(found.status, answer), 0, {}};
  const DataRecordNumber number = RecordNumberOf(found.record.key, s.table);
  if (!number.status.Ok()) return {Answer(number.status, answer), 0, {}};
  if (!number.number) return {ErrorCode::RecordNotAvailable, 0, {}};  // past the table's data records
  return {ErrorCode::Ok, *number.number, std::move(found.record.data)};
}

KeyDirection DirectionOf(bool forward) { return forward ? KeyDirection::Next : KeyDirection::Previous; }

// NEXT and PREVIOUS in the current order.
ErrorCode Read(File& file, VxrFileState& s, bool forward, OperationAnswer& answer) {
  if (s.order) {
    const VxrKey& key = s.keys[*s.order];
    const VxrKeyPlace before = s.place;
    for (;;) {
      const VxrKeyHit hit = StepVxrKey(KeyRecords(s, *s.order), TableKeys(file, s), key, s.place, DirectionOf(forward));
      if (!hit.Found()) return Answer(hit.status, answer);
      const ErrorCode read = ReadEntry(file, s, key, hit.recordNumber, answer);
      // A record held elsewhere is read again from the same place.
      if (read == ErrorCode::RecordIsAlreadyHeld) s.place = before;
      // A dynamic key's entry may outlive its record: the walk goes past it.
      if (read != ErrorCode::RecordNotFound || !key.Has(kVxrKeyDynamic)) return read;
    }
  }
  Neighbour next = NeighbourInRecordOrder(s, forward, answer);
  if (Failed(next.code)) return next.code;
  return IntoBuffer(file, s, next.number, next.stored, answer);
}

// SKIP: `count` records forwards (backwards when negative) in the current
// order, reading none; 33 when the table ends first, reading standing on the
// last record passed.
ErrorCode Skip(File& file, VxrFileState& s, std::int64_t count, OperationAnswer& answer) {
  const bool forward = count >= 0;
  const VxrTableKeys table = TableKeys(file, s);
  s.current = 0;
  const std::uint64_t steps = forward ? static_cast<std::uint64_t>(count) : 0 - static_cast<std::uint64_t>(count);
  for (std::uint64_t left = steps; left > 0; --left) {
    if (s.order) {
      const VxrKeyHit hit = StepVxrKey(KeyRecords(s, *s.order), table, s.keys[*s.order], s.place, DirectionOf(forward));
      if (!hit.Found()) return Answer(hit.status, answer);
      continue;
    }
    const Neighbour next = NeighbourInRecordOrder(s, forward, answer);
    if (Failed(next.code)) return next.code;
    s.cursor = next.number;
    s.at = At::Record;
  }
  return ErrorCode::Ok;
}

// BOF and EOF: whether a read backwards (forwards) from here would find no
// record, that is whether the last read reached the first (last) record.
ErrorCode AtEdge(File& file, VxrFileState& s, bool forward, OperationAnswer& answer) {
  ErrorCode code = ErrorCode::Ok;
  if (s.order) {
    VxrKeyPlace place = s.place;  // a look ahead, not a step
    const VxrKeyHit hit = StepVxrKey(KeyRecords(s, *s.order), TableKeys(file, s), s.keys[*s.order], place, DirectionOf(forward));
    code = hit.Found() ? ErrorCode::Ok : Answer(hit.status, answer);
  } else {
    code = NeighbourInRecordOrder(s, forward, answer).code;
  }
  answer.flag = code == ErrorCode::RecordNotAvailable;
  return answer.flag ? ErrorCode::Ok : code;
}

ErrorCode KeyOperation(Op op, File& file, VxrFileState& s, const OperationArguments& arguments,
                       OperationAnswer& answer) {
  const VxrKey* key = NamedKey(s, arguments.key);
  if (!key) return ErrorCode::InvalidKeyFile;
  const VxrTableKeys table = TableKeys(file, s);
  const std::size_t index = arguments.key - 1;
  VxrOrderedRecords& entries = KeyRecords(s, index);
  const auto buffer = file.Record().Bytes();
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
    case Op::SETkeykeyptr: {
      const auto number = ToRecordNumber(arguments.pointer);
      if (!number) return ErrorCode::RecordNotFound;
      s.order = index;
      s.place = VxrKeyPlace::AtEntry(table, *key, EncodeVxrKeyValue(*key, buffer, table.text), *number);
      return ErrorCode::Ok;
    }
    case Op::SETfilekey: {
      // Record order from the first record whose value in the key is not
      // below the record buffer's; past the end when there is none.
      VxrKeyPlace place = VxrKeyPlace::AtValue(table, *key, EncodeVxrKeyValue(*key, buffer, table.text));
      const VxrKeyHit hit = StepVxrKey(entries, table, *key, place, KeyDirection::Next);
      if (!hit.Found() && hit.status.code != ErrorCode::RecordNotAvailable) return Answer(hit.status, answer);
      s.order.reset();
      s.at = At::Kept;
      s.cursor = hit.Found() ? hit.recordNumber : 0xFFFFFFFFu;
      return ErrorCode::Ok;
    }
    case Op::GETfilekey: {
      const VxrKeyHit hit = FindVxrKeyEntry(entries, table, *key, buffer);
      if (!hit.Found()) return Answer(hit.status, answer);
      return ReadEntry(file, s, *key, hit.recordNumber, answer);
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
      if (const auto dynamic = s.dynamic.find(index); dynamic != s.dynamic.end()) {
        answer.number = dynamic->second.entries.Size();
        return ErrorCode::Ok;
      }
      const VxrCountersLookup counters = ReadVxrCounters(*s.open->tree, s.table, key->number);
      if (!counters.status.Ok()) return Answer(counters.status, answer);
      answer.number = counters.counters.count;
      return ErrorCode::Ok;
    }
    case Op::DUPLICATEkey: {
      const std::optional<std::uint32_t> current = s.current ? std::optional(s.current) : std::nullopt;
      const VxrDuplicateCheck check = CheckVxrDuplicateKey(entries, table, *key, buffer, current);
      answer.flag = check.duplicate;
      return Answer(check.status, answer);
    }
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

}  // namespace

Bytes StoredImage(const File& file) {
  const auto record = file.Record().Bytes();
  Bytes image(record.begin(), record.end());
  if (file.Declaration().Has(kFileOem)) ConvertVxrText(file.Declaration().fields, image, VxrTextDirection::ToOem);
  return image;
}

std::optional<Bytes> BufferImage(const File& file, const VxrFileState& s, std::string_view stored) {
  if (stored.size() != s.recordSize) return std::nullopt;
  Bytes image(stored.begin(), stored.end());
  if (file.Declaration().Has(kFileOem)) ConvertVxrText(file.Declaration().fields, image, VxrTextDirection::FromOem);
  return image;
}

std::string_view AsText(const Bytes& bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

VxrTableKeys TableKeys(const File& file, const VxrFileState& s) {
  return {s.table, s.keys, {.oem = file.Declaration().Has(kFileOem)}};
}

VxrOrderedRecords& KeyRecords(VxrFileState& s, std::size_t index) {
  if (const auto dynamic = s.dynamic.find(index); dynamic != s.dynamic.end()) return dynamic->second.entries;
  return *s.open->tree;
}

const VxrKey* NamedKey(const VxrFileState& s, std::size_t number) {
  if (number == 0 || number > s.keys.size()) return nullptr;
  return &s.keys[number - 1];
}

// The reads proper: NEXT, PREVIOUS and those of one record. Each first
// lets the previous record go.
bool ReadsRecord(Op op) {
  return op == Op::NEXT || op == Op::PREVIOUS || op == Op::GETfilekey || op == Op::GETfileptr ||
         op == Op::GETkeyptr || op == Op::REGETfile || op == Op::REGETkey;
}

ErrorCode PerformReading(Op op, File& file, VxrFileState& s, const OperationArguments& arguments,
                         OperationAnswer& answer) {
  if (ReadsRecord(op)) {
    ReleaseHold(s);
    s.watched.clear();
  }
  VxrTree& tree = *s.open->tree;
  switch (op) {
    case Op::NEXT: return Read(file, s, true, answer);
    case Op::PREVIOUS: return Read(file, s, false, answer);
    case Op::SKIP: return Skip(file, s, arguments.count, answer);
    case Op::BOF: return AtEdge(file, s, false, answer);
    case Op::Eof: return AtEdge(file, s, true, answer);
    case Op::SETfile:
      s.order.reset();
      s.at = At::Start;
      return ErrorCode::Ok;
    case Op::SETfileptr: {
      const auto number = ToRecordNumber(arguments.pointer);
      if (!number) return ErrorCode::RecordNotFound;
      s.order.reset();
      s.cursor = *number;
      s.at = At::Kept;
      return ErrorCode::Ok;
    }
    case Op::GETkeyptr:
    case Op::GETfileptr: {
      const auto number = ToRecordNumber(arguments.pointer);
      if (!number || *number == 0) return ErrorCode::RecordNotFound;
      return ReadNumber(file, s, *number, answer);
    }
    case Op::POINTERfile:
    case Op::POINTERkey: answer.number = s.current; return ErrorCode::Ok;
    case Op::POSITIONfile:
      answer.position.clear();
      AppendBigEndian32(answer.position, s.current);
      return ErrorCode::Ok;
    case Op::RESETfile:
    case Op::REGETfile: {
      const auto number = ReadBigEndian32(arguments.position, 0);
      if (!number || arguments.position.size() != 4) return ErrorCode::RecordNotFound;
      if (op == Op::REGETfile) return ReadNumber(file, s, *number, answer);
      s.order.reset();
      s.cursor = *number;
      s.at = At::Kept;
      return ErrorCode::Ok;
    }
    case Op::RECORDSfile: {
      const VxrCountersLookup counters = ReadVxrCounters(tree, s.table, kVxrDataRecordMark);
      if (!counters.status.Ok()) return Answer(counters.status, answer);
      answer.number = counters.counters.count;
      return ErrorCode::Ok;
    }
    // A data record is the record buffer exactly, and this driver keeps no
    // memo for a read to leave out.
    case Op::BYTES: answer.number = file.Record().Size(); return ErrorCode::Ok;
    case Op::NOMEMO: return ErrorCode::Ok;
    case Op::DUPLICATE: {
      const std::optional<std::uint32_t> current = s.current ? std::optional(s.current) : std::nullopt;
      const VxrDuplicateCheck check = CheckVxrDuplicate(tree, TableKeys(file, s), file.Record().Bytes(), current);
      answer.flag = check.duplicate;
      return Answer(check.status, answer);
    }
    default: return KeyOperation(op, file, s, arguments, answer);
  }
}

}  // namespace zelvo::vxr
