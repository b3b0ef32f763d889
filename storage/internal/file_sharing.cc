#include "storage/file_sharing.h"

#include <cerrno>

namespace zelvo {
namespace {

enum Byte : std::uint64_t { kReads = 0, kWrites = 1, kDeniesRead = 2, kDeniesWrite = 3 };

ByteRange At(Byte b) { return {kSharingBytes + b, 1}; }

}  // namespace

ErrorCode ClaimSharing(OsFile& file, SharingClaim claim) {
  const struct {
    bool wanted;
    Byte own;
    Byte opposite;
  } parts[] = {
      {claim.reads, kReads, kDeniesRead},
      {claim.writes, kWrites, kDeniesWrite},
      {claim.deniesRead, kDeniesRead, kReads},
      {claim.deniesWrite, kDeniesWrite, kWrites},
  };
  for (const auto& part : parts) {
    if (!part.wanted) continue;
    const ErrorCode locked = file.Lock(At(part.own), LockKind::Shared, LockWait::Try);
    // A byte another open denies exclusively cannot happen: all are shared.
    if (Failed(locked)) return locked;
  }
  for (const auto& part : parts) {
    if (part.wanted && file.IsLockedByOthers(At(part.opposite), LockKind::Exclusive)) {
      (void)file.Unlock({kSharingBytes, 4});
      return FromSystemError(EBUSY);
    }
  }
  return ErrorCode::Ok;
}

}  // namespace zelvo
