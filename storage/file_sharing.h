// Sharing modes on Linux. Windows refuses an open that conflicts with the
// sharing of the opens already there (deny read, deny write, deny all); Linux
// has no such modes, so every open records what it does and what it denies as
// shared open-file-description locks on four bytes far past any data:
//
//     kSharingBytes + 0   held while the open reads
//     kSharingBytes + 1   held while the open writes
//     kSharingBytes + 2   held while the open denies others reading
//     kSharingBytes + 3   held while the open denies others writing
//
// An open conflicts when another open holds the byte opposite to one of its
// own: it reads and someone denies reading, it denies writing and someone
// writes, and so on. The locks are taken first and the conflicts tested after,
// so of two racing opens at worst both are refused, never both admitted.
// Data locks (LOCKfile, record holds) must stay below kSharingBytes.
//
// The locks belong to the open file and vanish with it. Compatibility mode is
// each driver's to map first (shared for the ASCII and indexed files).
#pragma once

#include <cstdint>

#include "storage/error_code.h"
#include "storage/os_file.h"

namespace zelvo {

inline constexpr std::uint64_t kSharingBytes = 0x7FFF'FFFF'FFFF'FF00;

struct SharingClaim {
  bool reads = true;
  bool writes = false;
  bool deniesRead = false;
  bool deniesWrite = false;
};

// 0, or 332 (Sharing Violation) when another open's claim conflicts; on a
// refusal the claim's locks are released again.
ErrorCode ClaimSharing(OsFile& file, SharingClaim claim);

}  // namespace zelvo
