#include "storage/testing/faulty_file_system.h"

#include <algorithm>

namespace zelvo {

class FaultyFile final : public OsFile {
 public:
  FaultyFile(std::unique_ptr<OsFile> inner, FaultyFileSystem& owner, std::string path)
      : inner_(std::move(inner)), owner_(owner), path_(std::move(path)) {}

  ReadResult ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    if (++owner_.reads_ == owner_.plan.failRead)
      return {FromSystemError(owner_.plan.readErrno, SystemCall::Read), 0};
    return inner_->ReadAt(offset, into);
  }

  ErrorCode WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    const std::uint64_t n = ++owner_.writes_;
    const bool cut = n == owner_.plan.failWrite || (owner_.plan.stopAfterWrites != 0 && n == owner_.plan.stopAfterWrites + 1);
    if (owner_.Stopped() && !cut) return FromSystemError(EIO, SystemCall::Write);
    if (!cut) return Write(offset, bytes);
    const std::size_t part = std::min(owner_.plan.shortWriteBytes, bytes.size());
    if (part > 0) (void)Write(offset, bytes.first(part));
    return FromSystemError(owner_.plan.writeErrno, SystemCall::Write);
  }

  SizeResult Size() override { return inner_->Size(); }
  ErrorCode Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  ErrorCode Sync() override {
    const std::uint64_t n = ++owner_.syncs_;
    if (owner_.plan.failSync || n == owner_.plan.failSyncAt || owner_.Stopped())
      return FromSystemError(EIO, SystemCall::Write);
    const ErrorCode code = inner_->Sync();
    if (!Failed(code)) owner_.unsynced_.erase(path_);
    return code;
  }
  ErrorCode Lock(ByteRange range, LockKind kind, LockWait wait) override {
    return inner_->Lock(range, kind, wait);
  }
  ErrorCode Unlock(ByteRange range) override { return inner_->Unlock(range); }
  bool IsLockedByOthers(ByteRange range, LockKind kind) override {
    return inner_->IsLockedByOthers(range, kind);
  }
  ErrorCode Close() override { return inner_->Close(); }

 private:
  // Writes through, remembering what the write covered until the next sync.
  ErrorCode Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    const SizeResult size = inner_->Size();
    FaultyFileSystem::Unsynced undo{offset, std::vector<std::uint8_t>(bytes.size()), size.size};
    const ReadResult old = inner_->ReadAt(offset, undo.before);
    undo.before.resize(old.bytes);
    owner_.unsynced_[path_].push_back(std::move(undo));
    return inner_->WriteAt(offset, bytes);
  }

  std::unique_ptr<OsFile> inner_;
  FaultyFileSystem& owner_;
  std::string path_;
};

OpenResult FaultyFileSystem::Open(const std::string& path, OpenRequest request) {
  if (plan.failOpen) return {FromSystemError(plan.openErrno), nullptr};
  OpenResult opened = inner_.Open(path, request);
  if (opened.code != ErrorCode::Ok) return opened;
  return {ErrorCode::Ok, std::make_unique<FaultyFile>(std::move(opened.file), *this, path)};
}

std::size_t FaultyFileSystem::PowerLoss() {
  std::size_t undone = 0;
  for (auto& [path, writes] : unsynced_) {
    OpenResult opened = inner_.Open(path, {.read = true, .write = true});
    if (Failed(opened.code)) continue;
    for (auto it = writes.rbegin(); it != writes.rend(); ++it, ++undone) {
      (void)opened.file->WriteAt(it->offset, it->before);
      (void)opened.file->Truncate(it->sizeBefore);  // bytes past the old end were never there
    }
    (void)opened.file->Sync();
  }
  unsynced_.clear();
  return undone;
}

}  // namespace zelvo
