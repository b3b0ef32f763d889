#include "storage/vxr/internal/vxr_page.h"

#include <gtest/gtest.h>

#include <string>

#include "storage/vxr/internal/vxr_corruption.h"

namespace zelvo {
namespace {

using std::string_literals::operator""s;

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string DataKey(std::uint8_t last) { return "\x00\x00\x00\x01\xF3\x00\x00\x00"s + char(last); }

TEST(VxrPage, NeighbouringDataRecordsShareTheirPrefix) {
  VxrPage page;
  page.records = {{DataKey(5), "abcdefgh"}, {DataKey(6), "ABCDEFGH"}};
  const std::string bytes = EncodeVxrPage(page, 0x200);
  const std::string expected =
      "\x00\x02\x00\x00"s "\x2D\x00" "\x2D\x00" "\x39\x00" "\x02\x00" "\x00"s  // header
      "\xC0\x11\x00\x09\x00"s + DataKey(5) + "abcdefgh" +                      // first: both lengths
      "\x08"s + "\x06" "ABCDEFGH";                                            // second: flags 8
  EXPECT_EQ(bytes, expected);
  const VxrPageDecode back = DecodeVxrPage(Bytes(bytes), 0x200);
  ASSERT_TRUE(back.status.Ok());
  EXPECT_EQ(back.page.records.size(), 2u);
  EXPECT_EQ(back.page.records[1].key, DataKey(6));
  EXPECT_EQ(back.page.records[1].data, "ABCDEFGH");
}

TEST(VxrPage, RecordPartWithoutRunsIsStoredAsIs) {
  VxrPage page;
  page.records = {{"key", "data"}};
  const std::string bytes = EncodeVxrPage(page, 0x300);
  EXPECT_EQ(VxrStoredSize(Bytes(bytes)), bytes.size());
  EXPECT_EQ(bytes.substr(4, 2), bytes.substr(6, 2));  // stored size == uncompressed size
}

TEST(VxrPage, InnerPageWithRunsRoundTrips) {
  VxrPage page;
  page.level = 1;
  page.records = {{"A", std::string(100, ' ')}, {"B", std::string(50, '0')}};
  page.children = {7, 0x01020304};
  const std::string bytes = EncodeVxrPage(page, 0x1000);
  EXPECT_LT(VxrStoredSize(Bytes(bytes)), 100u);  // compressed
  EXPECT_EQ(bytes.substr(13, 8), "\x07\x00\x00\x00\x04\x03\x02\x01"s);
  const VxrPageDecode back = DecodeVxrPage(Bytes(bytes), 0x1000);
  ASSERT_TRUE(back.status.Ok());
  EXPECT_EQ(back.page.level, 1);
  EXPECT_EQ(back.page.children, page.children);
  EXPECT_EQ(back.page.records[0].data, page.records[0].data);
  EXPECT_EQ(back.page.records[1].data, page.records[1].data);
}

TEST(VxrPage, DamagedPagesAreCorruption) {
  VxrPage page;
  page.records = {{"A", "1"}, {"B", "abcdefghijkl"}};
  const std::string good = EncodeVxrPage(page, 0x200);
  struct Case {
    const char* what;
    std::string bytes;
    int check;
  };
  auto with = [&](std::size_t at, char c) {
    std::string s = good;
    s[at] = c;
    return s;
  };
  const Case cases[] = {
      {"another home", with(1, 0x03), kVxrPageHome},
      {"cut short", good.substr(0, good.size() - 1), kVxrPageSize},
      {"no header", good.substr(0, 12), kVxrPageSize},
      {"uncompressed size grown", with(6, static_cast<char>(good[6] + 1)), kVxrPageRuns},
      {"one record more", with(10, 3), kVxrPageRecords},
      {"one record less", with(10, 1), kVxrPageRecords},
      {"first record reuses", with(13, '\xC1'), kVxrPageRecords},
      {"a leaf read as an inner page", with(12, 1), kVxrPageRecords},
  };
  for (const Case& c : cases) {
    const VxrPageDecode d = DecodeVxrPage(Bytes(c.bytes), 0x200);
    EXPECT_EQ(d.status.code, ErrorCode::FileSystemError) << c.what;
    EXPECT_EQ(d.status.corruption, c.check) << c.what;
  }
  VxrPage unordered;
  unordered.records = {{"B", ""}, {"A", ""}};
  EXPECT_EQ(DecodeVxrPage(Bytes(EncodeVxrPage(unordered, 0x200)), 0x200).status.corruption,
            kVxrPageOrder);
}

TEST(VxrPage, SplitLimits) {
  VxrPage page;
  for (int i = 0; i < 21; ++i) page.records.push_back({std::string(1, char('a' + i)), std::string(190, 'x')});
  EXPECT_TRUE(page.NeedsSplit());  // over 4096 with more than 20 records
  page.records.pop_back();
  EXPECT_FALSE(page.NeedsSplit());
  VxrPage big;
  big.records = {{"a", std::string(kVxrMaxRecord - 1, 'x')}, {"b", std::string(kVxrMaxRecord - 1, 'y')}};
  big.level = 1;
  big.children = {1, 2};
  EXPECT_FALSE(big.NeedsSplit());  // two of the largest records always fit
}

}  // namespace
}  // namespace zelvo
