// Reading an open table whole as the program reads it — in record order and
// in the order of each key, forwards and backwards — to see how a possibly
// damaged file answers: each walk must end at the end of the table or with an
// error the user is told in words (90 with the driver's own), having
// delivered no more records than `budget`. Shared by the damaged-file test and
// the table fuzz target.
#pragma once

#include <cstddef>

#include "storage/error_code.h"
#include "storage/error_state.h"
#include "storage/file_operations.h"

namespace zelvo::testing_vxr {

enum class WholeRead {
  Whole,       // every walk reached the end of the table
  Refused,     // a walk ended with a clear error
  OverBudget,  // a walk went on past the budget: it would have gone round for ever
  Unclear,     // a walk ended with an error without words
};

// An error the user is told in words: a known code, and for 90 what the
// driver met.
inline bool ClearError(ErrorCode code) {
  if (!KnownErrorText(code)) return false;
  return code != ErrorCode::FileSystemError || !RuntimeErrorState().FileErrorText().empty();
}

// Walks `file` (open, with `keys` keys) every way.
inline WholeRead ReadWhole(File& file, std::size_t keys, std::size_t budget) {
  WholeRead read = WholeRead::Whole;
  for (std::size_t key = 0; key <= keys; ++key) {
    for (const FileOperation step : {FileOperation::NEXT, FileOperation::PREVIOUS}) {
      OperationArguments order;
      order.key = key;
      (void)PerformFileOperation(file, key == 0 ? FileOperation::SETfile : FileOperation::SETkey, order);
      std::size_t delivered = 0;
      ErrorCode code = ErrorCode::Ok;
      while ((code = PerformFileOperation(file, step)) == ErrorCode::Ok) {
        if (++delivered > budget) return WholeRead::OverBudget;
      }
      if (code == ErrorCode::RecordNotAvailable) continue;
      if (!ClearError(code)) return WholeRead::Unclear;
      read = WholeRead::Refused;
    }
  }
  return read;
}

}  // namespace zelvo::testing_vxr
