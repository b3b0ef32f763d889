#include "storage/file_operations.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/declare_fields.h"
#include "storage/driver_result.h"
#include "storage/error_state.h"
#include "tests/testing/manual_wait_clock.h"
#include "tests/testing/scoped_file_driver.h"

namespace zelvo {
namespace {

using Op = FileOperation;

#define TEST_TINY_FIELDS(FIELD) FIELD(N, Long())
ZELVO_DECLARE_FIELDS(Tiny, TIN, TEST_TINY_FIELDS);

// A driver that answers from a script and records what it was asked.
class ScriptedDriver final : public FileDriver {
 public:
  std::string_view Name() const override { return "dBase4"; }
  std::span<const FileOperation> Operations() const override { return kListed; }
  ErrorCode Perform(FileOperation op, File&, const OperationArguments&, OperationAnswer& answer) override {
    calls.push_back(op);
    if (op == Op::PUT) answer.fileErrorText = "the driver's own words";
    if (!answers.empty()) {
      const ErrorCode code = answers.front();
      answers.erase(answers.begin());
      return code;
    }
    return ErrorCode::Ok;
  }

  static constexpr FileOperation kListed[] = {Op::OPEN, Op::SHARE, Op::CLOSE, Op::SETfile, Op::NEXT,
                                              Op::PUT, Op::LOCKfile, Op::LOCKfilesec, Op::UNLOCK,
                                              Op::RESETfile, Op::EMPTY};
  std::vector<FileOperation> calls;
  std::vector<ErrorCode> answers;
};

class FileOperationsTest : public ::testing::Test {
 protected:
  ErrorCode Open(AccessMode mode, Op op = Op::OPEN) {
    OperationArguments args;
    args.mode = mode;
    return PerformFileOperation(file_, op, args);
  }

  static constexpr FileDeclaration kDecl{.label = "PENSTA", .driver = Driver::Dbase,
                                         .name = "C:\\INP_2004\\BASE2004\\PENSTA.DBF",
                                         .fields = kTinyFields};
  ScriptedDriver driver_;
  testing_support::ScopedFileDriver registered_{Driver::Dbase, driver_};
  File file_{kDecl};
};

TEST_F(FileOperationsTest, UnlistedOperationsAnswer80WithoutACall) {
  EXPECT_EQ(PerformFileOperation(file_, Op::LOGOUT), ErrorCode::UnsupportedFileDriverFunction);
  EXPECT_TRUE(driver_.calls.empty());
}

TEST_F(FileOperationsTest, PreconditionsStopTheOperationBeforeTheDriver) {
  EXPECT_EQ(PerformFileOperation(file_, Op::NEXT), ErrorCode::FileNotOpen);
  ASSERT_EQ(Open(AccessMode{0x40}), ErrorCode::Ok);
  EXPECT_EQ(PerformFileOperation(file_, Op::NEXT), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(PerformFileOperation(file_, Op::EMPTY), ErrorCode::ExclusiveAccessRequired);
  EXPECT_EQ(Open(AccessMode{0x40}), ErrorCode::FileAlreadyOpen);
  OperationArguments blank;
  blank.position = "    ";
  EXPECT_EQ(PerformFileOperation(file_, Op::RESETfile, blank), ErrorCode::RecordNotFound);
  EXPECT_EQ(PerformFileOperation(file_, Op::UNLOCK), ErrorCode::Ok);  // not locked: skipped
  EXPECT_EQ(RuntimeErrorState().Code(), ErrorCode::Ok);
  EXPECT_EQ(driver_.calls, std::vector<FileOperation>{Op::OPEN});
}

TEST_F(FileOperationsTest, TheOpenModeGivesTheWriteAndExclusiveFlags) {
  struct Case {
    std::uint8_t mode;
    Op op;
    StateFlags flags;
  };
  const Case cases[] = {
      {0x40, Op::OPEN, kOpen},
      {0x42, Op::OPEN, kOpen | kWritable},
      {0x22, Op::OPEN, kOpen | kWritable | kExclusive},
      {0x10, Op::OPEN, kOpen | kExclusive},
      {0x12, Op::SHARE, kOpen | kWritable},  // SHARE opens deny none
  };
  for (const Case& c : cases) {
    File file(kDecl);
    OperationArguments args;
    args.mode = AccessMode{c.mode};
    ASSERT_EQ(PerformFileOperation(file, c.op, args), ErrorCode::Ok);
    EXPECT_EQ(file.State(), c.flags) << int{c.mode};
    if (c.op == Op::SHARE) {
      EXPECT_TRUE(file.Mode().IsShared());
    }
  }
  EXPECT_EQ(Open(AccessMode{0x55}), ErrorCode::AccessDenied);
  EXPECT_FALSE(file_.IsOpen());
}

TEST_F(FileOperationsTest, DriverAnswersBecomeTheErrorStateAndTheFlags) {
  ASSERT_EQ(Open(AccessMode{0x42}), ErrorCode::Ok);
  ASSERT_EQ(PerformFileOperation(file_, Op::SETfile), ErrorCode::Ok);
  driver_.answers = {ErrorCode{-233}};
  EXPECT_EQ(PerformFileOperation(file_, Op::NEXT), ErrorCode::FileSystemError);
  EXPECT_EQ(RuntimeErrorState().FileErrorCode(), "-233");
  EXPECT_EQ(RuntimeErrorState().FileErrorText(), "bad data");
  EXPECT_EQ(file_.State(), kOpen | kWritable);  // a failed read loses record and position

  ASSERT_EQ(PerformFileOperation(file_, Op::SETfile), ErrorCode::Ok);
  driver_.answers = {ErrorCode{205}};  // an informational status is success
  EXPECT_EQ(PerformFileOperation(file_, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(file_.State(), kOpen | kWritable | kPositioned | kSetNotRead | kCurrentRecord);

  driver_.answers = {ErrorCode::FileSystemError};
  EXPECT_EQ(PerformFileOperation(file_, Op::PUT), ErrorCode::FileSystemError);
  EXPECT_EQ(RuntimeErrorState().FileErrorText(), "the driver's own words");

  std::string shown;
  SetStopBox([&](std::string_view message, std::string_view) { shown = message; });
  file_.extendedErrors = true;
  driver_.answers = {ErrorCode{-240}};
  EXPECT_EQ(PerformFileOperation(file_, Op::PUT), ErrorCode::AccessDenied);
  EXPECT_EQ(shown, "File PENSTA.DBF, xBase Error (-240): Access Denied");
  SetStopBox(nullptr);
}

TEST_F(FileOperationsTest, LockingRepeatsWhileTheFileIsLockedElsewhere) {
  testing_support::ManualWaitClock clock;
  ASSERT_EQ(Open(AccessMode{0x42}), ErrorCode::Ok);
  driver_.answers = {ErrorCode::FileIsAlreadyLocked, ErrorCode::FileIsAlreadyLocked};
  EXPECT_EQ(PerformFileOperation(file_, Op::LOCKfile), ErrorCode::Ok);
  EXPECT_EQ(std::count(driver_.calls.begin(), driver_.calls.end(), Op::LOCKfile), 3);
  EXPECT_EQ(clock.Waited(), std::chrono::milliseconds(100));
  EXPECT_EQ(file_.State() & (kLocked | kExclusive), kLocked | kExclusive);
  ASSERT_EQ(PerformFileOperation(file_, Op::UNLOCK), ErrorCode::Ok);
  EXPECT_EQ(file_.State() & (kLocked | kExclusive), 0);  // the mode itself shares

  driver_.answers.assign(100, ErrorCode::FileIsAlreadyLocked);
  OperationArguments oneSecond;
  oneSecond.seconds = 1;
  EXPECT_EQ(PerformFileOperation(file_, Op::LOCKfilesec, oneSecond), ErrorCode::FileIsAlreadyLocked);
  // One try, then one every 50 ms until the second is over.
  EXPECT_EQ(std::count(driver_.calls.begin(), driver_.calls.end(), Op::LOCKfilesec), 21);
  EXPECT_EQ(clock.Waited(), std::chrono::milliseconds(1100));
  EXPECT_FALSE(file_.State() & kLocked);
}

}  // namespace
}  // namespace zelvo
