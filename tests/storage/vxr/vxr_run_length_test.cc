#include "storage/vxr/internal/vxr_run_length.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo {
namespace {

using std::string_literals::operator""s;

TEST(VxrCount, Base128LittleEndian) {
  struct Case {
    std::size_t count;
    std::string bytes;
  };
  const Case cases[] = {
      {0, "\x00"s}, {127, "\x7F"}, {128, "\x80\x01"}, {200, "\xC8\x01"}, {16384, "\x80\x80\x01"},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendVxrCount(out, c.count);
    EXPECT_EQ(out, c.bytes) << c.count;
    std::size_t pos = 0;
    EXPECT_EQ(ReadVxrCount(out, pos), c.count);
    EXPECT_EQ(pos, out.size());
  }
}

TEST(VxrCount, DamagedCountsAreRefused) {
  for (const std::string& text : {""s, "\x80"s, "\xFF\xFF\xFF\xFF\xFF\x01"s, "\xFF\xFF\xFF\xFF\x7F"s}) {
    std::size_t pos = 0;
    EXPECT_FALSE(ReadVxrCount(text, pos).has_value()) << testing::PrintToString(text);
  }
}

TEST(VxrRunLength, CompressesRunsOfFourOrMore) {
  struct Case {
    std::string bytes;
    std::optional<std::string> compressed;
  };
  const Case cases[] = {
      {"AB" + std::string(10, ' '), "\x03" "AB \x09\x00"s},
      {"ABCDEFGH", std::nullopt},                        // no run at all
      {"AAAB", std::nullopt},                            // a run of three is not folded
      {"AAAA", std::nullopt},                            // 01 41 03 00 is not smaller
      {std::string(12, 'x') + "yz", "\x01x\x0B\x02yz"s},  // a run at the start
      {std::string(8, 'a') + std::string(8, 'b'), "\x01" "a\x07\x01" "b\x07\x00"s},
      {std::string(300, 0), "\x01\x00\xAB\x02\x00"s},    // a repeat count of 299 takes two bytes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompressVxrRuns(c.bytes), c.compressed) << testing::PrintToString(c.bytes);
    if (c.compressed) {
      EXPECT_EQ(DecompressVxrRuns(*c.compressed, c.bytes.size()), c.bytes);
    }
  }
}

TEST(VxrRunLength, DamagedTextIsRefused) {
  struct Case {
    std::string text;
    std::size_t expected;
  };
  const Case cases[] = {
      {"\x03" "AB \x09\x00"s, 11},   // the repeat reaches beyond the bytes expected
      {"\x03" "AB \x09\x00"s, 13},   // ends before the bytes expected
      {"\x05" "AB"s, 2},             // literal count beyond the bytes expected
      {"\x05" "AB"s, 5},             // literal count beyond the text
      {"\x00\x04\x00"s, 4},          // a repeat with no byte before it
      {"\x01" "A\x01\x00\x00"s, 2},  // text goes on after the last pair
      {"", 0},                       // not even a literal count
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(DecompressVxrRuns(c.text, c.expected).has_value())
        << testing::PrintToString(c.text) << " for " << c.expected;
  }
}

}  // namespace
}  // namespace zelvo
