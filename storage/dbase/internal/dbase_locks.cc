#include "storage/dbase/internal/dbase_locks.h"

namespace zelvo {
namespace {

bool Same(ByteRange a, ByteRange b) { return a.start == b.start && a.length == b.length; }

}  // namespace

int DbaseLocks::Take(OsFile& file, ByteRange range) {
  if (Holds(range)) return 0;
  Entry* free = nullptr;
  for (Entry& e : entries_)
    if (!e.used && !free) free = &e;
  if (!free) return kDbaseLockTableFull;
  if (Failed(file.Lock(range, LockKind::Exclusive, LockWait::Try))) return kDbaseLockRefused;
  *free = {true, range};
  return 0;
}

void DbaseLocks::Release(OsFile& file, ByteRange range) {
  for (Entry& e : entries_) {
    if (e.used && Same(e.range, range)) {
      (void)file.Unlock(range);
      e.used = false;
    }
  }
}

void DbaseLocks::ReleaseAll(OsFile& file) {
  for (Entry& e : entries_) {
    if (e.used) (void)file.Unlock(e.range);
    e.used = false;
  }
}

bool DbaseLocks::Holds(ByteRange range) const {
  for (const Entry& e : entries_)
    if (e.used && Same(e.range, range)) return true;
  return false;
}

}  // namespace zelvo
