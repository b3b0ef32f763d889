#include "storage/error_state.h"

namespace zelvo {
namespace {

std::string Bounded(std::string_view text, std::size_t limit) {
  return std::string(text.substr(0, limit));
}

}  // namespace

void ErrorState::Set(ErrorCode code) {
  code_ = code;
  if (code == ErrorCode::Ok) {
    text_.clear();
  } else {
    const std::string text = ErrorText(code);
    const std::size_t first = text.find_first_not_of(' ');
    text_ = first == std::string::npos ? std::string{} : Bounded(text.substr(first), kMaxText);
  }
  fileErrorCode_.clear();
  fileErrorText_.clear();
}

void ErrorState::Set(ErrorCode code, std::string_view appended) {
  Set(code);
  if (code != ErrorCode::Ok) text_ = Bounded(text_ + std::string(appended), kMaxText);
}

void ErrorState::SetFileError(std::string_view fileErrorCode, std::string_view fileErrorText) {
  Set(ErrorCode::FileSystemError);
  fileErrorCode_ = Bounded(fileErrorCode, kMaxFileErrorCode);
  fileErrorText_ = Bounded(fileErrorText, kMaxFileErrorText);
}

void ErrorState::SetFromSystem(int errnoValue, SystemCall call) {
  Set(FromSystemError(errnoValue, call));
}

ErrorState& RuntimeErrorState() {
  static ErrorState state;
  return state;
}

}  // namespace zelvo
