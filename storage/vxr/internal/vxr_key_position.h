// Saved key positions: what POSITIONkey answers and RESETkey and REGETkey take.
//
// A position is the current record's number (4 bytes, big-endian) followed by
// its encoded value in the key (storage/vxr/internal/vxr_key_value.h): 4 + ValueLength()
// bytes. RESETkey turns it into a walk place at that entry
// (VxrKeyPlace::AtEntry), so the next NEXT or PREVIOUS delivers the entry if
// it is still there and otherwise its neighbour in the direction of the read;
// REGETkey reads the data record of its number.
//
// Example: record 7, LONG key value 1 -> 00 00 00 07 80 00 00 01.
//
// Pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "storage/vxr/internal/vxr_key.h"
#include "storage/vxr/internal/vxr_key_value.h"

namespace zelvo {

std::string VxrKeyPosition(const VxrKey& key, std::span<const std::uint8_t> record,
                           std::uint32_t recordNumber, const KeyTextRules& rules = {});

struct VxrKeyPositionParts {
  std::uint32_t recordNumber = 0;
  std::string value;
};

// nullopt for a position of the wrong length for `key`. A position of blanks
// only is refused (35) by the runtime before it comes here.
std::optional<VxrKeyPositionParts> ReadVxrKeyPosition(const VxrKey& key, std::string_view position);

}  // namespace zelvo
