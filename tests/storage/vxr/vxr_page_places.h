// Where the pages of an indexed record file's image lie, for the tests that
// damage a file on purpose: each page of the header's zones with its length,
// its level above the leaves and, for a page above them, how many child
// references follow its 13 bytes of head.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "storage/vxr/internal/vxr_header.h"

namespace zelvo::testing_vxr {

struct VxrPagePlace {
  std::uint64_t offset;
  std::size_t length;
  std::uint8_t level;      // 0 for a leaf
  std::uint16_t children;  // a page above the leaves: its child references; 0 for a leaf
};

// REQUIRES: `bytes` begins with a header that decodes.
inline std::vector<VxrPagePlace> VxrPagePlaces(const std::string& bytes) {
  const auto image = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const VxrHeader h = *DecodeVxrHeader(image);
  std::vector<VxrPagePlace> pages;
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    for (std::uint32_t r = h.zones[i].start; r < h.zones[i].end; r += static_cast<std::uint32_t>(i)) {
      const std::uint64_t at = VxrPageOffset(r);
      const std::uint8_t level = image[at + 12];
      pages.push_back({at, i * kVxrUnit, level, level != 0 ? VxrLoad16(image, at + 10) : std::uint16_t{0}});
    }
  }
  return pages;
}

}  // namespace zelvo::testing_vxr
