#include "storage/vxr/internal/vxr_key_entry.h"

#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {

std::string VxrKeyPrefix(std::uint32_t table, std::uint8_t keyNumber) {
  std::string prefix;
  AppendBigEndian32(prefix, table);
  prefix += static_cast<char>(keyNumber);
  return prefix;
}

VxrRecord MakeVxrKeyEntry(const VxrKey& key, std::uint32_t table, std::string_view value,
                          std::uint32_t recordNumber) {
  VxrRecord entry{VxrKeyPrefix(table, key.number), {}};
  entry.key += value;
  AppendBigEndian32(key.Has(kVxrKeyDup) ? entry.key : entry.data, recordNumber);
  return entry;
}

std::optional<VxrRecord> VxrKeyEntryFor(const VxrTableKeys& table, const VxrKey& key,
                                        std::span<const std::uint8_t> record,
                                        std::uint32_t recordNumber) {
  if (!HasKeyEntry(key, record)) return std::nullopt;
  return MakeVxrKeyEntry(key, table.table, EncodeVxrKeyValue(key, record, table.text),
                         recordNumber);
}

std::optional<VxrKeyEntryView> ReadVxrKeyEntry(const VxrKey& key, std::uint32_t table,
                                               const VxrRecord& entry) {
  const std::string prefix = VxrKeyPrefix(table, key.number);
  const std::size_t valueLength = key.ValueLength();
  const bool dup = key.Has(kVxrKeyDup);
  const std::string_view part = entry.key;
  if (part.size() != prefix.size() + valueLength + (dup ? 4 : 0) || !part.starts_with(prefix))
    return std::nullopt;
  if (entry.data.size() != (dup ? 0 : 4)) return std::nullopt;
  const std::optional<std::uint32_t> number =
      dup ? ReadBigEndian32(part, prefix.size() + valueLength) : ReadBigEndian32(entry.data, 0);
  if (!number) return std::nullopt;
  return VxrKeyEntryView{part.substr(prefix.size(), valueLength), *number};
}

}  // namespace zelvo
