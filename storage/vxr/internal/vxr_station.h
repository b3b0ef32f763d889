// VxrStation: this process's station on one shared indexed record file — the
// reading or writing state and the locks of storage/vxr/internal/vxr_locks.h it holds.
//
// An operation enters the station reading or writing and leaves it at its
// end. Reading holds the reader slot (shared, so readers never wait for one
// another); writing holds the write lock, which also covers reading. Both are
// taken waiting: only a writer's all-readers lock or another writer keeps a
// station out, and neither is held long. Leaving keeps the write lock when
// asked (a transaction, or changes put off by streaming), so that no other
// station commits beneath changes not yet written.
//
// Record and table locks are tried three times in immediate succession and
// never waited for; their callers repeat where the operation says so.
//
// A station of a file that others may not write (not shared) takes no
// station locks at all; record and table locks are still taken.
//
// Borrows the OS file (owned by the page store beside it). Not thread-safe:
// the run token's holder only.
#pragma once

#include <cstdint>

#include "storage/error_code.h"
#include "storage/os_file.h"

namespace zelvo {

class VxrStation {
 public:
  VxrStation(OsFile& file, bool shared, std::uint32_t slot) : file_(file), shared_(shared), slot_(slot) {}
  ~VxrStation() = default;
  VxrStation(const VxrStation&) = delete;
  VxrStation& operator=(const VxrStation&) = delete;

  bool Shared() const { return shared_; }
  ErrorCode Enter(bool writing);
  // The write lock tried until `seconds` have passed (0: waited for), for a
  // transaction's start, which would otherwise wait for ever on a station
  // waiting in turn for a file this one holds: 32 when not granted.
  ErrorCode EnterWriting(int seconds);
  void Leave(bool keepWriteLock);
  bool HoldsWriteLock() const { return writeHeld_; }

  // A record's (or a table's) lock: true when granted.
  bool TryLock(std::uint32_t number);
  void Unlock(std::uint32_t number);

 private:
  OsFile& file_;
  bool shared_;
  std::uint32_t slot_;
  bool slotHeld_ = false;
  bool writeHeld_ = false;
};

}  // namespace zelvo
