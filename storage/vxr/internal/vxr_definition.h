// VxrDefinition: a table's definition as an indexed record file stores it,
// the stream it is written as, and the comparison of a stored definition
// with a FILE's declaration.
//
// The stream (numbers 16-bit little-endian; a text is its bytes and 0x00, an
// empty text 00 00, an absent text 00 01):
//   version (1, or 2 when a memo is a BLOB); record size; number of fields,
//   of memos, of keys;
//   per field: type (1 byte: 1 BYTE, 2 SHORT, 3 USHORT, 4 DATE, 5 TIME,
//     6 LONG, 7 ULONG, 8 SREAL, 9 REAL, 10 DECIMAL, 18 STRING, 19 CSTRING,
//     20 PSTRING, 22 GROUP), offset, name, elements, size in bytes, overlay
//     flag, position among the fields; DECIMAL: digits and places (1 byte
//     each); STRING, CSTRING, PSTRING: a 16-bit value and the picture;
//   per memo: external name, label, size, flags (bit 2: a BLOB);
//   per key: external name, label, attribute byte, number of components,
//     per component the field's position and its flags (1: descending).
// The file keeps the stream cut into 512-byte definition chunks (record key
// T, 0xFA, chunk number 16-bit little-endian from 0).
//
// This program declares neither pictures nor memos for its tables: a text
// field is written with the value 0 and an absent picture; a key with an
// absent external name and its name as the label.
//
// Comparison: Same; NamesOnly when only names differ (field names, pictures,
// memo and key names and labels); Different otherwise. The key attribute bit
// 0x10 (PRIMARY) is not compared.
//
// Values; pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/field_declaration.h"
#include "storage/key_declaration.h"

namespace zelvo {

struct VxrDefinition {
  struct Text {
    std::string bytes;
    bool absent = false;
    bool operator==(const Text&) const = default;
  };
  struct Field {
    std::uint8_t type = 0;
    std::uint16_t offset = 0;
    Text name;
    std::uint16_t elements = 1;
    std::uint16_t size = 0;
    std::uint16_t overlay = 0;
    std::uint16_t position = 0;
    std::uint8_t digits = 0, places = 0;  // DECIMAL
    std::uint16_t textValue = 0;          // texts
    Text picture;                         // texts
  };
  struct Memo {
    Text externalName, label;
    std::uint16_t size = 0, flags = 0;
  };
  struct Component {
    std::uint16_t field = 0, flags = 0;
    bool operator==(const Component&) const = default;
  };
  struct Key {
    Text externalName, label;
    std::uint8_t attributes = 0;
    std::vector<Component> components;
  };

  std::uint16_t version = 1;
  std::uint16_t recordSize = 0;
  std::vector<Field> fields;
  std::vector<Memo> memos;
  std::vector<Key> keys;
};

enum class VxrDefinitionMatch : std::uint8_t { Same, NamesOnly, Different };

inline constexpr std::size_t kVxrDefinitionChunk = 512;
inline constexpr std::uint8_t kVxrDefinitionMark = 0xFA;

// The definition a FILE's declaration gives.
VxrDefinition VxrDefinitionOf(std::span<const FieldDeclaration> fields,
                              std::span<const KeyDeclaration> keys);

std::string EncodeVxrDefinition(const VxrDefinition& definition);
// nullopt when the stream is cut short, runs on, or names an unknown type.
std::optional<VxrDefinition> DecodeVxrDefinition(std::string_view stream);

VxrDefinitionMatch CompareVxrDefinitions(const VxrDefinition& stored, const VxrDefinition& declared);

// The key part of definition chunk `chunk` of table `table`.
std::string VxrDefinitionChunkKey(std::uint32_t table, std::uint16_t chunk);

}  // namespace zelvo
