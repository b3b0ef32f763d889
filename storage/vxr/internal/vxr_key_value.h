// The encoded value of a key: the bytes, taken from a record buffer, whose
// unsigned byte order is the key's order. Each component gives exactly as many
// bytes as its field holds, so a key's value is always ValueLength() long.
//
// One component, by field type:
//     STRING              the bytes as they are
//     CSTRING             the text up to its zero byte, zero-padded to the field size
//     PSTRING             the characters after the length byte, zero-padded to the field size
//       (texts then: NOCASE upper-cases every byte through the locale's case
//        table; a FILE with the OEM attribute converts the bytes to the OEM
//        code page; every byte becomes its weight in the collation table, the
//        OEM one for an OEM FILE)
//     BYTE                the byte
//     USHORT ULONG DATE TIME   big-endian (a packed DATE or TIME as its 32-bit word)
//     SHORT LONG          big-endian with the top bit of the first byte inverted
//     REAL                big-endian IEEE; sign clear: the sign bit is set;
//                         sign set: every byte complemented
//     DECIMAL             the packed bytes; a sign nibble other than 0 is cleared,
//                         the top bit of the first byte inverted, and a negative
//                         value then complemented
//     descending          after all of that, every byte complemented
// A descending component complements negative REAL and DECIMAL values like
// every other value: leaving them as they were would give -1 and +1 the same
// bytes and break the descending order across zero.
//
// Examples (ascending unless said):
//     LONG 1            -> 80 00 00 01        LONG -1  -> 7F FF FF FF
//     SHORT 0           -> 80 00              descending LONG 1 -> 7F FF FF FE
//     REAL 1.0          -> BF F0 00 00 00 00 00 00
//     REAL -1.0         -> 40 0F FF FF FF FF FF FF
//     DECIMAL(5,0) 123  (00 01 23) -> 80 01 23;   -123 (F0 01 23) -> 7F FE DC
//
// A component is empty (for OPT) when a STRING is all blanks, a CSTRING or
// PSTRING starts with a zero byte, any other field is all zero bytes.
//
// Pure functions. A record shorter than the layout reads its missing bytes as
// zero, so damaged input never reads out of bounds.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "runtime/locale.h"
#include "storage/vxr/internal/vxr_key.h"

namespace zelvo {

// How text components are weighed: the FILE's OEM attribute and the locale
// tables in force (Locale()).
struct KeyTextRules {
  bool oem = false;
  const LocaleTables* locale = nullptr;  // null: the tables in force

  const LocaleTables& Tables() const { return locale ? *locale : Locale(); }
};

// The encoded value of `key` for `record`, ValueLength() bytes.
std::string EncodeVxrKeyValue(const VxrKey& key, std::span<const std::uint8_t> record,
                              const KeyTextRules& rules = {});

// Whether every component of `key` is empty in `record`.
bool AllComponentsEmpty(const VxrKey& key, std::span<const std::uint8_t> record);

// Whether `record` has an entry in `key`: false only for an OPT key whose
// components are all empty.
bool HasKeyEntry(const VxrKey& key, std::span<const std::uint8_t> record);

}  // namespace zelvo
