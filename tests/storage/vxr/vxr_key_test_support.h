// Shared pieces of the key tests: hex text of byte strings, and keys built by
// hand over a layout.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "storage/field_declaration.h"
#include "storage/vxr/internal/vxr_key.h"

namespace zelvo::testing_vxr {

// "80 00 00 01"
inline std::string Hex(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    char two[4];
    std::snprintf(two, sizeof two, "%02X", b);
    if (!out.empty()) out += ' ';
    out += two;
  }
  return out;
}

struct Part {
  std::size_t field;
  bool descending = false;
};

// A key of `number` with `attributes` (VxrKeyAttribute) over fields of `layout`.
inline VxrKey KeyOver(std::span<const FieldDeclaration> layout, std::uint8_t attributes,
                      std::initializer_list<Part> parts, std::uint8_t number = 0) {
  VxrKey key;
  key.number = number;
  key.attributes = attributes;
  for (const Part& p : parts) key.components[key.count++] = {p.field, layout[p.field], p.descending};
  return key;
}

inline std::span<const std::uint8_t> Image(const std::string& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace zelvo::testing_vxr
