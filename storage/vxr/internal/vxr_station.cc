#include "storage/vxr/internal/vxr_station.h"

#include <chrono>

#include "storage/retry_wait.h"
#include "storage/vxr/internal/vxr_locks.h"

namespace zelvo {
namespace {

constexpr int kAttempts = 3;

}  // namespace

ErrorCode VxrStation::Enter(bool writing) {
  if (!shared_) return ErrorCode::Ok;
  if (writeHeld_) return ErrorCode::Ok;  // a writer reads too
  if (writing) {
    // The reader slot goes first: a writer that waited for the write lock
    // while holding it would keep another writer's all-readers lock waiting.
    if (slotHeld_) {
      (void)file_.Unlock(VxrReaderSlot(slot_));
      slotHeld_ = false;
    }
    const ErrorCode code = file_.Lock(VxrWriteLock(), LockKind::Exclusive, LockWait::Wait);
    writeHeld_ = !Failed(code);
    return code;
  }
  if (slotHeld_) return ErrorCode::Ok;
  // A shared slot is refused only while a writer writes pages: each refusal
  // moves on to the next slot, and the last try waits.
  for (int attempt = 1; attempt < kAttempts; ++attempt) {
    if (!Failed(file_.Lock(VxrReaderSlot(slot_), LockKind::Shared, LockWait::Try))) {
      slotHeld_ = true;
      return ErrorCode::Ok;
    }
    slot_ = (slot_ + 1) % kVxrReaderSlots;
  }
  const ErrorCode code = file_.Lock(VxrReaderSlot(slot_), LockKind::Shared, LockWait::Wait);
  slotHeld_ = !Failed(code);
  return code;
}

ErrorCode VxrStation::EnterWriting(int seconds) {
  if (!shared_ || writeHeld_ || seconds <= 0) return Enter(true);
  if (slotHeld_) {
    (void)file_.Unlock(VxrReaderSlot(slot_));
    slotHeld_ = false;
  }
  writeHeld_ = RetryUntil(std::chrono::seconds(seconds), std::chrono::milliseconds(10), [&] {
    return !Failed(file_.Lock(VxrWriteLock(), LockKind::Exclusive, LockWait::Try));
  });
  return writeHeld_ ? ErrorCode::Ok : ErrorCode::FileIsAlreadyLocked;
}

void VxrStation::Leave(bool keepWriteLock) {
  if (slotHeld_) {
    (void)file_.Unlock(VxrReaderSlot(slot_));
    slotHeld_ = false;
  }
  if (writeHeld_ && !keepWriteLock) {
    (void)file_.Unlock(VxrWriteLock());
    writeHeld_ = false;
  }
}

bool VxrStation::TryLock(std::uint32_t number) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!Failed(file_.Lock(VxrRecordLock(number), LockKind::Exclusive, LockWait::Try))) return true;
  }
  return false;
}

void VxrStation::Unlock(std::uint32_t number) { (void)file_.Unlock(VxrRecordLock(number)); }

}  // namespace zelvo
