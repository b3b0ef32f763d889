#include "storage/vxr/internal/vxr_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelvo {
namespace {

TEST(VxrHeader, BytesAtTheirOffsets) {
  VxrHeader h;
  h.committedEnd = 0x1234;
  h.shadowEnd = 0x5678;
  h.lastNumber = 0x01020304;
  h.changeCounter = 7;
  h.root = 2;
  h.zones[1] = {0, 3};
  h.zones[59] = {0x11, 0x4C};
  const auto b = EncodeVxrHeader(h);
  const std::vector<std::uint8_t> start(b.begin(), b.begin() + 32);
  const std::vector<std::uint8_t> expected = {
      0, 0, 0, 0, 0x00, 0x02, 0x34, 0x12, 0, 0, 0x78, 0x56, 0, 0, 'q', 'U', 'i', 'L', 0, 0,
      0x01, 0x02, 0x03, 0x04,  // the last issued number is big-endian
      7, 0, 0, 0, 2, 0, 0, 0};
  EXPECT_EQ(start, expected);
  EXPECT_EQ(b[32 + 4], 0);     // zone 1 start
  EXPECT_EQ(b[272 + 4], 3);    // zone 1 end
  EXPECT_EQ(b[32 + 236], 0x11);
  EXPECT_EQ(b[272 + 236], 0x4C);
  EXPECT_EQ(DecodeVxrHeader(b), h);
}

TEST(VxrHeader, ShortOrForeignBytesAreNotAHeader) {
  const auto good = EncodeVxrHeader(VxrHeader{});
  EXPECT_FALSE(DecodeVxrHeader(std::span(good).first(511)).has_value());
  auto foreign = good;
  foreign[14] = 'Q';
  EXPECT_FALSE(DecodeVxrHeader(foreign).has_value());
}

TEST(VxrHeader, UsedEndIsTheEndOfTheHighestZoneWithPages) {
  VxrHeader h;
  EXPECT_EQ(h.UsedEnd(), 0x200u);  // no pages: range 0's end
  h.zones[1] = {0, 2};
  for (std::size_t i = 2; i < kVxrZones; ++i) h.zones[i] = {2, 2};
  EXPECT_EQ(h.UsedEnd(), 0x400u);
  h.zones[3] = {2, 8};
  for (std::size_t i = 4; i < kVxrZones; ++i) h.zones[i] = {8, 8};
  EXPECT_EQ(h.UsedEnd(), 8u * 256 + 0x200);
}

}  // namespace
}  // namespace zelvo
