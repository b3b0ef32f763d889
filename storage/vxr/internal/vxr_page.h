// VxrPage: one page of an indexed record file's tree, decoded, and its byte
// form on disk.
//
//   offset width field (little-endian)
//        0     4 the page's home position (its file offset)
//        4     2 stored size: header, child references, record part as stored
//        6     2 uncompressed size: header, child references, record part
//        8     2 content size tracked for splitting (13 when empty)
//       10     2 number of records
//       12     1 level: 0 leaf, above 0 inner
//       13   4xn inner pages only: the child reference of each record
// The record part follows, run-length compressed (storage/vxr/internal/vxr_run_length.h)
// when the stored size is below the uncompressed size. Each record:
//   flags       1  bit 7: a record length follows; bit 6: a key length
//                  follows; bits 0-5: leading bytes taken from the previous
//                  record (0..63)
//   record len  2  when bit 7, else the previous record's
//   key len     2  when bit 6, else the previous record's
//   bytes          record length minus the bytes taken
// The first record has bits 7 and 6 and takes nothing. A page occupies its
// stored size rounded up to 256 bytes; it is at most 0x3B00 bytes.
//
// The content size counts every record whole with its flags and lengths (5 +
// its bytes) and every child reference: an upper bound of the uncompressed
// size that does not depend on the neighbours, so splitting depends only on
// what a page holds.
//
// Example: two records of one table whose record numbers differ only in the
// last byte, 00 00 00 01 F3 00 00 00 05 and ... 06, both of one length: the
// second is stored as the flags byte 08 and its last byte and data part.
//
// A value type.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "storage/vxr/internal/vxr_header.h"
#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

inline constexpr std::size_t kVxrPageHeader = 13;
inline constexpr std::size_t kVxrLargestPage = 0x3B00;
inline constexpr std::size_t kVxrSplitContent = 15094;      // split above this
inline constexpr std::size_t kVxrSplitManyContent = 4096;   // ... or above this
inline constexpr std::size_t kVxrSplitManyRecords = 20;     // ... with more records

struct VxrPage {
  std::uint8_t level = 0;
  std::vector<VxrRecord> records;         // in record order
  std::vector<std::uint32_t> children;    // inner pages: one reference per record

  bool IsLeaf() const { return level == 0; }
  std::size_t ContentSize() const;
  bool NeedsSplit() const;
};

// The cost of one record in the content size.
constexpr std::size_t VxrRecordContent(std::size_t bytes) { return 5 + bytes; }

// The page's stored bytes (not padded to 256), with `home` as its position.
std::string EncodeVxrPage(const VxrPage& page, std::uint32_t home);

// Sets the home position in a page's stored bytes.
void VxrSetPageHome(std::string& bytes, std::uint32_t home);

// The stored size of a page from its first bytes (at least 6).
std::size_t VxrStoredSize(std::span<const std::uint8_t> bytes);
// Units of 256 bytes a stored size occupies.
constexpr std::size_t VxrUnits(std::size_t storedSize) { return (storedSize + kVxrUnit - 1) / kVxrUnit; }

struct [[nodiscard]] VxrPageDecode {
  VxrStatus status;
  VxrPage page;
};

// Decodes the bytes of a page read from `home`; every inconsistency is a
// corruption (storage/vxr/internal/vxr_corruption.h).
VxrPageDecode DecodeVxrPage(std::span<const std::uint8_t> bytes, std::uint32_t home);

}  // namespace zelvo
