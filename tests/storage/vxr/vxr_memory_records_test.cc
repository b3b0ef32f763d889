#include "storage/vxr/internal/vxr_memory_records.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo {
namespace {

using std::string_literals::operator""s;

TEST(VxrKeyOrder, UnsignedBytesThenShorterFirst) {
  struct Case {
    std::string a, b;
    int order;
  };
  const Case cases[] = {
      {"A", "B", -1},
      {"\x7F", "\x80", -1},         // unsigned: 0x80 above 0x7F
      {"\xFF", "\x01", 1},
      {"AB", "ABC", -1},            // shorter first when the shorter is a prefix
      {"ABC", "AB", 1},
      {"ABC", "ABC", 0},
      {"", "\x00"s, -1},
      {"\x00\x01"s, "\x00"s, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVxrKeys(c.a, c.b), c.order) << c.a << " vs " << c.b;
  }
}

TEST(VxrMemoryRecords, InsertFindStepAndErase) {
  VxrMemoryRecords records;
  EXPECT_EQ(records.First().status.code, ErrorCode::RecordNotFound);
  ASSERT_TRUE(records.Insert("B", "2").Ok());
  ASSERT_TRUE(records.Insert("A", "1").Ok());
  ASSERT_TRUE(records.Insert("BA", "3").Ok());
  EXPECT_EQ(records.Insert("A", "x").code, ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(records.Find("A").record.data, "1");

  EXPECT_EQ(records.First().record.key, "A");
  EXPECT_EQ(records.Last().record.key, "BA");
  EXPECT_EQ(records.Next("A").record.key, "B");
  EXPECT_EQ(records.Next("AZ").record.key, "B");  // from a key part that is not there
  EXPECT_EQ(records.Previous("B").record.key, "A");
  EXPECT_EQ(records.LowerBound("B").record.key, "B");
  EXPECT_EQ(records.Next("BA").status.code, ErrorCode::RecordNotFound);
  EXPECT_EQ(records.Previous("A").status.code, ErrorCode::RecordNotFound);

  ASSERT_TRUE(records.Update("B", "22").Ok());
  EXPECT_EQ(records.Find("B").record.data, "22");
  ASSERT_TRUE(records.Erase("B").Ok());
  EXPECT_EQ(records.Erase("B").code, ErrorCode::RecordNotFound);
  EXPECT_EQ(records.Next("A").record.key, "BA");
}

}  // namespace
}  // namespace zelvo
