#include "storage/error_code.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "storage/driver_result.h"
#include "storage/error_state.h"
#include "storage/internal/xbase_error.h"

namespace zelvo {
namespace {

TEST(ErrorCode, EveryCodeShowsItsOwnText) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {2, "File Not Found"},          {5, "Access Denied"},
      {33, "Record Not Available"},   {35, "Record Not Found"},
      {37, "File Not Open"},          {40, "Creates Duplicate Key"},
      {45, "Invalid Filename"},       {47, "Invalid Record Declaration"},
      {52, "File Already Open"},      {54, "No Create Attribute"},
      {56, "LOGOUT Already Active"},  {63, "Exclusive Access Required"},
      {65, "Unable To ROLLBACK Transaction"},
      {78, "Invalid Number Of Parameters "},  // the trailing blank is part of it
      {80, "Unsupported File Driver Function"},
      {89, "Record Changed By Another Station"},
      {90, "File System Error"},      {92, "BUILD In Progress"},
      {96, "Remote Object Not Found"},
      {301, "Invalid Function"},      {302, "File Not Found"},
      {316, "Invalid Operation For Current Directory"},
      {332, "Sharing Violation"},     {339, "Handle Disk Full"},
      {350, "Not Supported "},        {357, "Adapter/Hardware Failure"},
      {380, "File Already Exists"},   {391, "Unknown Error"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorText(ErrorCode{c.code}), c.text) << c.code;
}

TEST(ErrorCode, ACodeWithoutTextIsAnUnknownErrorWithItsNumber) {
  for (int code : {1, 6, 34, 97, 300, 314, 340, 389, 392, -5}) {
    EXPECT_FALSE(KnownErrorText(ErrorCode{code}).has_value()) << code;
    EXPECT_EQ(ErrorText(ErrorCode{code}), "Unknown Error Posted : " + std::to_string(code));
  }
}

TEST(ErrorCode, LinuxErrorsBecomeTheirWindowsErrorPlus300) {
  struct Case {
    int errnoValue;
    SystemCall call;
    int code;
  };
  const Case cases[] = {
      {ENOENT, SystemCall::Other, 302},  {ENOTDIR, SystemCall::Other, 303},
      {EMFILE, SystemCall::Other, 304},  {EACCES, SystemCall::Other, 305},
      {EPERM, SystemCall::Other, 305},   {EBADF, SystemCall::Other, 306},
      {ENOMEM, SystemCall::Other, 308},  {EXDEV, SystemCall::Other, 317},
      {EROFS, SystemCall::Write, 319},   {EIO, SystemCall::Write, 329},
      {EIO, SystemCall::Read, 330},      {EIO, SystemCall::Other, 331},
      {EBUSY, SystemCall::Other, 332},   {EAGAIN, SystemCall::Other, 333},
      {ENOSPC, SystemCall::Write, 339},  {EDQUOT, SystemCall::Write, 339},
      {EOPNOTSUPP, SystemCall::Other, 350}, {EEXIST, SystemCall::Other, 380},
      {EINVAL, SystemCall::Other, 387},  {EPROTO, SystemCall::Other, 331},
  };
  for (const Case& c : cases) {
    const ErrorCode code = FromSystemError(c.errnoValue, c.call);
    EXPECT_EQ(Number(code), c.code) << c.errnoValue;
    EXPECT_TRUE(KnownErrorText(code).has_value()) << c.code;
  }
}

TEST(ErrorState, HoldsTheLastCodeAndItsTextAndTheFileErrorOnlyFor90) {
  ErrorState state;
  state.Set(ErrorCode::RecordNotAvailable);
  EXPECT_EQ(state.Code(), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(state.Text(), "Record Not Available");
  EXPECT_EQ(state.FileErrorText(), "");

  state.SetFileError("-233", "bad data");
  EXPECT_EQ(state.Code(), ErrorCode::FileSystemError);
  EXPECT_EQ(state.Text(), "File System Error");
  EXPECT_EQ(state.FileErrorCode(), "-233");
  EXPECT_EQ(state.FileErrorText(), "bad data");

  state.SetFromSystem(ENOSPC, SystemCall::Write);
  EXPECT_EQ(Number(state.Code()), 339);
  EXPECT_EQ(state.FileErrorCode(), "");

  state.SetFileError(std::string(100, 'c'), std::string(300, 't'));
  EXPECT_EQ(state.FileErrorCode().size(), 80u);
  EXPECT_EQ(state.FileErrorText().size(), 254u);

  state.Clear();
  EXPECT_EQ(state.Code(), ErrorCode::Ok);
  EXPECT_EQ(state.Text(), "");
  EXPECT_EQ(state.FileErrorText(), "");
}

TEST(XBaseError, EveryCodeHasAShortTextAndAMappedRuntimeCode) {
  EXPECT_EQ(XBaseErrors().size(), 62u);
  for (const XBaseError& e : XBaseErrors()) {
    EXPECT_LE(e.text.size(), 37u) << e.code;
    EXPECT_TRUE(e.code <= -201 && (e.code >= -261 || e.code == -279)) << e.code;
    EXPECT_TRUE(KnownErrorText(e.runtime).has_value()) << e.code;
  }
  struct Case {
    int xbase;
    const char* text;
    int runtime;
  };
  const Case cases[] = {
      {-201, "file write failure", 5},  {-205, "file not found", 2},
      {-206, "file corrupted", 38},     {-233, "bad data", 90},
      {-237, "file locking violation", 32}, {-238, "sharing buffer overflow", 332},
      {-243, "diskette changed", 317},  {-250, "invalid tag name", 46},
      {-252, "inv. max number of tag table elements", 90}, {-279, "", 32},
  };
  for (const Case& c : cases) {
    const XBaseError* e = FindXBaseError(c.xbase);
    ASSERT_NE(e, nullptr) << c.xbase;
    EXPECT_EQ(e->text, c.text);
    EXPECT_EQ(Number(e->runtime), c.runtime) << c.xbase;
  }
  for (int missing : {-200, -262, -278, -280, 0, 205}) EXPECT_EQ(FindXBaseError(missing), nullptr);
}

TEST(DriverResult, StatusesSucceedXBaseCodesMapAndOthersPassUnchanged) {
  ErrorState state;
  state.Set(ErrorCode::RecordNotFound);
  EXPECT_EQ(TakeDriverResult(ErrorCode{207}, "X.DBF", false, state), ErrorCode::Ok);
  EXPECT_EQ(state.Code(), ErrorCode::Ok);

  EXPECT_EQ(TakeDriverResult(ErrorCode{-233}, "X.DBF", false, state), ErrorCode::FileSystemError);
  EXPECT_EQ(state.FileErrorCode(), "-233");
  EXPECT_EQ(state.FileErrorText(), "bad data");

  EXPECT_EQ(TakeDriverResult(ErrorCode{-202}, "X.DBF", false, state), ErrorCode::AccessDenied);
  EXPECT_EQ(state.FileErrorText(), "");

  // Negative codes missing from the table and runtime codes stay as they are.
  EXPECT_EQ(Number(TakeDriverResult(ErrorCode{-270}, "X.DBF", false, state)), -270);
  EXPECT_EQ(state.Text(), "Unknown Error Posted : -270");
  EXPECT_EQ(TakeDriverResult(ErrorCode::CreatesDuplicateKey, "X.DBF", false, state),
            ErrorCode::CreatesDuplicateKey);
}

TEST(DriverResult, ExtendedErrorsShowTheXBaseFailureInTheStopBox) {
  std::string shown, title;
  SetStopBox([&](std::string_view message, std::string_view caption) {
    shown = message;
    title = caption;
  });
  ErrorState state;
  EXPECT_EQ(TakeDriverResult(ErrorCode{-205}, "C:\\INP_2004\\BASE2004\\PENSTA.DBF", true, state),
            ErrorCode::FileNotFound);
  EXPECT_EQ(shown, "File PENSTA.DBF, xBase Error (-205): File Not Found");
  EXPECT_EQ(title, "Stop");
  EXPECT_EQ(TakeDriverResult(ErrorCode{-233}, "/data/SPISOK.DBF", true, state),
            ErrorCode::FileSystemError);
  EXPECT_EQ(shown, "File SPISOK.DBF, xBase Error (-233): bad data");

  shown.clear();
  EXPECT_EQ(TakeDriverResult(ErrorCode{-205}, "PENSTA.DBF", false, state), ErrorCode::FileNotFound);
  EXPECT_EQ(TakeDriverResult(ErrorCode::RecordNotFound, "PENSTA.DBF", true, state),
            ErrorCode::RecordNotFound);
  EXPECT_EQ(shown, "");
  SetStopBox(nullptr);
}

}  // namespace
}  // namespace zelvo
