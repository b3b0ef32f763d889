// Two stations on one indexed record file: commits seen, lost updates
// refused, holds and locks, interrupted writes read and repaired, and
// transactions over several files.
#include <chrono>
#include <fstream>
#include <iterator>

#include "storage/testing/faulty_file_system.h"
#include "storage/vxr/internal/vxr_header.h"
#include "tests/storage/vxr/vxr_station_fixture.h"
#include "tests/testing/manual_wait_clock.h"

namespace zelvo::testing_vxr {
namespace {

class VxrSharingTest : public StationTest {};

TEST_F(VxrSharingTest, EachStationSeesTheOthersCommitsAndAWatchedLostUpdateIsRefused) {
  Create("NBASA", {{1, "IVANOV"}, {2, "PETROV"}});
  File a(Table()), b(Table("NBASA", true));
  ASSERT_EQ(Open(a), ErrorCode::Ok);
  ASSERT_EQ(Open(b), ErrorCode::Ok);
  Set(a, 3, "SIDOROV");
  ASSERT_EQ(Do(a, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(b), (Content{{1, "IVANOV"}, {2, "PETROV"}, {3, "SIDOROV"}}));

  // Both read record 1, B with a watch; A changes it first.
  ASSERT_EQ(Do(b, Op::WATCH), ErrorCode::Ok);
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 1), ErrorCode::Ok);
  Set(a, 1, "IVANOVA");
  ASSERT_EQ(Do(a, Op::PUT), ErrorCode::Ok);
  Set(b, 1, "IVANOV2");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::RecordChangedByAnotherStation);
  // Read again with a watch, the change goes through.
  ASSERT_EQ(Do(b, Op::WATCH), ErrorCode::Ok);
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);
  EXPECT_EQ(Fam(b), "IVANOVA");
  Set(b, 1, "IVANOV2");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 1), ErrorCode::Ok);
  EXPECT_EQ(Fam(a), "IVANOV2");
  // A watch holds for the one read it was armed for: a record read after it
  // without one is written whatever happened to the watched one.
  ASSERT_EQ(Do(b, Op::WATCH), ErrorCode::Ok);
  ASSERT_EQ(Get(b, 3), ErrorCode::Ok);
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);
  Set(b, 1, "IVANOV3");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::Ok);
  Set(b, 1, "IVANOV2");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::Ok);
  // B deletes what A still reads as current: A's PUT of it finds nothing.
  ASSERT_EQ(Get(b, 2), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 2), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::DELETE), ErrorCode::Ok);
  Set(a, 2, "PETROVA");
  EXPECT_EQ(Do(a, Op::PUT), ErrorCode::RecordNotAvailable);
  ASSERT_EQ(Do(a, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Reopened(), (Content{{1, "IVANOV2"}, {3, "SIDOROV"}}));
}

TEST_F(VxrSharingTest, AHeldRecordIsRefusedToOthersUntilReleased) {
  Create("NBASA", {{1, "IVANOV"}, {2, "PETROV"}});
  File a(Table()), b(Table("NBASA", true));
  ASSERT_EQ(Open(a), ErrorCode::Ok);
  ASSERT_EQ(Open(b), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 1), ErrorCode::Ok);

  {
    testing_support::ManualWaitClock clock;
    ASSERT_EQ(Seconds(b, Op::HOLDfilesec, 1), ErrorCode::Ok);
    EXPECT_EQ(Get(b, 1), ErrorCode::RecordIsAlreadyHeld);
    EXPECT_EQ(clock.Waited(), std::chrono::seconds(1));  // the read tried again for its second
  }

  ASSERT_EQ(Do(a, Op::RELEASE), ErrorCode::Ok);
  EXPECT_EQ(Get(b, 1), ErrorCode::Ok);  // the hold still armed takes it now
  ASSERT_EQ(Do(b, Op::RELEASE), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 1), ErrorCode::Ok);
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);  // read without a hold
  Set(b, 1, "CHANGED");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::AccessDenied);
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);
  EXPECT_EQ(Do(b, Op::DELETE), ErrorCode::RecordNotAvailable);
  // Another record is free; the holder itself may change its own.
  ASSERT_EQ(Get(b, 2), ErrorCode::Ok);
  Set(b, 2, "PETROVA");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::Ok);
  Set(a, 1, "IVANOVA");
  EXPECT_EQ(Do(a, Op::PUT), ErrorCode::Ok);  // the PUT lets the hold go
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);
  EXPECT_EQ(Fam(b), "IVANOVA");
  Set(b, 1, "IVANOV3");
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::Ok);

  // RELEASE and the next read let a hold go too.
  ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 2), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::RELEASE), ErrorCode::Ok);
  ASSERT_EQ(Seconds(b, Op::HOLDfilesec, 1), ErrorCode::Ok);
  EXPECT_EQ(Get(b, 2), ErrorCode::Ok);
  ASSERT_EQ(Get(b, 1), ErrorCode::Ok);  // B's hold on 2 goes with this read
  Set(a, 2, "PETROV4");
  ASSERT_EQ(Get(a, 2), ErrorCode::Ok);
  Set(a, 2, "PETROV4");
  EXPECT_EQ(Do(a, Op::PUT), ErrorCode::Ok);

  // The table lock: one station at a time.
  EXPECT_EQ(Do(a, Op::LOCKfile), ErrorCode::Ok);
  EXPECT_EQ(Seconds(b, Op::LOCKfilesec, 1), ErrorCode::FileIsAlreadyLocked);
  EXPECT_EQ(Do(a, Op::UNLOCK), ErrorCode::Ok);
  EXPECT_EQ(Seconds(b, Op::LOCKfilesec, 1), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Reopened(), (Content{{1, "IVANOV3"}, {2, "PETROV4"}}));
}

TEST_F(VxrSharingTest, AHoldWithoutSecondsWaitsUntilTheHolderLetsGo) {
  Create("NBASA", {{1, "IVANOV"}});
  File a(Table()), b(Table("NBASA", true));
  ASSERT_EQ(Open(a), ErrorCode::Ok);
  ASSERT_EQ(Open(b), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 1), ErrorCode::Ok);
  testing_support::ManualWaitClock clock;
  clock.onPause = [&](int pauses) {
    if (pauses == 250) {
      EXPECT_EQ(Do(a, Op::RELEASE), ErrorCode::Ok);
    }
  };
  ASSERT_EQ(Do(b, Op::HOLDfile), ErrorCode::Ok);
  EXPECT_EQ(Get(b, 1), ErrorCode::Ok);
  EXPECT_EQ(clock.Pauses(), 250);  // long past any second, and not one try after the release
  Set(a, 1, "IVANOVA");
  EXPECT_EQ(Do(a, Op::PUT), ErrorCode::AccessDenied);  // now B holds it
  ASSERT_EQ(Do(a, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CLOSE), ErrorCode::Ok);
}

TEST_F(VxrSharingTest, ASecondOpenAndCloseInOneProcessKeepsTheFirstOpensLocks) {
  Create("NBASA", {{1, "IVANOV"}});
  File a(Table()), again(Table()), b(Table("NBASA", true));
  ASSERT_EQ(Open(a), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
  ASSERT_EQ(Get(a, 1), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::LOCKfile), ErrorCode::Ok);
  ASSERT_EQ(Open(again), ErrorCode::Ok);
  ASSERT_EQ(Do(again, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Open(b), ErrorCode::Ok);
  EXPECT_EQ(Seconds(b, Op::LOCKfilesec, 1), ErrorCode::FileIsAlreadyLocked);
  ASSERT_EQ(Seconds(b, Op::HOLDfilesec, 1), ErrorCode::Ok);
  EXPECT_EQ(Get(b, 1), ErrorCode::RecordIsAlreadyHeld);
  ASSERT_EQ(Do(a, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Seconds(b, Op::LOCKfilesec, 1), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CLOSE), ErrorCode::Ok);
}

// A write stopped after its header at offset 0 pointed at the shadow copies:
// a reading station sees the new state through them, the next writing
// station copies them home.
TEST_F(VxrSharingTest, AnInterruptedWriteIsReadThroughItsShadowsAndRepairedByTheNextWriter) {
  Create("NBASA", {{1, "IVANOV"}, {2, "PETROV"}});
  std::ifstream in(PathOf(), std::ios::binary);
  const std::string saved{std::istreambuf_iterator<char>(in), {}};
  // Stop a change after ever more writes until its header at offset 0
  // points at the shadow copies.
  std::string left;
  for (std::uint64_t writes = 1; writes < 50 && left.empty(); ++writes) {
    std::ofstream(PathOf(), std::ios::binary | std::ios::trunc) << saved;
    FaultyFileSystem stop;
    {
      ScopedFileSystem use(stop);
      File a(Table());
      ASSERT_EQ(Open(a), ErrorCode::Ok);
      ASSERT_EQ(Get(a, 2), ErrorCode::Ok);
      Set(a, 2, "PETROVA");
      stop.plan.stopAfterWrites = stop.WritesSeen() + writes;
      (void)Do(a, Op::PUT);
      (void)Do(a, Op::CLOSE);
    }
    std::ifstream after(PathOf(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(after), {}};
    const auto header = DecodeVxrHeader(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), 512));
    ASSERT_TRUE(header);
    if (header->committedEnd != header->shadowEnd) left = bytes;
  }
  ASSERT_FALSE(left.empty());

  File reader(Table());
  OperationArguments ro;
  ro.mode = AccessMode{0x40};
  ASSERT_EQ(PerformFileOperation(reader, Op::OPEN, ro), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(reader), (Content{{1, "IVANOV"}, {2, "PETROVA"}}));
  std::ifstream still(PathOf(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(still), {}), left);  // a reader never writes

  File writer(Table("NBASA", true));
  ASSERT_EQ(Open(writer), ErrorCode::Ok);
  Set(writer, 3, "SIDOROV");
  ASSERT_EQ(Do(writer, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(reader), (Content{{1, "IVANOV"}, {2, "PETROVA"}, {3, "SIDOROV"}}));
  ASSERT_EQ(Do(writer, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(reader, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Reopened(), (Content{{1, "IVANOV"}, {2, "PETROVA"}, {3, "SIDOROV"}}));
}

TEST_F(VxrSharingTest, TransactionsCommitAndRollBackOverSeveralFiles) {
  Create("NBASA", {{1, "IVANOV"}});
  Create("NZELVO", {{1, "LINE1"}});
  File pay(Table("NBASA")), lines(Table("NZELVO"));
  ASSERT_EQ(Open(pay), ErrorCode::Ok);
  ASSERT_EQ(Open(lines), ErrorCode::Ok);
  File other(Table("NBASA", true));
  ASSERT_EQ(Open(other), ErrorCode::Ok);

  ASSERT_EQ(Do(pay, Op::LOGOUT), ErrorCode::Ok);
  ASSERT_EQ(Do(lines, Op::LOGOUT), ErrorCode::Ok);
  Set(pay, 2, "PETROV");
  ASSERT_EQ(Do(pay, Op::ADD), ErrorCode::Ok);
  Set(lines, 2, "LINE2");
  ASSERT_EQ(Do(lines, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(pay).size(), 2u);  // the station sees its own changes
  // The first ROLLBACK (COMMIT) ends the whole transaction; the others only
  // settle their FILE's state.
  ASSERT_EQ(Do(pay, Op::ROLLBACK), ErrorCode::Ok);
  ASSERT_EQ(Do(lines, Op::ROLLBACK), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(pay), (Content{{1, "IVANOV"}}));
  EXPECT_EQ(ReadAll(lines), (Content{{1, "LINE1"}}));

  ASSERT_EQ(Do(pay, Op::LOGOUT), ErrorCode::Ok);
  ASSERT_EQ(Do(lines, Op::LOGOUT), ErrorCode::Ok);
  Set(pay, 2, "PETROV");
  ASSERT_EQ(Do(pay, Op::ADD), ErrorCode::Ok);
  Set(lines, 2, "LINE2");
  ASSERT_EQ(Do(lines, Op::ADD), ErrorCode::Ok);
  ASSERT_EQ(Do(pay, Op::COMMIT), ErrorCode::Ok);
  ASSERT_EQ(Do(lines, Op::COMMIT), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(other), (Content{{1, "IVANOV"}, {2, "PETROV"}}));
  EXPECT_TRUE(fs::exists(dir_ / "quillset.tcf"));

  // A transaction's start waits for another station's only for its seconds,
  // so two stations joining two files in opposite orders never wait for ever.
  ASSERT_EQ(Do(pay, Op::LOGOUT), ErrorCode::Ok);
  {
    testing_support::ManualWaitClock clock;
    EXPECT_EQ(Seconds(other, Op::LOGOUT, 1), ErrorCode::FileIsAlreadyLocked);
    EXPECT_EQ(clock.Waited(), std::chrono::seconds(1));
  }
  ASSERT_EQ(Do(pay, Op::ROLLBACK), ErrorCode::Ok);
  ASSERT_EQ(Seconds(other, Op::LOGOUT, 1), ErrorCode::Ok);
  ASSERT_EQ(Do(other, Op::COMMIT), ErrorCode::Ok);
  for (File* f : {&pay, &lines, &other}) ASSERT_EQ(Do(*f, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Reopened("NZELVO"), (Content{{1, "LINE1"}, {2, "LINE2"}}));
}

}  // namespace
}  // namespace zelvo::testing_vxr
