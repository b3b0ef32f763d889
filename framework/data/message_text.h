// Placeholder substitution: how a message's text is filled from the failure
// before it is shown.
//
// The text is copied into a working text of at most 1999 characters; then
// each placeholder is replaced, in this order, everywhere it occurs, before
// the next one is looked for:
//     %File  %ErrorCode  %ErrorText  %Error  %FileErrorCode  %FileError
//     %Message  %Field  %Procedure  %Category  %Previous
// %ErrorText is the driver's own error text and code, "bad data (-233)", when
// the error code is 90 (File System Error), else the runtime's text and code,
// "Too Many Open Files (4)". %Previous is the earlier definition of the same
// message, or nothing.
//
// Two guards keep the result what the text means: an inserted value is never
// scanned again (a field name holding "%Field" stays as it is), and a shorter
// placeholder never eats the start of a longer one ("%FileError" is not
// "%File" followed by "Error").
//
// Example: "File %File could not be opened.  Error: %ErrorText." with file
// "NBASA", code 4, text "Too Many Open Files" gives
// "File NBASA could not be opened.  Error: Too Many Open Files (4)."
//
// Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

struct PlaceholderValues {
  std::string file;
  std::int32_t errorCode = 0;
  std::string error;
  std::string fileErrorCode;
  std::string fileError;
  std::string message;
  std::string field;
  std::string procedure;
  std::string category;
  std::optional<std::string> previous;  // nullopt: no earlier definition
};

inline constexpr std::size_t kMaxMessageText = 1999;

std::string SubstitutePlaceholders(std::string_view text, const PlaceholderValues& values);

}  // namespace zelvo
