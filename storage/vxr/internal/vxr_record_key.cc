#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {
namespace {

// Internal numbers of the consistency checks made here.
constexpr int kCheckCountersSize = 4301;

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

std::uint32_t ReadLittleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= std::uint32_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

}  // namespace

void AppendBigEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

std::optional<std::uint32_t> ReadBigEndian32(std::string_view bytes, std::size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::string VxrDataRecordKey(std::uint32_t table, std::uint32_t recordNumber) {
  std::string key;
  AppendBigEndian32(key, table);
  key += static_cast<char>(kVxrDataRecordMark);
  AppendBigEndian32(key, recordNumber);
  return key;
}

std::string VxrCountersKey(std::uint32_t table, std::uint8_t which) {
  std::string key;
  AppendBigEndian32(key, table);
  key += static_cast<char>(kVxrCountersMark);
  key += static_cast<char>(which);
  return key;
}

VxrCountersLookup ReadVxrCounters(VxrOrderedRecords& records, std::uint32_t table,
                                  std::uint8_t which) {
  VxrLookup found = records.Find(VxrCountersKey(table, which));
  if (found.status.code == ErrorCode::RecordNotFound) return {};
  if (!found.Found()) return {found.status, {}};
  if (found.record.data.size() != 8) return {VxrStatus::Corrupt(kCheckCountersSize), {}};
  return {{}, {ReadLittleEndian32(found.record.data, 0), ReadLittleEndian32(found.record.data, 4)}};
}

VxrStatus WriteVxrCounters(VxrOrderedRecords& records, std::uint32_t table, std::uint8_t which,
                           VxrCounters counters) {
  std::string data;
  AppendLittleEndian32(data, counters.count);
  AppendLittleEndian32(data, counters.second);
  const std::string key = VxrCountersKey(table, which);
  VxrStatus status = records.Update(key, data);
  if (status.code == ErrorCode::RecordNotFound) status = records.Insert(key, data);
  return status;
}

}  // namespace zelvo
