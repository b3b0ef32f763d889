#include "storage/vxr/internal/vxr_key_upkeep.h"

#include <gtest/gtest.h>

#include "tests/storage/vxr/vxr_key_fixture.h"
#include "tests/storage/vxr/vxr_key_test_support.h"

namespace zelvo {
namespace {

using testing_vxr::FlakySet;
using testing_vxr::kFamKey;
using testing_vxr::kNumKey;
using testing_vxr::kUchKey;
using Upkeep = testing_vxr::StaffTable;
using V = std::vector<std::uint32_t>;

TEST_F(Upkeep, AddPutAndDeleteKeepEntriesAndCountsInStep) {
  ASSERT_EQ(Add(Staff(10, "ivanov")), ErrorCode::Ok);  // 1
  ASSERT_EQ(Add(Staff(11, "IVANOV")), ErrorCode::Ok);  // 2
  ASSERT_EQ(Add(Staff(12, "Abakumov")), ErrorCode::Ok);  // 3
  ASSERT_EQ(Add(Staff(13, "        ")), ErrorCode::Ok);  // 4: no surname entry
  // NOCASE: both spellings are one value, ordered by record number.
  EXPECT_EQ(InKeyOrder(kFamKey), (V{3, 1, 2}));
  EXPECT_EQ(InKeyOrder(kNumKey), (V{1, 2, 3, 4}));
  EXPECT_EQ(Count(kFamKey), 3u);
  EXPECT_EQ(Count(kNumKey), 4u);

  ASSERT_EQ(Put(3, Staff(9, "Zotov")), ErrorCode::Ok);
  EXPECT_EQ(InKeyOrder(kFamKey), (V{1, 2, 3}));
  EXPECT_EQ(InKeyOrder(kNumKey), (V{3, 1, 2, 4}));
  ASSERT_EQ(Put(4, Staff(13, "Belov")), ErrorCode::Ok);  // gains its surname entry
  ASSERT_EQ(Put(1, Staff(10, "")), ErrorCode::Ok);       // loses it
  EXPECT_EQ(InKeyOrder(kFamKey), (V{4, 2, 3}));
  EXPECT_EQ(Count(kFamKey), 3u);

  ASSERT_EQ(Delete(2), ErrorCode::Ok);
  EXPECT_EQ(InKeyOrder(kFamKey), (V{4, 3}));
  EXPECT_EQ(InKeyOrder(kNumKey), (V{3, 1, 4}));
  EXPECT_EQ(InKeyOrder(kUchKey), (V{1, 4, 3}));
  EXPECT_EQ(Count(kFamKey), 2u);
  EXPECT_EQ(Count(kNumKey), 3u);
  EXPECT_EQ(Count(kUchKey), 3u);
}

TEST_F(Upkeep, EntriesHaveTheFileLayout) {
  ASSERT_EQ(Add(Staff(1, "AB")), ErrorCode::Ok);
  using testing_vxr::Hex;
  const auto all = Everything();
  ASSERT_EQ(all.size(), 8u);  // three entries, the data record, then four counters
  // Surname (DUP): value and record number in the key part, no data part.
  EXPECT_EQ(Hex(all[0].first), "00 00 00 07 00 41 42 20 20 20 20 20 20 00 00 00 01");
  EXPECT_EQ(all[0].second, "");
  // Number (no DUP): the record number is the data part.
  EXPECT_EQ(Hex(all[1].first), "00 00 00 07 01 80 00 00 01");
  EXPECT_EQ(Hex(all[1].second), "00 00 00 01");
  EXPECT_EQ(Hex(all[2].first), "00 00 00 07 02 80 01 41 42 20 20 20 20 20 20 00 00 00 01");
  EXPECT_EQ(Hex(all[3].first), "00 00 00 07 F3 00 00 00 01");
  EXPECT_EQ(Hex(all[4].first), "00 00 00 07 F6 00");
  EXPECT_EQ(Hex(all[7].first), "00 00 00 07 F6 F3");
  EXPECT_EQ(Hex(all[4].second), "01 00 00 00 00 00 00 00");
}

TEST_F(Upkeep, DuplicateNumberIsRefusedAndEveryEarlierKeyPutBack) {
  ASSERT_EQ(Add(Staff(5, "Petrov")), ErrorCode::Ok);
  ASSERT_EQ(Add(Staff(6, "Sidorov")), ErrorCode::Ok);
  const auto before = Everything();
  const std::uint32_t famCount = Count(kFamKey);

  // ADD: the surname entry was written first and is gone again; no data record.
  EXPECT_EQ(Add(Staff(5, "Ivanov")), ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(Everything(), before);
  EXPECT_EQ(Count(kFamKey), famCount);

  // PUT onto another record's number: the changed surname goes back too.
  EXPECT_EQ(Put(2, Staff(5, "Smirnov", 3)), ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(Everything(), before);
  // A record may keep its own number.
  EXPECT_EQ(Put(2, Staff(6, "Smirnov")), ErrorCode::Ok);
}

TEST_F(Upkeep, PutThatChangesNoKeyFieldTouchesNothing) {
  ASSERT_EQ(Add(Staff(5, "Petrov", 2)), ErrorCode::Ok);
  FlakySet counted(records);
  const RecordBuffer same = Staff(5, "PETROV", 2);  // other case, same NOCASE value
  ASSERT_EQ(MaintainVxrKeys(counted, table, 1, stored.at(1).Bytes(), same.Bytes()).code,
            ErrorCode::Ok);
  // The section key is not NOCASE: its entry changes, the others stay.
  EXPECT_EQ(counted.changes, 2u);  // one entry in, one out; counts unchanged
  counted.changes = 0;
  ASSERT_EQ(MaintainVxrKeys(counted, table, 1, same.Bytes(), same.Bytes()).code, ErrorCode::Ok);
  EXPECT_EQ(counted.changes, 0u);
}

// A write fault at any change of an ADD or a PUT leaves the set as it was.
TEST_F(Upkeep, WriteFaultAnywherePutsEverythingBack) {
  ASSERT_EQ(Add(Staff(5, "Petrov")), ErrorCode::Ok);
  ASSERT_EQ(Add(Staff(6, "Sidorov")), ErrorCode::Ok);
  const auto before = Everything();
  const VxrMemoryRecords saved = records;
  for (int operation = 0; operation < 2; ++operation) {
    for (std::uint64_t fail = 1;; ++fail) {
      FlakySet flaky(records);
      flaky.failChange = fail;
      const RecordBuffer image = Staff(7, "Orlov", 4);
      const std::uint32_t number = operation == 0 ? lastNumber + 1 : 2;
      const VxrStatus status =
          MaintainVxrKeys(flaky, table, number, operation == 0 ? std::nullopt : RecordImage(stored.at(2).Bytes()),
                          image.Bytes());
      if (status.Ok()) {
        EXPECT_GT(fail, 3u) << "every key changes";
        break;
      }
      EXPECT_EQ(Number(status.code), 329) << operation << " fault at change " << fail;
      EXPECT_EQ(Everything(), before) << operation << " fault at change " << fail;
    }
    records = saved;
  }
}

TEST_F(Upkeep, PartlyBuiltAndDynamicKeys) {
  for (int i = 0; i < 6; ++i) ASSERT_EQ(Add(Staff(i + 1, "Name")), ErrorCode::Ok);
  // The surname key is built up to record 5; the section key lives elsewhere.
  keys[kFamKey].attributes |= kVxrKeyPartial;
  keys[kUchKey].attributes |= kVxrKeyDynamic;
  ASSERT_TRUE(WriteVxrCounters(records, kTable, kFamKey, {6, 5}).Ok());
  const auto famBefore = InKeyOrder(kFamKey);
  const auto uchBefore = InKeyOrder(kUchKey);

  // At or above the build limit no entries change, nor on a dynamic key.
  ASSERT_EQ(Put(6, Staff(6, "Other", 9)), ErrorCode::Ok);
  ASSERT_EQ(Add(Staff(7, "Other", 9)), ErrorCode::Ok);
  EXPECT_EQ(ReadVxrCounters(records, kTable, kFamKey).counters.second, 5u);
  // Below it a change lowers the limit and leaves the entries to the build.
  ASSERT_EQ(Put(3, Staff(3, "Other")), ErrorCode::Ok);
  EXPECT_EQ(ReadVxrCounters(records, kTable, kFamKey).counters.second, 3u);
  ASSERT_EQ(Put(4, Staff(4, "Other")), ErrorCode::Ok);  // now at the limit: never raised
  EXPECT_EQ(ReadVxrCounters(records, kTable, kFamKey).counters.second, 3u);
  EXPECT_EQ(InKeyOrder(kFamKey), famBefore);
  EXPECT_EQ(InKeyOrder(kUchKey), uchBefore);
  EXPECT_EQ(InKeyOrder(kNumKey), (V{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(Upkeep, OldEntryOfAnotherRecordIsLeftAlone) {
  // A record appended without its keys, then changed: there is no old entry
  // to take out, and another record's entry of the old value stays.
  ASSERT_EQ(Add(Staff(5, "Petrov")), ErrorCode::Ok);
  const RecordBuffer appended = Staff(5, "Petrov");
  const RecordBuffer changed = Staff(8, "Petrov");
  ASSERT_EQ(MaintainVxrKeys(records, table, 9, appended.Bytes(), changed.Bytes()).code, ErrorCode::Ok);
  EXPECT_EQ(InKeyOrder(kNumKey), (V{1, 9}));
  EXPECT_EQ(Count(kNumKey), 2u);
}

}  // namespace
}  // namespace zelvo
