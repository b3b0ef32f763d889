// The dBase driver's own failure codes: negative xBase codes, each with a text
// of at most 37 characters and the runtime code it stands for. (Its positive
// statuses 201..214 are information, not failures.) A mapped code of 90 means
// "File System Error" with the xBase code and text as the file error.
//
// Examples:
//     FindXBaseError(-205)->runtime == ErrorCode::FileNotFound, text "file not found"
//     FindXBaseError(-233)->runtime == ErrorCode::FileSystemError, text "bad data"
//     FindXBaseError(-279)->text.empty()     FindXBaseError(-300) == nullptr
//
// Constant data; safe from any thread.
#pragma once

#include <span>
#include <string_view>

#include "storage/error_code.h"

namespace zelvo {

struct XBaseError {
  int code;               // -201 .. -261, -279
  std::string_view text;  // empty for -279
  ErrorCode runtime;
};

const XBaseError* FindXBaseError(int code);
std::span<const XBaseError> XBaseErrors();

}  // namespace zelvo
