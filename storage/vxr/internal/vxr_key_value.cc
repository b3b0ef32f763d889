#include "storage/vxr/internal/vxr_key_value.h"

#include <algorithm>
#include <string_view>

#include "runtime/cp866.h"

namespace zelvo {
namespace {

// The field's bytes from the record, zero where the record falls short.
std::string FieldBytes(const FieldDeclaration& field, std::span<const std::uint8_t> record) {
  std::string bytes(field.Bytes(), '\0');
  if (field.offset < record.size()) {
    const std::size_t available = std::min<std::size_t>(bytes.size(), record.size() - field.offset);
    std::copy_n(record.begin() + field.offset, available, bytes.begin());
  }
  return bytes;
}

void Complement(std::string& bytes) {
  for (char& b : bytes) b = static_cast<char>(0xFF - static_cast<std::uint8_t>(b));
}

void WeighText(std::string& bytes, bool noCase, const KeyTextRules& rules) {
  const LocaleTables& tables = rules.Tables();
  for (char& b : bytes) {
    std::uint8_t c = static_cast<std::uint8_t>(b);
    if (noCase) c = tables.Upper(c);
    if (rules.oem) {
      // A character without an OEM form keeps its code.
      c = WindowsCodeToOem(c).value_or(c);
      c = tables.oemCollation[c];
    } else {
      c = tables.collation[c];
    }
    b = static_cast<char>(c);
  }
}

// The text part of a CSTRING or PSTRING moved to the front, zero-padded.
std::string TextOf(const FieldDeclaration& field, const std::string& bytes) {
  std::string text(bytes.size(), '\0');
  if (field.type == FieldType::CString) {
    const std::size_t end = std::min(bytes.find('\0'), bytes.size());
    std::copy_n(bytes.begin(), end, text.begin());
  } else if (!bytes.empty()) {
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::uint8_t>(bytes[0]), bytes.size() - 1);
    std::copy_n(bytes.begin() + 1, count, text.begin());
  }
  return text;
}

std::string EncodeComponent(const VxrKeyComponent& component, bool noCase,
                            std::span<const std::uint8_t> record, const KeyTextRules& rules) {
  const FieldDeclaration& field = component.field;
  std::string bytes = FieldBytes(field, record);
  switch (field.type) {
    case FieldType::String:
      WeighText(bytes, noCase, rules);
      break;
    case FieldType::CString:
    case FieldType::PString:
      bytes = TextOf(field, bytes);
      WeighText(bytes, noCase, rules);
      break;
    case FieldType::Byte:
      break;
    case FieldType::UShort:
    case FieldType::ULong:
    case FieldType::Date:
    case FieldType::Time:
      std::reverse(bytes.begin(), bytes.end());
      break;
    case FieldType::Short:
    case FieldType::Long:
      std::reverse(bytes.begin(), bytes.end());
      bytes[0] = static_cast<char>(bytes[0] ^ 0x80);
      break;
    case FieldType::Real:
      std::reverse(bytes.begin(), bytes.end());
      if ((bytes[0] & 0x80) == 0) {
        bytes[0] = static_cast<char>(bytes[0] | 0x80);
      } else {
        Complement(bytes);
      }
      break;
    case FieldType::Decimal: {
      const bool negative = (bytes[0] & 0xF0) != 0;
      bytes[0] = static_cast<char>((bytes[0] & 0x0F) ^ 0x80);
      if (negative) Complement(bytes);
      break;
    }
  }
  if (component.descending) Complement(bytes);
  return bytes;
}

bool ComponentEmpty(const VxrKeyComponent& component, std::span<const std::uint8_t> record) {
  const std::string bytes = FieldBytes(component.field, record);
  switch (component.field.type) {
    case FieldType::String:
      return std::all_of(bytes.begin(), bytes.end(), [](char b) { return b == ' '; });
    case FieldType::CString:
    case FieldType::PString:
      return bytes.empty() || bytes[0] == '\0';
    default:
      return std::all_of(bytes.begin(), bytes.end(), [](char b) { return b == '\0'; });
  }
}

}  // namespace

std::string EncodeVxrKeyValue(const VxrKey& key, std::span<const std::uint8_t> record,
                              const KeyTextRules& rules) {
  std::string value;
  value.reserve(key.ValueLength());
  for (const VxrKeyComponent& component : key.Components())
    value += EncodeComponent(component, key.Has(kVxrKeyNoCase), record, rules);
  return value;
}

bool AllComponentsEmpty(const VxrKey& key, std::span<const std::uint8_t> record) {
  return std::all_of(key.Components().begin(), key.Components().end(),
                     [&](const VxrKeyComponent& c) { return ComponentEmpty(c, record); });
}

bool HasKeyEntry(const VxrKey& key, std::span<const std::uint8_t> record) {
  return !(key.Has(kVxrKeyOpt) && AllComponentsEmpty(key, record));
}

}  // namespace zelvo
