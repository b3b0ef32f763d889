// The byte-range locks of a shared dBase table, at the places every program
// sharing the file uses (far beyond any data, never on bytes that are read):
//
//   record n         first byte (n + 1) XOR 0xEFFFFFFF   length 1
//   header (append)  first byte 0xEFFFFFFE                length 1
//   whole file       first byte 0xEFFFFFFE                length 2
//
// A DbaseLocks keeps the locks one open table holds, at most two at a time
// (a held record and the header, or the whole file and a record). Each lock
// is tried once: another open's lock answers -279 (runtime 32); a third lock
// answers -260. Locks are exclusive open-file-description locks
// (storage/os_file.h), so two opens in one process exclude each other as two
// stations do. Belongs to one open table; not thread-safe.
#pragma once

#include <array>
#include <cstdint>

#include "storage/os_file.h"

namespace zelvo {

constexpr ByteRange DbaseRecordLock(std::uint32_t record) {
  return {(std::uint64_t{record} + 1) ^ 0xEFFFFFFFu, 1};
}
inline constexpr ByteRange kDbaseHeaderLock{0xEFFFFFFE, 1};
inline constexpr ByteRange kDbaseFileLock{0xEFFFFFFE, 2};

inline constexpr int kDbaseLockRefused = -279;
inline constexpr int kDbaseLockTableFull = -260;

class DbaseLocks {
 public:
  // 0, -279 or -260; a range already held answers 0 again.
  [[nodiscard]] int Take(OsFile& file, ByteRange range);
  // Releases a held range; one not held is ignored.
  void Release(OsFile& file, ByteRange range);
  void ReleaseAll(OsFile& file);
  bool Holds(ByteRange range) const;

 private:
  struct Entry {
    bool used = false;
    ByteRange range;
  };
  std::array<Entry, 2> entries_{};
};

}  // namespace zelvo
