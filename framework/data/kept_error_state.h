// KeptErrorState: keeps the runtime's error state (storage/error_state.h)
// across the file operations of its scope, so book-keeping reads and the
// roll-back of a failed transaction do not replace the failure a message is
// about to report:
//
//     (void)Perform(FileOperation::DELETE);             // error state: 5 Access Denied
//     { KeptErrorState keep; (void)Perform(FileOperation::ROLLBACK); }
//     RaiseError(kMsgRecordNotDeleted);                 // "An error (Access Denied (5)) was ..."

//
// Used only by the run token's holder, like the error state itself.
#pragma once

#include "storage/error_state.h"

namespace zelvo {

class KeptErrorState {
 public:
  KeptErrorState() : saved_(RuntimeErrorState()) {}
  ~KeptErrorState() { RuntimeErrorState() = saved_; }
  KeptErrorState(const KeptErrorState&) = delete;
  KeptErrorState& operator=(const KeptErrorState&) = delete;

 private:
  ErrorState saved_;
};

}  // namespace zelvo
