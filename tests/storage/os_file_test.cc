#include "storage/os_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "storage/testing/faulty_file_system.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class OsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("osfile_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "data.bin").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<OsFile> Make(FileSystem& system) {
    OpenResult opened = system.Open(path_, {.read = true, .write = true, .create = true});
    EXPECT_EQ(opened.code, ErrorCode::Ok);
    return std::move(opened.file);
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(OsFileTest, ReadsAndWritesAtOffsetsAndReportsTheEnd) {
  std::unique_ptr<OsFile> file = Make(PosixFileSystem());
  ASSERT_EQ(file->WriteAt(0, Bytes{'a', 'b', 'c', 'd'}), ErrorCode::Ok);
  ASSERT_EQ(file->WriteAt(6, Bytes{'z'}), ErrorCode::Ok);  // a gap reads as zeros
  EXPECT_EQ(file->Size().size, 7u);
  Bytes into(10, 0xFF);
  const ReadResult read = file->ReadAt(2, into);
  EXPECT_EQ(read.code, ErrorCode::Ok);
  EXPECT_EQ(read.bytes, 5u);
  EXPECT_EQ(Bytes(into.begin(), into.begin() + 5), (Bytes{'c', 'd', 0, 0, 'z'}));
  EXPECT_EQ(file->ReadAt(100, into).bytes, 0u);
  ASSERT_EQ(file->Truncate(2), ErrorCode::Ok);
  EXPECT_EQ(file->Size().size, 2u);
  EXPECT_EQ(file->Sync(), ErrorCode::Ok);
  EXPECT_EQ(file->Close(), ErrorCode::Ok);
  EXPECT_EQ(Number(file->Close()), 306);  // Invalid Handle
  EXPECT_EQ(Number(file->WriteAt(0, Bytes{'x'})), 306);
}

TEST_F(OsFileTest, OpeningFailuresAreSystemCodes) {
  FileSystem& system = PosixFileSystem();
  EXPECT_EQ(Number(system.Open((dir_ / "missing").string(), {}).code), 302);
  EXPECT_EQ(Number(system.Open((dir_ / "no" / "such").string(), {}).code), 303);
  EXPECT_EQ(Number(system.Open(dir_.string(), {}).code), 305);  // a directory is no data file
  EXPECT_EQ(Number(system.Open("", {}).code), 302);
  EXPECT_EQ(Number(system.Remove((dir_ / "missing").string())), 302);
  EXPECT_EQ(Number(system.Rename((dir_ / "missing").string(), path_)), 302);
}

TEST_F(OsFileTest, LocksOfOneOpenExcludeAnotherOpenOfTheSameProcess) {
  std::unique_ptr<OsFile> one = Make(PosixFileSystem());
  std::unique_ptr<OsFile> two = Make(PosixFileSystem());
  ASSERT_EQ(one->Lock({0, 10}, LockKind::Exclusive, LockWait::Try), ErrorCode::Ok);
  EXPECT_TRUE(two->IsLockedByOthers({5, 1}, LockKind::Shared));
  EXPECT_FALSE(one->IsLockedByOthers({5, 1}, LockKind::Shared));  // its own lock is no conflict
  EXPECT_EQ(Number(two->Lock({5, 1}, LockKind::Shared, LockWait::Try)), 333);
  EXPECT_EQ(two->Lock({10, 1}, LockKind::Exclusive, LockWait::Try), ErrorCode::Ok);
  // Closing a third descriptor of the file drops nobody's lock.
  { std::unique_ptr<OsFile> three = Make(PosixFileSystem()); }
  EXPECT_TRUE(two->IsLockedByOthers({0, 1}, LockKind::Shared));
  ASSERT_EQ(one->Unlock({0, 10}), ErrorCode::Ok);
  EXPECT_EQ(two->Lock({5, 1}, LockKind::Shared, LockWait::Try), ErrorCode::Ok);
}

TEST_F(OsFileTest, FaultyFileSystemFailsThePlannedCallsOnly) {
  FaultyFileSystem faulty;
  faulty.plan.failWrite = 2;
  faulty.plan.shortWriteBytes = 2;
  std::unique_ptr<OsFile> file = Make(faulty);
  EXPECT_EQ(file->WriteAt(0, Bytes{'a', 'b'}), ErrorCode::Ok);
  EXPECT_EQ(Number(file->WriteAt(2, Bytes{'c', 'd', 'e'})), 339);
  EXPECT_EQ(file->WriteAt(10, Bytes{'f'}), ErrorCode::Ok);
  EXPECT_EQ(faulty.WritesSeen(), 3u);
  Bytes into(4);
  EXPECT_EQ(file->ReadAt(0, into).bytes, 4u);
  EXPECT_EQ(into, (Bytes{'a', 'b', 'c', 'd'}));  // the short write's part reached the file

  faulty.plan.failRead = 2;
  faulty.plan.failSync = true;
  EXPECT_EQ(Number(file->ReadAt(0, into).code), 330);
  EXPECT_EQ(Number(file->Sync()), 329);
  faulty.plan.failOpen = true;
  EXPECT_EQ(Number(faulty.Open(path_, {}).code), 305);
}

}  // namespace
}  // namespace zelvo
