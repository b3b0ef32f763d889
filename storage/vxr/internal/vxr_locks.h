// The byte-range locks stations share an indexed record file by, all above
// offset 0x80000000 of the file (far past any data below 4 GiB, below the
// sharing bytes of storage/file_sharing.h):
//
//     reader slot   0x80000000 + s (s 0..0x3FE)  a station reading, during an operation
//     write lock    0x800003FF                    the one station writing
//     all readers   0x80000000, 0x3FF bytes       a writer while it writes pages
//     table lock    0x80000400 + T + 1            LOCKfile .. UNLOCK
//     record lock   0x80000400 + number + 1       PUT, DELETE, a held record
//
// Table and record numbers come from one counter, so their locks never meet.
// Reader slots are taken shared: readers never exclude one another, whatever
// slot they chose, and the all-readers lock (exclusive) waits for them all.
//
// Example: VxrRecordLock(7) == ByteRange{0x80000408, 1}.
#pragma once

#include <cstdint>

#include "storage/os_file.h"

namespace zelvo {

inline constexpr std::uint64_t kVxrLockBase = 0x80000000;
inline constexpr std::uint32_t kVxrReaderSlots = 0x3FF;

constexpr ByteRange VxrReaderSlot(std::uint32_t slot) { return {kVxrLockBase + slot % kVxrReaderSlots, 1}; }
constexpr ByteRange VxrWriteLock() { return {kVxrLockBase + kVxrReaderSlots, 1}; }
constexpr ByteRange VxrAllReaders() { return {kVxrLockBase, kVxrReaderSlots}; }
// A table's lock and a record's lock: the same range, by number.
constexpr ByteRange VxrRecordLock(std::uint32_t number) { return {kVxrLockBase + 0x400 + std::uint64_t{number} + 1, 1}; }

}  // namespace zelvo
