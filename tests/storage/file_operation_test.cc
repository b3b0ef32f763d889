#include "storage/file_operation.h"

#include <gtest/gtest.h>

#include "storage/access_mode.h"
#include "storage/driver_options.h"
#include "storage/operation_state.h"

namespace zelvo {
namespace {

TEST(FileOperation, NumbersAreTheirPlaceInTheNameTable) {
  struct Case {
    int number;
    FileOperation op;
    const char* name;
  };
  const Case cases[] = {
      {0, FileOperation::Unused0, "(0)"},         {1, FileOperation::ADD, "ADD"},
      {7, FileOperation::CLOSE, "CLOSE"},         {14, FileOperation::Eof, "EOF"},
      {24, FileOperation::NEXT, "NEXT"},          {25, FileOperation::OPEN, "OPEN"},
      {35, FileOperation::Unused35, "(35)"},      {39, FileOperation::Unused39, "(39)"},
      {41, FileOperation::SETfile, "SETfile"},    {47, FileOperation::SETkeykeyptr, "SETkeykeyptr"},
      {60, FileOperation::SEND, "SEND"},          {68, FileOperation::Null, "NULL"},
      {80, FileOperation::BUFFER, "BUFFER"},      {87, FileOperation::Internal87, "Internal87"},
      {98, FileOperation::GETSTATE, "GETSTATE"},  {104, FileOperation::DESTROY, "DESTROY"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Number(c.op), c.number);
    EXPECT_EQ(OperationName(c.op), c.name);
    EXPECT_EQ(OperationFromNumber(c.number), c.op);
  }
  EXPECT_EQ(OperationFromNumber(-1), std::nullopt);
  EXPECT_EQ(OperationFromNumber(105), std::nullopt);
  for (int n = 0; n < kFileOperationCount; ++n)
    EXPECT_FALSE(OperationName(*OperationFromNumber(n)).empty()) << n;
}

TEST(AccessMode, AccessAndSharingParts) {
  constexpr AccessMode shared{0x42};
  static_assert(shared.AllowsReading() && shared.AllowsWriting() && shared.IsShared());
  static_assert(!shared.IsExclusive());
  static_assert(AccessMode{0x20}.IsExclusive() && !AccessMode{0x20}.AllowsWriting());
  static_assert(AccessMode{0x11}.IsExclusive() && !AccessMode{0x11}.AllowsReading());
  static_assert(!AccessMode{0x30}.IsExclusive() && !AccessMode{0x00}.IsExclusive());
  static_assert(AccessMode::Of(Access::ReadWrite, Sharing::DenyNone) == shared);
  for (int bad : {0x03, 0x50, 0x4F, 0xFF})
    EXPECT_FALSE(AccessMode{static_cast<std::uint8_t>(bad)}.IsValid()) << bad;
}

struct CheckCase {
  const char* what;
  FileOperation op;
  StateFlags state;
  OperationCheck::Verdict verdict;
  int code;
};

TEST(OperationState, PreconditionsFailSkipOrLetTheOperationGo) {
  using V = OperationCheck::Verdict;
  const StateFlags open = kOpen | kPositioned;
  const CheckCase cases[] = {
      {"NEXT on a closed file", FileOperation::NEXT, 0, V::Fail, 37},
      {"NEXT before SET", FileOperation::NEXT, kOpen, V::Fail, 33},
      {"NEXT after SET", FileOperation::NEXT, open, V::Go, 0},
      {"OPEN twice", FileOperation::OPEN, kOpen, V::Fail, 52},
      {"CREATE while open", FileOperation::CREATE, kOpen, V::Fail, 52},
      {"CREATE while closed", FileOperation::CREATE, 0, V::Go, 0},
      {"CLOSE in a transaction", FileOperation::CLOSE, kOpen | kInTransaction, V::Fail, 56},
      {"LOGOUT twice", FileOperation::LOGOUT, kOpen | kInTransaction, V::Fail, 56},
      {"LOCKfile when locked", FileOperation::LOCKfile, kOpen | kLocked, V::Skip, 0},
      {"STREAM when streaming", FileOperation::STREAM, kOpen | kStreaming, V::Skip, 0},
      {"UNLOCK when not locked", FileOperation::UNLOCK, kOpen, V::Skip, 0},
      {"PUT without a record", FileOperation::PUT, kOpen | kWritable, V::Fail, 33},
      {"PUT read only", FileOperation::PUT, kOpen | kCurrentRecord, V::Fail, 5},
      {"ADD read only", FileOperation::ADD, kOpen, V::Fail, 5},
      {"ADD", FileOperation::ADD, kOpen | kWritable, V::Go, 0},
      {"EMPTY shared", FileOperation::EMPTY, kOpen | kWritable, V::Fail, 63},
      {"EMPTY exclusive", FileOperation::EMPTY, kOpen | kWritable | kExclusive, V::Go, 0},
      {"BUILDkey on a closed file", FileOperation::BUILDkey, 0, V::Go, 0},
      {"BUILD running", FileOperation::NEXT, open | kBuildRunning, V::Fail, 92},
      {"CLOSE while BUILD runs", FileOperation::CLOSE, kOpen | kBuildRunning, V::Go, 0},
      {"COMMIT outside a transaction", FileOperation::COMMIT, kOpen, V::Skip, 0},
      {"POINTERfile without a record", FileOperation::POINTERfile, kOpen, V::Fail, 33},
      {"operation without an entry", FileOperation::GETSTATE, 0, V::Go, 0},
  };
  for (const CheckCase& c : cases) {
    const OperationCheck check = CheckOperation(c.op, c.state);
    EXPECT_EQ(check.verdict, c.verdict) << c.what;
    EXPECT_EQ(Number(check.code), c.code) << c.what;
  }
  EXPECT_EQ(CheckOperation(FileOperation::SETkey, kOpen, true, false).code,
            ErrorCode::KeyFileMustBeRebuilt);
  EXPECT_EQ(CheckOperation(FileOperation::SETkey, kOpen, true, true).verdict, V::Go);
}

TEST(OperationState, FlagsAfterSuccessAndFailure) {
  const StateFlags armed = kOpen | kPositioned | kWatchArmed | kHoldArmed;
  EXPECT_EQ(UpdateAfter(FileOperation::NEXT, armed, ErrorCode::Ok),
            kOpen | kPositioned | kCurrentRecord | kWatched | kHeld);
  EXPECT_EQ(UpdateAfter(FileOperation::NEXT, armed | kCurrentRecord | kSetNotRead,
                        ErrorCode::RecordNotAvailable),
            kOpen | kHoldArmed);
  // A read refused for a held record keeps its position.
  EXPECT_EQ(UpdateAfter(FileOperation::NEXT, kOpen | kPositioned, ErrorCode::RecordIsAlreadyHeld),
            kOpen | kPositioned);
  EXPECT_EQ(UpdateAfter(FileOperation::PUT, kOpen | kCurrentRecord | kWatched | kHeld, ErrorCode::Ok),
            kOpen | kCurrentRecord);
  EXPECT_EQ(UpdateAfter(FileOperation::SETfile, kOpen, ErrorCode::Ok), kOpen | kPositioned | kSetNotRead);
  EXPECT_EQ(UpdateAfter(FileOperation::CLOSE, 0x7FFF, ErrorCode::Ok), 0);
  EXPECT_EQ(UpdateAfter(FileOperation::LOCKfile, kOpen, ErrorCode::Ok), kOpen | kLocked | kExclusive);
}

TEST(DriverOptions, SplitAtSlashesAndCommasOutsideQuotes) {
  struct Case {
    const char* text;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"", {}},
      {"/CLIP=OFF", {"CLIP=OFF"}},
      {"/CLIP=OFF /TAB=4", {"CLIP=OFF", "TAB=4"}},
      {"CLIP=on,QUICKSCAN", {"CLIP=on", "QUICKSCAN"}},
      {"/ENDOFRECORD=1,10", {"ENDOFRECORD=1", "10"}},
      {"/TCF=\"a/b,c\" /FULLBUILD=ON", {"TCF=\"a/b,c\"", "FULLBUILD=ON"}},
      {"//,, /", {}},
      {"/\"unclosed/still, one", {"\"unclosed/still, one"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitDriverOptions(c.text), c.options) << c.text;

  const DriverOption tab = ParseOption(" TAB = -4 ");
  EXPECT_EQ(tab.word, "TAB");
  EXPECT_TRUE(tab.hasValue);
  EXPECT_EQ(tab.value, "-4");
  const DriverOption quoted = ParseOption("TCF=\"x,y\"");
  EXPECT_EQ(quoted.value, "x,y");
  const DriverOption bare = ParseOption("QUICKSCAN");
  EXPECT_FALSE(bare.hasValue);
  EXPECT_TRUE(ParseOption("CLIP=").hasValue);
  EXPECT_TRUE(SameWord("ctrlZisEOF", "CTRLZISEOF"));
  EXPECT_FALSE(SameWord("CLIP", "CLIPS"));
}

}  // namespace
}  // namespace zelvo
