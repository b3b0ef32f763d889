// The dBase IV table file's header and field descriptors, as bytes.
//
// Header, 32 bytes, little-endian:
//
//   offset width field
//        0     1 version: 0x03; 0x8B with a memo (M) column; 0x83 is also read
//        1     3 date of the last update: year - 1900 (or its last two digits
//                with ZEROY2K), month, day
//        4     4 record count
//        8     2 header length: 32 + 32 x columns + 1
//       10     2 record length: 1 (the deletion flag) + the column lengths
//       12    16 zero
//       28     1 production index flag, 0 or 1
//       29     3 zero
//
// Field descriptors follow, 32 bytes each, then the terminator 0x0D:
//
//   offset width field
//        0    11 column name, upper-case ASCII, NUL-padded
//       11     1 type letter C, N, F, D, L or M
//       12     4 zero
//       16     1 length (a C column: its low byte)
//       17     1 decimals of N and F (a C column: the high byte of its length)
//       18    13 zero
//       31     1 production index tag flag
//
// Records start at the header length: record n (from 1) at header length +
// (n - 1) x record length, a flag byte (' ' present, '*' deleted) and the
// columns in descriptor order. One end-of-file byte 0x1A follows the last.
//
// Decoding checks what opening a table checks and answers the xBase code of
// the first fault; a damaged descriptor never reads past the bytes given.
// Values here are plain data; safe to copy between threads.
//
// Example: columns NOM N(10.0), TIP C(1), ST D(8) give header length 129 and
// record length 20; the fresh file is the 129 bytes and 0x1A.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelvo {

inline constexpr std::size_t kDbaseHeaderBytes = 32;
inline constexpr std::size_t kDbaseDescriptorBytes = 32;
inline constexpr std::uint8_t kDbaseVersion = 0x03;
inline constexpr std::uint8_t kDbaseVersionMemo = 0x8B;
inline constexpr std::uint8_t kDbaseMemoBit = 0x80;
inline constexpr std::uint8_t kDbaseTerminator = 0x0D;
inline constexpr std::uint8_t kDbaseEndOfFile = 0x1A;
inline constexpr std::uint8_t kDbasePresent = ' ';
inline constexpr std::uint8_t kDbaseDeleted = '*';

// One column of the table.
struct DbaseColumn {
  std::string name;          // upper case, 1..11 characters
  char type = 'C';           // C N F D L M
  std::uint16_t length = 0;
  std::uint8_t decimals = 0;
  bool indexTag = false;
  std::uint32_t offset = 0;  // inside the record; 1 for the first column

  bool IsNumber() const { return type == 'N' || type == 'F'; }
  bool operator==(const DbaseColumn&) const = default;
};

struct DbaseHeader {
  std::uint8_t version = kDbaseVersion;
  std::uint8_t year = 0;   // as stored
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint32_t records = 0;
  std::uint16_t headerLength = 0;
  std::uint16_t recordLength = 0;
  std::uint8_t productionIndex = 0;

  // (header length / 32) - 1, the number of descriptors an open reads.
  std::size_t ColumnCount() const { return headerLength / kDbaseDescriptorBytes - 1; }
  std::uint64_t RecordOffset(std::uint32_t number) const {
    return headerLength + std::uint64_t{number - 1} * recordLength;
  }
  bool operator==(const DbaseHeader&) const = default;
};

std::array<std::uint8_t, kDbaseHeaderBytes> EncodeDbaseHeader(const DbaseHeader& header);
DbaseHeader DecodeDbaseHeader(std::span<const std::uint8_t, kDbaseHeaderBytes> bytes);

// 0, or -218 for a version other than 0x03, 0x83, 0x8B, -235 for a production
// index flag other than 0 or 1, -219 for a header length that holds no column.
int CheckDbaseHeader(const DbaseHeader& header);

// The descriptors and the terminator, for columns already checked.
std::vector<std::uint8_t> EncodeDbaseDescriptors(std::span<const DbaseColumn> columns);

struct [[nodiscard]] DbaseColumnsResult {
  int code = 0;  // 0 or the xBase code of the fault
  std::vector<DbaseColumn> columns;
};

// Reads `header.ColumnCount()` descriptors from `bytes` (which start at
// offset 32): names and letters folded to upper case, offsets from 1. Faults:
// -219 bytes too few, -231 another type letter, -218 an M column without the
// memo bit, -228 an empty name, -232 the record length is not 1 + the column
// lengths.
DbaseColumnsResult DecodeDbaseDescriptors(const DbaseHeader& header, std::span<const std::uint8_t> bytes);

// The checks of a table about to be created, in place: names folded to upper
// case and 1..11 characters (-228), 1..255 columns (-227), letters folded
// (-231 for another), C 1..254 with no decimals, N/F 1..20 (-229) with
// decimals at most length - 2 when not 0 (-230), D 8, L 1, M 10, record
// length at most 4000 (-232); offsets filled.
int CheckDbaseColumns(std::vector<DbaseColumn>& columns);

// 1 + the sum of the column lengths.
std::uint32_t DbaseRecordLength(std::span<const DbaseColumn> columns);

}  // namespace zelvo
