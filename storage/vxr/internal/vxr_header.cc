#include "storage/vxr/internal/vxr_header.h"

#include <cstring>

namespace zelvo {
namespace {

constexpr char kSignature[4] = {'q', 'U', 'i', 'L'};
constexpr std::size_t kStarts = 32;
constexpr std::size_t kEnds = 272;

}  // namespace

std::uint64_t VxrHeader::UsedEnd() const {
  for (std::size_t i = kVxrZones - 1; i >= 1; --i) {
    if (zones[i].start != zones[i].end) return VxrPageOffset(zones[i].end);
  }
  return VxrPageOffset(zones[0].end);
}

std::array<std::uint8_t, kVxrHeaderSize> EncodeVxrHeader(const VxrHeader& header) {
  std::array<std::uint8_t, kVxrHeaderSize> bytes{};
  std::span<std::uint8_t> b(bytes);
  VxrStore16(b, 4, kVxrHeaderSize);
  VxrStore32(b, 6, header.committedEnd);
  VxrStore32(b, 10, header.shadowEnd);
  std::memcpy(&bytes[14], kSignature, 4);
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[20 + i] = static_cast<std::uint8_t>(header.lastNumber >> (8 * (3 - i)));
  }
  VxrStore32(b, 24, header.changeCounter);
  VxrStore32(b, 28, header.root);
  for (std::size_t i = 0; i < kVxrZones; ++i) {
    VxrStore32(b, kStarts + 4 * i, header.zones[i].start);
    VxrStore32(b, kEnds + 4 * i, header.zones[i].end);
  }
  return bytes;
}

std::optional<VxrHeader> DecodeVxrHeader(std::span<const std::uint8_t> b) {
  if (b.size() < kVxrHeaderSize || std::memcmp(&b[14], kSignature, 4) != 0) return std::nullopt;
  VxrHeader header;
  header.committedEnd = VxrLoad32(b, 6);
  header.shadowEnd = VxrLoad32(b, 10);
  header.lastNumber = std::uint32_t{b[20]} << 24 | std::uint32_t{b[21]} << 16 |
                      std::uint32_t{b[22]} << 8 | b[23];
  header.changeCounter = VxrLoad32(b, 24);
  header.root = VxrLoad32(b, 28);
  for (std::size_t i = 0; i < kVxrZones; ++i) {
    header.zones[i] = {VxrLoad32(b, kStarts + 4 * i), VxrLoad32(b, kEnds + 4 * i)};
  }
  return header;
}

}  // namespace zelvo
