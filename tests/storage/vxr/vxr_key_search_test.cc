#include "storage/vxr/internal/vxr_key_search.h"

#include <gtest/gtest.h>

#include "storage/vxr/internal/vxr_key_duplicate.h"
#include "storage/vxr/internal/vxr_key_position.h"
#include "tests/storage/vxr/vxr_key_fixture.h"
#include "tests/storage/vxr/vxr_key_test_support.h"

namespace zelvo {
namespace {

using testing_vxr::kFamKey;
using testing_vxr::kNumKey;
using testing_vxr::kUchKey;
using V = std::vector<std::uint32_t>;

class KeySearch : public testing_vxr::StaffTable {
 protected:
  void SetUp() override {
    ASSERT_EQ(Add(Staff(20, "Ivanov", 2)), ErrorCode::Ok);   // 1
    ASSERT_EQ(Add(Staff(10, "Petrov", 1)), ErrorCode::Ok);   // 2
    ASSERT_EQ(Add(Staff(30, "IVANOV", 1)), ErrorCode::Ok);   // 3
    ASSERT_EQ(Add(Staff(40, "", 1)), ErrorCode::Ok);         // 4: no surname entry
  }

  std::string Value(std::uint8_t key, const RecordBuffer& r) {
    return EncodeVxrKeyValue(keys[key], r.Bytes(), table.text);
  }

  // Steps from `place` until the walk ends, answering the record numbers.
  V Walk(std::uint8_t key, VxrKeyPlace place, KeyDirection direction) {
    V numbers;
    for (;;) {
      const VxrKeyHit hit = StepVxrKey(records, table, keys[key], place, direction);
      if (!hit.Found()) {
        EXPECT_EQ(hit.status.code, ErrorCode::RecordNotAvailable);
        return numbers;
      }
      numbers.push_back(hit.recordNumber);
    }
  }
};

TEST_F(KeySearch, FindsTheLowestNumberedRecordOfAValue) {
  struct Case {
    const char* what;
    std::uint8_t key;
    RecordBuffer buffer;
    ErrorCode code;
    std::uint32_t record;
  };
  const std::vector<Case> cases = {
      {"DUP key, first of equal values", kFamKey, Staff(0, "ivanov"), ErrorCode::Ok, 1},
      {"DUP key, one record", kFamKey, Staff(0, "PETROV"), ErrorCode::Ok, 2},
      {"DUP key, a value between two", kFamKey, Staff(0, "Ivanova"), ErrorCode::RecordNotFound, 0},
      {"DUP key, a value above all", kFamKey, Staff(0, "Zzz"), ErrorCode::RecordNotFound, 0},
      {"OPT leaves a blank surname without entry", kFamKey, Staff(0, ""), ErrorCode::RecordNotFound, 0},
      {"unique key, exact", kNumKey, Staff(30, "x"), ErrorCode::Ok, 3},
      {"unique key, missing", kNumKey, Staff(31, "x"), ErrorCode::RecordNotFound, 0},
      {"two components", kUchKey, Staff(0, "IVANOV", 1), ErrorCode::Ok, 3},
  };
  for (const Case& c : cases) {
    const VxrKeyHit hit = FindVxrKeyEntry(records, table, keys[c.key], c.buffer.Bytes());
    EXPECT_EQ(hit.status.code, c.code) << c.what;
    if (hit.Found()) {
      EXPECT_EQ(hit.recordNumber, c.record) << c.what;
    }
  }
}

TEST_F(KeySearch, WalksEachKeyInItsOwnOrderBothWays) {
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::Ends(table, keys[kFamKey]), KeyDirection::Next), (V{1, 3, 2}));
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::Ends(table, keys[kFamKey]), KeyDirection::Previous),
            (V{2, 3, 1}));
  EXPECT_EQ(Walk(kNumKey, VxrKeyPlace::Ends(table, keys[kNumKey]), KeyDirection::Next),
            (V{2, 1, 3, 4}));
  EXPECT_EQ(Walk(kUchKey, VxrKeyPlace::Ends(table, keys[kUchKey]), KeyDirection::Previous),
            (V{1, 2, 3, 4}));

  const std::string ivanov = Value(kFamKey, Staff(0, "Ivanov"));
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::AtValue(table, keys[kFamKey], ivanov), KeyDirection::Next),
            (V{1, 3, 2}));
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::AtValue(table, keys[kFamKey], ivanov), KeyDirection::Previous),
            (V{3, 1}));
  const std::string between = Value(kFamKey, Staff(0, "Ivanova"));
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::AtValue(table, keys[kFamKey], between), KeyDirection::Next),
            (V{2}));
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::AtValue(table, keys[kFamKey], between), KeyDirection::Previous),
            (V{3, 1}));
  const std::string twenty = Value(kNumKey, Staff(20, ""));
  EXPECT_EQ(Walk(kNumKey, VxrKeyPlace::AtValue(table, keys[kNumKey], twenty), KeyDirection::Previous),
            (V{1, 2}));
}

TEST_F(KeySearch, AnEmptyKeyEndsAtOnce) {
  ASSERT_EQ(Delete(1), ErrorCode::Ok);
  ASSERT_EQ(Delete(2), ErrorCode::Ok);
  ASSERT_EQ(Delete(3), ErrorCode::Ok);
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::Ends(table, keys[kFamKey]), KeyDirection::Next), (V{}));
  EXPECT_EQ(Walk(kFamKey, VxrKeyPlace::Ends(table, keys[kFamKey]), KeyDirection::Previous), (V{}));
}

TEST_F(KeySearch, SavedPositionFindsItsEntryOrItsNeighbour) {
  const VxrKey& fam = keys[kFamKey];
  const std::string position = VxrKeyPosition(fam, stored.at(3).Bytes(), 3);
  EXPECT_EQ(testing_vxr::Hex(position), "00 00 00 03 " + testing_vxr::Hex(Value(kFamKey, stored.at(3))));
  const std::optional<VxrKeyPositionParts> parts = ReadVxrKeyPosition(fam, position);
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->recordNumber, 3u);
  EXPECT_FALSE(ReadVxrKeyPosition(fam, position.substr(1)));
  EXPECT_FALSE(ReadVxrKeyPosition(fam, position + "x"));

  const VxrKeyPlace reset = VxrKeyPlace::AtEntry(table, fam, parts->value, parts->recordNumber);
  EXPECT_EQ(Walk(kFamKey, reset, KeyDirection::Next), (V{3, 2}));
  EXPECT_EQ(Walk(kFamKey, reset, KeyDirection::Previous), (V{3, 1}));
  // The record goes; the position continues with its neighbours.
  ASSERT_EQ(Delete(3), ErrorCode::Ok);
  EXPECT_EQ(Walk(kFamKey, reset, KeyDirection::Next), (V{2}));
  EXPECT_EQ(Walk(kFamKey, reset, KeyDirection::Previous), (V{1}));
}

TEST_F(KeySearch, WalkGoesOnPastChangesBetweenSteps) {
  const VxrKey& num = keys[kNumKey];
  VxrKeyPlace place = VxrKeyPlace::Ends(table, num);
  ASSERT_EQ(StepVxrKey(records, table, num, place, KeyDirection::Next).recordNumber, 2u);  // 10
  ASSERT_EQ(Delete(2), ErrorCode::Ok);        // the current record goes
  ASSERT_EQ(Add(Staff(15, "New")), ErrorCode::Ok);  // 5, between 10 and 20
  EXPECT_EQ(Walk(kNumKey, place, KeyDirection::Next), (V{5, 1, 3, 4}));
}

TEST_F(KeySearch, DuplicateChecks) {
  struct Case {
    const char* what;
    std::optional<std::uint8_t> key;  // none: every key
    RecordBuffer buffer;
    std::optional<std::uint32_t> current;
    bool duplicate;
  };
  const std::vector<Case> cases = {
      {"another record's number", kNumKey, Staff(30, "x"), std::nullopt, true},
      {"another record's number, current elsewhere", kNumKey, Staff(30, "x"), 2, true},
      {"the current record's own number", kNumKey, Staff(30, "x"), 3, false},
      {"a free number", kNumKey, Staff(31, "x"), std::nullopt, false},
      {"a DUP key never reports", kFamKey, Staff(0, "Ivanov"), std::nullopt, false},
      {"a record empty under OPT", kNumKey, Staff(0, ""), std::nullopt, false},
      {"all keys", std::nullopt, Staff(10, "Ivanov"), std::nullopt, true},
      {"all keys, own record", std::nullopt, Staff(10, "Ivanov"), 2, false},
  };
  for (const Case& c : cases) {
    const VxrDuplicateCheck check =
        c.key ? CheckVxrDuplicateKey(records, table, keys[*c.key], c.buffer.Bytes(), c.current)
              : CheckVxrDuplicate(records, table, c.buffer.Bytes(), c.current);
    EXPECT_TRUE(check.status.Ok()) << c.what;
    EXPECT_EQ(check.duplicate, c.duplicate) << c.what;
  }
}

TEST_F(KeySearch, DamagedEntryIsAConsistencyFailure) {
  // A surname entry whose key part lost its record number.
  const std::string prefix = VxrKeyPrefix(kTable, kFamKey);
  ASSERT_TRUE(records.Insert(prefix + "A", "").Ok());
  VxrKeyPlace place = VxrKeyPlace::Ends(table, keys[kFamKey]);
  EXPECT_EQ(StepVxrKey(records, table, keys[kFamKey], place, KeyDirection::Next).status.code,
            ErrorCode::FileSystemError);
}

}  // namespace
}  // namespace zelvo
