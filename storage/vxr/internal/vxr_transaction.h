// Whether an interrupted write of an indexed record file belongs to a
// transaction over several files that did not complete: the file's
// transaction marker names a control file that cannot be opened or still
// holds the marker's transaction number. Such a write is undone; any other is
// finished. The page store's undo decider (VxrStoreOptions::undoInterrupted),
// for the driver and the checker alike; the transactions themselves are the
// driver's (storage/vxr/internal/vxr_transaction.cc).
//
// Reads the store through the shadow copies it is given; opens the control
// file read-only. The run token's holder only.
#pragma once

#include "storage/vxr/internal/vxr_page_store.h"

namespace zelvo::vxr {

bool TransactionIncomplete(VxrPageStore& store);

}  // namespace zelvo::vxr
