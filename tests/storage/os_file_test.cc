#include "storage/os_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "storage/testing/faulty_file_system.h"
#include "tests/testing/scoped_file_system.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class OsFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<OsFile> Make(FileSystem& system) {
    OpenResult opened = system.Open(path_, {.read = true, .write = true, .create = true});
    EXPECT_EQ(opened.code, ErrorCode::Ok);
    return std::move(opened.file);
  }

  testing_support::TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
  const std::string path_ = folder_.File("data.bin");
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

// A file made once is there whole or not at all: a write or the link failing
// leaves neither the file nor its draft; a file another process made meanwhile
// counts as made, and is left as that process made it.
TEST_F(OsFileTest, AFileMadeOnceIsThereWholeOrNotAtAll) {
  FaultyFileSystem faulty;
  testing_support::ScopedFileSystem use(faulty);
  auto writeThree = [](const std::string& draft) {
    OpenResult opened = CurrentFileSystem().Open(draft, {.read = true, .write = true, .create = true});
    if (Failed(opened.code)) return opened.code;
    for (std::uint8_t i = 0; i < 3; ++i)
      if (const ErrorCode code = opened.file->WriteAt(i, Bytes{static_cast<std::uint8_t>('a' + i)}); Failed(code))
        return code;
    return opened.file->Close();
  };
  auto left = [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  };
  for (std::uint64_t n = 1; n <= 3; ++n) {
    faulty.plan = {};
    faulty.plan.failWrite = faulty.WritesSeen() + n;
    EXPECT_EQ(Number(MakeFileOnce(path_, writeThree)), 339) << n;
    EXPECT_TRUE(left().empty()) << n;
  }
  faulty.plan = {};
  faulty.plan.failLink = true;
  EXPECT_EQ(Number(MakeFileOnce(path_, writeThree)), 305);
  EXPECT_TRUE(left().empty());

  faulty.plan = {};
  ASSERT_EQ(MakeFileOnce(path_, writeThree), ErrorCode::Ok);
  EXPECT_EQ(left(), std::vector<std::string>{"data.bin"});
  EXPECT_EQ(fs::file_size(path_), 3u);
  bool called = false;
  EXPECT_EQ(MakeFileOnce(path_, [&](const std::string&) { return called = true, ErrorCode::Ok; }), ErrorCode::Ok);
  EXPECT_FALSE(called);  // there already

  const std::string other = (dir_ / "other.bin").string();
  EXPECT_EQ(MakeFileOnce(other, [&](const std::string& draft) {
              (void)writeThree(other);  // another process is quicker
              return writeThree(draft);
            }),
            ErrorCode::Ok);
  EXPECT_EQ(left().size(), 2u);
}

}  // namespace
}  // namespace zelvo
