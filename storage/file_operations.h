// PerformFileOperation: how every table statement reaches a FILE's driver.
//
// In order: find the FILE's driver (80 when it has none or does not list the
// operation); check the state flags against the operation's preconditions
// (storage/operation_state.h), which may fail the operation with a code or
// skip it without error; for RESET... and REGET... refuse a blank saved
// position (35); call the driver; take its answer into the runtime error
// state (storage/driver_result.h); update the flags; write the trace line
// when the FILE is traced (storage/trace_log.h).
//
// LOCKfile repeats the driver's attempt as long as it answers 32 (File Is
// Already Locked); LOCKfilesec repeats it, waiting between attempts, until the
// given seconds have passed. OPEN records the access mode (SHARE opens with
// the mode's access part and deny none): W when it allows writing, X when it
// denies others writing. Error 90 from a driver carries the driver's words
// as the file error text. A BUILD (or PACK) given a progress callback runs
// with the flag B set, so the callback's own operations on the FILE answer 92
// (BUILD In Progress) but for CLOSE, NAME and the property reads.
//
// The answer is the code the error state now holds, 0 for success, also for
// a skipped operation. Used only by the run token's holder.
#pragma once

#include "storage/error_code.h"
#include "storage/file.h"
#include "storage/file_driver.h"
#include "storage/file_operation.h"

namespace zelvo {

ErrorCode PerformFileOperation(File& file, FileOperation op, const OperationArguments& arguments,
                               OperationAnswer& answer);
// The same for an operation whose answer, besides its code, is not needed.
ErrorCode PerformFileOperation(File& file, FileOperation op,
                               const OperationArguments& arguments = {});

class FileOperationRunner {
 public:
  static ErrorCode Run(File& file, FileOperation op, const OperationArguments& arguments,
                       OperationAnswer& answer);
};

}  // namespace zelvo
