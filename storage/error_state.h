// ErrorState: the runtime's record of the last file-operation failure — the
// error code (0 after success), its text (at most 80 characters, leading
// blanks removed) and, for error 90 only, the file error code and file error
// text (at most 80 and 254 characters) that say what the driver met.
//
// The program has one, RuntimeErrorState(), set by whichever operation ran
// last; callers test it directly after each operation. Like all program state
// it is touched only by the thread that holds the run token.
//
// Example:
//     state.Set(ErrorCode::RecordNotAvailable);   state.Text() == "Record Not Available"
//     state.SetFileError("-233", "bad data");     state.Code() == ErrorCode::FileSystemError
//     state.Set(ErrorCode{12});                   state.Text() == "Unknown Error Posted : 12"
#pragma once

#include <string>
#include <string_view>

#include "storage/error_code.h"

namespace zelvo {

class ErrorState {
 public:
  static constexpr std::size_t kMaxText = 80;
  static constexpr std::size_t kMaxFileErrorCode = 80;
  static constexpr std::size_t kMaxFileErrorText = 254;

  ErrorCode Code() const { return code_; }
  const std::string& Text() const { return text_; }
  const std::string& FileErrorCode() const { return fileErrorCode_; }
  const std::string& FileErrorText() const { return fileErrorText_; }

  // Sets the code and its text and clears the file error; Set(Ok) clears all.
  void Set(ErrorCode code);
  // The code with words appended to its text: 801 and " (NAME)" for the name
  // a filter expression found unbound.
  void Set(ErrorCode code, std::string_view appended);
  // Error 90 with what the driver reports about it.
  void SetFileError(std::string_view fileErrorCode, std::string_view fileErrorText);
  // An operating-system failure: the mapped Windows error + 300.
  void SetFromSystem(int errnoValue, SystemCall call = SystemCall::Other);
  void Clear() { Set(ErrorCode::Ok); }

 private:
  ErrorCode code_ = ErrorCode::Ok;
  std::string text_;
  std::string fileErrorCode_;
  std::string fileErrorText_;
};

// The program's one error state.
ErrorState& RuntimeErrorState();

}  // namespace zelvo
