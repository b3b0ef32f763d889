// Arbitrary bytes as a key shape and a record: the first byte picks the
// key's attributes, the next four its components (field and direction), the
// rest is the record buffer, however short. Encoding never reads out of
// bounds and always gives the key's value length; a descending component is
// exactly the complement of the same component ascending; a saved position
// reads back as the record number and value it was made of.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "storage/declare_fields.h"
#include "storage/vxr/internal/vxr_key_position.h"
#include "storage/vxr/internal/vxr_key_value.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

#define FUZZ_FIELDS(FIELD) \
  FIELD(B, Byte())         \
  FIELD(S, Short())        \
  FIELD(US, UShort())      \
  FIELD(L, Long())         \
  FIELD(UL, ULong())       \
  FIELD(R, Real())         \
  FIELD(D, Date())         \
  FIELD(T, Time())         \
  FIELD(AMOUNT, Decimal(9, 2)) \
  FIELD(TEXT, String(6))   \
  FIELD(CTEXT, CString(5)) \
  FIELD(PTEXT, PString(5))
ZELVO_DECLARE_FIELDS(Fuzz, FZ, FUZZ_FIELDS);

zelvo::VxrKey KeyOf(const std::uint8_t* shape, std::size_t parts, bool flipDirections) {
  zelvo::VxrKey key;
  key.attributes = static_cast<std::uint8_t>(shape[0] & (zelvo::kVxrKeyOpt | zelvo::kVxrKeyNoCase));
  for (std::size_t i = 0; i < parts; ++i) {
    const std::size_t field = shape[1 + i] % kFuzzFields.size();
    const bool descending = ((shape[1 + i] & 0x80) != 0) != flipDirections;
    key.components[key.count++] = {field, kFuzzFields[field], descending};
  }
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const std::size_t parts = 1 + data[0] % 4;
  const std::span<const std::uint8_t> record(data + 5, size - 5);
  const zelvo::KeyTextRules rules{(data[0] & 0x10) != 0, nullptr};

  const zelvo::VxrKey key = KeyOf(data, parts, false);
  const std::string value = zelvo::EncodeVxrKeyValue(key, record, rules);
  Check(value.size() == key.ValueLength());
  (void)zelvo::HasKeyEntry(key, record);

  const std::string flipped = zelvo::EncodeVxrKeyValue(KeyOf(data, parts, true), record, rules);
  Check(flipped.size() == value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
    Check(static_cast<std::uint8_t>(value[i]) == 0xFF - static_cast<std::uint8_t>(flipped[i]));

  const std::string position = zelvo::VxrKeyPosition(key, record, 0x01020304u, rules);
  const auto parts_ = zelvo::ReadVxrKeyPosition(key, position);
  Check(parts_ && parts_->recordNumber == 0x01020304u && parts_->value == value);
  return 0;
}
