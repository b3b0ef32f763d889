#include "storage/vxr/internal/vxr_key.h"

#include <optional>

#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {
namespace {

// Table number, key number and record number around the value.
constexpr std::size_t kEntryOverhead = 4 + 1 + 4;

}  // namespace

std::uint8_t StoredKeyAttributes(const KeyDeclaration& key) {
  std::uint8_t stored = 0;
  if (key.Has(kKeyDup)) stored |= kVxrKeyDup;
  if (key.Has(kKeyOpt)) stored |= kVxrKeyOpt;
  if (key.Has(kKeyNoCase)) stored |= kVxrKeyNoCase;
  if (key.Has(kKeyPrimary)) stored |= kVxrKeyPrimary;
  if (key.Has(kKeyDynamic)) stored |= kVxrKeyDynamic;
  return stored;
}

std::size_t VxrKey::ValueLength() const {
  std::size_t length = 0;
  for (const VxrKeyComponent& c : Components()) length += c.field.Bytes();
  return length;
}

VxrKeysResult ResolveVxrKeys(std::span<const FieldDeclaration> fields,
                             std::span<const KeyDeclaration> keys) {
  if (keys.size() > kMaxVxrKeys) return {ErrorCode::InvalidRecordDeclaration, {}};
  VxrKeysResult result;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    VxrKey key;
    key.number = static_cast<std::uint8_t>(k);
    key.attributes = StoredKeyAttributes(keys[k]);
    for (const KeyComponent& part : keys[k].Components()) {
      std::optional<std::size_t> index = FindField(fields, part.field);
      if (!index) return {ErrorCode::InvalidRecordDeclaration, {}};
      if (fields[*index].elements != 1) return {ErrorCode::InvalidFieldTypeDescriptor, {}};
      key.components[key.count++] = {*index, fields[*index], !part.ascending};
    }
    if (key.ValueLength() + kEntryOverhead > kVxrMaxRecord) return {ErrorCode::InvalidKeyLength, {}};
    result.keys.push_back(key);
  }
  return result;
}

}  // namespace zelvo
