// WaitCursor: the wait cursor over every window of the program for as long
// as it lives (WindowRuntime::SetWaitCursor, counted, so these nest).
//
//     { WaitCursor wait; ... a long read ... }   // the normal cursor again
//
// Made and ended by the run token's holder.
#pragma once

#include "platform/window_runtime.h"

namespace zelvo {

class WaitCursor {
 public:
  WaitCursor() { TheWindowRuntime().SetWaitCursor(true); }
  ~WaitCursor() { TheWindowRuntime().SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace zelvo
