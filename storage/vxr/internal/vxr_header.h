// VxrHeader: the first 512 bytes of an indexed record file (VXR).
//
//   offset width field
//        0     4 0                    (a shadow copy's home position: 0)
//        4     2 header size 0x200    (a shadow copy's stored size)
//        6     4 committed end: file offset up to which pages are final
//       10     4 shadow end: up to which shadow copies were written; equal to
//                the committed end when the file is consistent
//       14     4 signature "qUiL"
//       18     2 0
//       20     4 last issued number, BIG-endian (table and record numbers)
//       24     4 change counter, +1 at every commit; 0 in a never-written file
//       28     4 root page reference; 0xFFFFFFFF while the tree is empty
//       32   240 60 page-range start references
//      272   240 60 page-range end references
// Everything but the last issued number is little-endian.
//
// A page reference r is the file offset r * 256 + 0x200. Range 0 holds no
// pages; range i (1..59) is the zone of pages i units of 256 bytes long,
// covering the references [start, end).
//
// Example:
//     VxrHeader h;  h.zones[1] = {0, 2};   // two one-unit pages at 0x200, 0x300
//     h.UsedEnd() == 0x400
//     DecodeVxrHeader(EncodeVxrHeader(h)) == h
//
// A value type; safe to copy between threads.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zelvo {

inline constexpr std::size_t kVxrHeaderSize = 0x200;
inline constexpr std::size_t kVxrUnit = 256;
inline constexpr std::size_t kVxrZones = 60;  // range 0 and the zones 1..59
inline constexpr std::uint32_t kVxrNoPage = 0xFFFFFFFF;
// The last issued number stays below this (its highest byte below 0xFE), so
// that a new table or record can always be given the next one.
inline constexpr std::uint32_t kVxrNumbersEnd = 0xFE000000;

constexpr std::uint64_t VxrPageOffset(std::uint32_t reference) {
  return std::uint64_t{reference} * kVxrUnit + kVxrHeaderSize;
}

struct VxrZone {
  std::uint32_t start = 0;  // first reference
  std::uint32_t end = 0;    // one past the last unit

  bool operator==(const VxrZone&) const = default;
};

struct VxrHeader {
  std::uint32_t committedEnd = kVxrHeaderSize;
  std::uint32_t shadowEnd = kVxrHeaderSize;
  std::uint32_t lastNumber = 0;
  std::uint32_t changeCounter = 0;
  std::uint32_t root = kVxrNoPage;
  std::array<VxrZone, kVxrZones> zones{};

  bool operator==(const VxrHeader&) const = default;

  // The used end of the file: the end of the highest zone that holds pages
  // (range 0's end when none does), as a file offset.
  std::uint64_t UsedEnd() const;
};

std::array<std::uint8_t, kVxrHeaderSize> EncodeVxrHeader(const VxrHeader& header);

// nullopt for fewer than 512 bytes or a missing signature (not a VXR file).
std::optional<VxrHeader> DecodeVxrHeader(std::span<const std::uint8_t> bytes);

// Little-endian fields of the header and of the page headers.
inline std::uint32_t VxrLoad32(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}
inline std::uint16_t VxrLoad16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
inline void VxrStore32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void VxrStore16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace zelvo
