#include "storage/vxr/internal/vxr_key_position.h"

#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {

std::string VxrKeyPosition(const VxrKey& key, std::span<const std::uint8_t> record,
                           std::uint32_t recordNumber, const KeyTextRules& rules) {
  std::string position;
  AppendBigEndian32(position, recordNumber);
  position += EncodeVxrKeyValue(key, record, rules);
  return position;
}

std::optional<VxrKeyPositionParts> ReadVxrKeyPosition(const VxrKey& key, std::string_view position) {
  if (position.size() != 4 + key.ValueLength()) return std::nullopt;
  return VxrKeyPositionParts{*ReadBigEndian32(position, 0), std::string(position.substr(4))};
}

}  // namespace zelvo
