#include "storage/faulty_file_system.h"

#include <algorithm>

namespace zelvo {

class FaultyFile final : public OsFile {
 public:
  FaultyFile(std::unique_ptr<OsFile> inner, FaultyFileSystem& owner)
      : inner_(std::move(inner)), owner_(owner) {}

  ReadResult ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    if (++owner_.reads_ == owner_.plan.failRead)
      return {FromSystemError(owner_.plan.readErrno, SystemCall::Read), 0};
    return inner_->ReadAt(offset, into);
  }

  ErrorCode WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (++owner_.writes_ != owner_.plan.failWrite) return inner_->WriteAt(offset, bytes);
    const std::size_t part = std::min(owner_.plan.shortWriteBytes, bytes.size());
    if (part > 0) (void)inner_->WriteAt(offset, bytes.first(part));
    return FromSystemError(owner_.plan.writeErrno, SystemCall::Write);
  }

  SizeResult Size() override { return inner_->Size(); }
  ErrorCode Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  ErrorCode Sync() override {
    return owner_.plan.failSync ? FromSystemError(EIO, SystemCall::Write) : inner_->Sync();
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
  std::unique_ptr<OsFile> inner_;
  FaultyFileSystem& owner_;
};

OpenResult FaultyFileSystem::Open(const std::string& path, OpenRequest request) {
  if (plan.failOpen) return {FromSystemError(plan.openErrno), nullptr};
  OpenResult opened = inner_.Open(path, request);
  if (opened.code != ErrorCode::Ok) return opened;
  return {ErrorCode::Ok, std::make_unique<FaultyFile>(std::move(opened.file), *this)};
}

}  // namespace zelvo
