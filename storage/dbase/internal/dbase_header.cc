#include "storage/dbase/internal/dbase_header.h"

#include <algorithm>

namespace zelvo {
namespace {

constexpr std::size_t kNameBytes = 11;
constexpr std::uint32_t kLongestRecord = 4000;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}
std::uint16_t Get16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }
std::uint32_t Get32(const std::uint8_t* at) { return Get16(at) | std::uint32_t{Get16(at + 2)} << 16; }

bool KnownType(char type) { return std::string_view("CNFDLM").find(type) != std::string_view::npos; }

}  // namespace

std::array<std::uint8_t, kDbaseHeaderBytes> EncodeDbaseHeader(const DbaseHeader& header) {
  std::array<std::uint8_t, kDbaseHeaderBytes> bytes{};
  bytes[0] = header.version;
  bytes[1] = header.year;
  bytes[2] = header.month;
  bytes[3] = header.day;
  Put32(&bytes[4], header.records);
  Put16(&bytes[8], header.headerLength);
  Put16(&bytes[10], header.recordLength);
  bytes[28] = header.productionIndex;
  return bytes;
}

DbaseHeader DecodeDbaseHeader(std::span<const std::uint8_t, kDbaseHeaderBytes> bytes) {
  DbaseHeader header;
  header.version = bytes[0];
  header.year = bytes[1];
  header.month = bytes[2];
  header.day = bytes[3];
  header.records = Get32(&bytes[4]);
  header.headerLength = Get16(&bytes[8]);
  header.recordLength = Get16(&bytes[10]);
  header.productionIndex = bytes[28];
  return header;
}

int CheckDbaseHeader(const DbaseHeader& header) {
  if (header.version != 0x03 && header.version != 0x83 && header.version != 0x8B) return -218;
  if (header.productionIndex > 1) return -235;
  if (header.headerLength < 2 * kDbaseDescriptorBytes) return -219;
  return 0;
}

std::vector<std::uint8_t> EncodeDbaseDescriptors(std::span<const DbaseColumn> columns) {
  std::vector<std::uint8_t> bytes(columns.size() * kDbaseDescriptorBytes + 1, 0);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const DbaseColumn& column = columns[i];
    std::uint8_t* d = &bytes[i * kDbaseDescriptorBytes];
    std::copy_n(column.name.begin(), std::min(column.name.size(), kNameBytes), d);
    d[11] = static_cast<std::uint8_t>(column.type);
    d[16] = static_cast<std::uint8_t>(column.length);
    d[17] = column.type == 'C' ? static_cast<std::uint8_t>(column.length >> 8) : column.decimals;
    d[31] = column.indexTag ? 1 : 0;
  }
  bytes.back() = kDbaseTerminator;
  return bytes;
}

DbaseColumnsResult DecodeDbaseDescriptors(const DbaseHeader& header, std::span<const std::uint8_t> bytes) {
  DbaseColumnsResult result;
  const std::size_t count = header.ColumnCount();
  if (bytes.size() < count * kDbaseDescriptorBytes) return {-219, {}};
  std::uint32_t offset = 1;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* d = &bytes[i * kDbaseDescriptorBytes];
    DbaseColumn column;
    for (std::size_t k = 0; k < kNameBytes && d[k] != 0; ++k) column.name += Upper(static_cast<char>(d[k]));
    column.type = Upper(static_cast<char>(d[11]));
    if (!KnownType(column.type)) return {-231, {}};
    if (column.type == 'M' && (header.version & kDbaseMemoBit) == 0) return {-218, {}};
    if (column.name.empty()) return {-228, {}};
    if (column.type == 'C') {
      column.length = static_cast<std::uint16_t>(d[16] | d[17] << 8);
    } else {
      column.length = d[16];
      column.decimals = column.IsNumber() ? d[17] : 0;
    }
    column.indexTag = d[31] != 0;
    column.offset = offset;
    offset += column.length;
    result.columns.push_back(std::move(column));
  }
  if (offset != header.recordLength) return {-232, {}};
  return result;
}

int CheckDbaseColumns(std::vector<DbaseColumn>& columns) {
  if (columns.empty() || columns.size() > 255) return -227;
  std::uint32_t offset = 1;
  for (DbaseColumn& column : columns) {
    if (column.name.empty() || column.name.size() > kNameBytes) return -228;
    std::transform(column.name.begin(), column.name.end(), column.name.begin(), Upper);
    column.type = Upper(column.type);
    switch (column.type) {
      case 'C':
        if (column.length < 1 || column.length > 254) return -229;
        column.decimals = 0;
        break;
      case 'N':
      case 'F':
        if (column.length < 1 || column.length > 20) return -229;
        if (column.decimals != 0 && column.decimals + 2 > column.length) return -230;
        break;
      case 'D': column.length = 8; column.decimals = 0; break;
      case 'L': column.length = 1; column.decimals = 0; break;
      case 'M': column.length = 10; column.decimals = 0; break;
      default: return -231;
    }
    column.offset = offset;
    offset += column.length;
  }
  if (offset > kLongestRecord) return -232;
  return 0;
}

std::uint32_t DbaseRecordLength(std::span<const DbaseColumn> columns) {
  std::uint32_t length = 1;
  for (const DbaseColumn& column : columns) length += column.length;
  return length;
}

}  // namespace zelvo
