// How the runtime takes a driver's answer into the error state.
//
//     0 or 201..214          success; the error state says 0
//     below -200, in the xBase table (storage/internal/xbase_error.h)
//                            the mapped runtime code; for a mapped 90 the file
//                            error is the xBase code as decimal text and its text
//     anything else          that code, unchanged
//
// With the FILE's extended errors on (the dBase EXTERRORS option) a mapped
// xBase code is also shown in the stop box: "File %s, xBase Error (%d): %s"
// with the file's name after its last directory separator, the xBase code,
// and the xBase text for 90 or else the runtime text of the mapped code,
// under the title "Stop".
//
// Example:
//     TakeDriverResult(ErrorCode{-233}, "PENSTA.DBF", false, state) == ErrorCode::FileSystemError
//     state.FileErrorCode() == "-233", state.FileErrorText() == "bad data"
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "storage/error_state.h"

namespace zelvo {

// Shows the runtime's stop box; the window layer sets it. Without one the
// message is written to standard error.
using StopBox = std::function<void(std::string_view message, std::string_view title)>;
void SetStopBox(StopBox box);

// The extended-error message for a mapped xBase code, as described above.
std::string XBaseStopMessage(std::string_view fileName, int xbaseCode);

// The runtime code the answer stands for; the error state is set to it (and
// to the file error for a mapped 90).
ErrorCode TakeDriverResult(ErrorCode answer, std::string_view fileName, bool extendedErrors,
                           ErrorState& state);

}  // namespace zelvo
