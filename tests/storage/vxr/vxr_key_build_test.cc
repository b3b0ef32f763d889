#include "storage/vxr/internal/vxr_key_build.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/testing/faulty_file_system.h"
#include "tests/storage/vxr/vxr_key_fixture.h"
#include "tests/testing/scoped_file_system.h"

namespace zelvo {
namespace {

using testing_vxr::kFamKey;
using testing_vxr::kNumKey;
using testing_vxr::kUchKey;
using testing_support::ScopedFileSystem;
using V = std::vector<std::uint32_t>;

class KeyBuild : public testing_vxr::StaffTable {
 protected:
  // `count` employees, numbers 1.., some with blank surnames, through ADD.
  static void AddStaff(testing_vxr::StaffModel& table, int count) {
    for (int i = 1; i <= count; ++i) {
      const std::string fam = i % 7 == 0 ? "" : "F" + std::to_string((i * 37) % 101);
      ASSERT_EQ(table.Add(Staff(i, fam, i % 3)), ErrorCode::Ok);
    }
  }
  void AddStaff(int count) { AddStaff(*this, count); }
  // The same, written as APPEND does: data records only, keys left to a build.
  void AppendStaff(int from, int count) {
    for (int i = from; i < from + count; ++i) {
      const std::string fam = i % 7 == 0 ? "" : "F" + std::to_string((i * 37) % 101);
      ASSERT_EQ(Append(++lastNumber, Staff(i, fam, i % 3), records), ErrorCode::Ok);
    }
  }
  void MarkPartial(const std::vector<std::uint8_t>& numbers, bool partial = true) {
    for (std::uint8_t k : numbers) {
      if (partial) {
        keys[k].attributes |= kVxrKeyPartial;
      } else {
        keys[k].attributes &= static_cast<std::uint8_t>(~kVxrKeyPartial);
      }
    }
  }
};

// The entries a build makes are the ones upkeep makes, whatever the batch
// size and whether or not the sort store spills.
TEST_F(KeyBuild, FullBuildGivesWhatUpkeepGives) {
  for (const std::size_t batch : {std::size_t{0}, std::size_t{7}, std::size_t{4096}}) {
    records = {};
    stored.clear();
    lastNumber = 0;
    AddStaff(1500);  // about 25000 bytes of surname entries: the sort store spills
    const auto expected = Everything();
    // Damage the keys: a stray entry, a lost one, a wrong count.
    ASSERT_TRUE(records.Insert(VxrKeyPrefix(kTable, kNumKey) + "junk", "").Ok());
    ASSERT_TRUE(records.Erase(MakeVxrKeyEntry(keys[kFamKey], kTable,
                                              EncodeVxrKeyValue(keys[kFamKey], stored.at(1).Bytes()), 1).key)
                    .Ok());
    ASSERT_TRUE(WriteVxrCounters(records, kTable, kUchKey, {3, 0}).Ok());

    int checkpoints = 0;
    VxrBuildHooks hooks;
    hooks.batchRecords = batch;
    hooks.checkpoint = [&] {
      ++checkpoints;
      // The counters tell how far the build got.
      const VxrCounters c = ReadVxrCounters(records, kTable, kUchKey).counters;
      if (c.second != 0) {
        EXPECT_EQ(c.count, c.second - 1) << "every record has a section entry";
      }
      return ErrorCode::Ok;
    };
    const VxrBuildKeysResult built = BuildVxrKeys(records, table, /*fullBuild=*/true, hooks);
    ASSERT_TRUE(built.status.Ok()) << batch;
    EXPECT_EQ(built.buildLimits, (V{0, 0, 0}));
    EXPECT_EQ(Everything(), expected) << batch;
    const int perBatch = std::max(1, static_cast<int>(batch));
    EXPECT_EQ(checkpoints, 3 * ((1500 + perBatch - 1) / perBatch - 1)) << batch;
  }
  EXPECT_LT(Count(kFamKey), Count(kNumKey)) << "blank surnames have no entry";
}

TEST_F(KeyBuild, WithoutFullBuildOnlyPartlyBuiltKeysChange) {
  AddStaff(20);
  ASSERT_TRUE(records.Erase(MakeVxrKeyEntry(keys[kNumKey], kTable,
                                            EncodeVxrKeyValue(keys[kNumKey], stored.at(3).Bytes()), 3).key)
                  .Ok());
  const auto before = Everything();
  const VxrBuildKeysResult built = BuildVxrKeys(records, table, false);
  ASSERT_TRUE(built.status.Ok());
  EXPECT_EQ(Everything(), before) << "keys never partly built are left as they are";
}

TEST_F(KeyBuild, AppendedRecordsGetTheirEntriesFromTheNextBuild) {
  AddStaff(10);
  const V famBefore = InKeyOrder(kFamKey);
  AppendStaff(11, 8);
  VxrMarkResult marked = MarkVxrKeysUnbuilt(records, table, 11);
  ASSERT_TRUE(marked.status.Ok());
  EXPECT_EQ(marked.partialKeys, (std::vector<std::uint8_t>{0, 1, 2}));
  MarkPartial(marked.partialKeys);
  marked = MarkVxrKeysUnbuilt(records, table, 15);  // a later APPEND never raises the limit
  EXPECT_EQ(ReadVxrCounters(records, kTable, kNumKey).counters.second, 11u);
  EXPECT_EQ(InKeyOrder(kFamKey), famBefore);

  // While partly built, a change below the limit is left to the build too.
  ASSERT_EQ(Put(4, Staff(4, "Changed", 2)), ErrorCode::Ok);
  EXPECT_EQ(ReadVxrCounters(records, kTable, kFamKey).counters.second, 4u);

  const VxrBuildKeysResult built = BuildVxrKeys(records, table, false);
  ASSERT_TRUE(built.status.Ok());
  EXPECT_EQ(built.buildLimits, (V{0, 0, 0}));
  MarkPartial({0, 1, 2}, false);

  // The same table made by ADD and PUT alone has the same entries.
  testing_vxr::StaffModel reference;
  AddStaff(reference, 18);
  ASSERT_EQ(reference.Put(4, Staff(4, "Changed", 2)), ErrorCode::Ok);
  EXPECT_EQ(Everything(), reference.Everything());
}

TEST_F(KeyBuild, ValueMetTwiceInAUniqueKeyStopsTheBuildWhereItCanGoOn) {
  AddStaff(5);
  AppendStaff(3, 2);  // records 6 and 7 repeat numbers 3 and 4
  MarkPartial({kNumKey});
  ASSERT_TRUE(MarkVxrKeysUnbuilt(records, table, 6).status.Ok());
  const VxrBuildResult failed = BuildVxrKey(records, table, keys[kNumKey], false);
  EXPECT_EQ(failed.status.code, ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(failed.buildLimit, 6u);
  EXPECT_EQ(ReadVxrCounters(records, kTable, kNumKey).counters.second, 6u);

  // Once the records are mended the next build finishes the key.
  ASSERT_TRUE(records.Update(VxrDataRecordKey(kTable, 6), AsText(Staff(16, "A"))).Ok());
  ASSERT_TRUE(records.Update(VxrDataRecordKey(kTable, 7), AsText(Staff(17, "B"))).Ok());
  const VxrBuildResult finished = BuildVxrKey(records, table, keys[kNumKey], false);
  ASSERT_TRUE(finished.status.Ok());
  EXPECT_EQ(finished.buildLimit, 0u);
  EXPECT_EQ(InKeyOrder(kNumKey), (V{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Count(kNumKey), 7u);
}

TEST_F(KeyBuild, ProgressCancelAndCheckpointFailure) {
  AddStaff(50);
  std::vector<int> seen;
  VxrBuildHooks hooks;
  hooks.progress = [&](int percent) {
    seen.push_back(percent);
    return true;
  };
  ASSERT_TRUE(BuildVxrKey(records, table, keys[kFamKey], true, hooks).status.Ok());
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 100);

  hooks.progress = [](int percent) { return percent < 40; };
  const VxrBuildResult cancelled = BuildVxrKey(records, table, keys[kFamKey], true, hooks);
  EXPECT_EQ(cancelled.status.code, ErrorCode::BuildCancelled);
  EXPECT_NE(cancelled.buildLimit, 0u);

  hooks.progress = nullptr;
  hooks.batchRecords = 10;
  hooks.checkpoint = [] { return ErrorCode{329}; };
  const VxrBuildResult unwritten = BuildVxrKey(records, table, keys[kFamKey], true, hooks);
  EXPECT_EQ(Number(unwritten.status.code), 329);
  EXPECT_EQ(unwritten.buildLimit, 11u);
}

TEST_F(KeyBuild, SortStoreFailureEndsTheBuild) {
  AddStaff(1500);
  FaultyFileSystem faulty;
  faulty.plan.failWrite = 1;
  const VxrBuildResult built = [&] {
    ScopedFileSystem use(faulty);
    return BuildVxrKey(records, table, keys[kFamKey], true);
  }();
  EXPECT_GT(Number(built.status.code), 300);
  EXPECT_EQ(built.buildLimit, 1u);
}

}  // namespace
}  // namespace zelvo
