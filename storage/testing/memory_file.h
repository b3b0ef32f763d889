// MemoryFile: an OsFile (storage/os_file.h) over bytes held in memory, for
// the fuzz targets and the tests that need a file without a disk. The bytes
// are shared with whoever made the file, so a test can look at them after the
// file is gone. Locks always succeed: there is only this one open.
//
// Example:
//     auto bytes = std::make_shared<std::vector<std::uint8_t>>(input);
//     auto file = std::make_unique<MemoryFile>(bytes);
//
// Not thread-safe.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "storage/os_file.h"

namespace zelvo {

class MemoryFile final : public OsFile {
 public:
  using Bytes = std::vector<std::uint8_t>;
  explicit MemoryFile(std::shared_ptr<Bytes> bytes) : bytes_(std::move(bytes)) {}

  ReadResult ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    if (closed_) return {ErrorCode{306}, 0};
    if (offset >= bytes_->size()) return {};
    const std::size_t n = std::min<std::uint64_t>(into.size(), bytes_->size() - offset);
    std::copy_n(bytes_->begin() + static_cast<std::ptrdiff_t>(offset), n, into.begin());
    return {ErrorCode::Ok, n};
  }
  ErrorCode WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (closed_) return ErrorCode{306};
    if (offset + bytes.size() > kLargest) return ErrorCode{339};  // disk full
    if (bytes_->size() < offset + bytes.size()) bytes_->resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), bytes_->begin() + static_cast<std::ptrdiff_t>(offset));
    return ErrorCode::Ok;
  }
  SizeResult Size() override { return {ErrorCode::Ok, bytes_->size()}; }
  ErrorCode Truncate(std::uint64_t size) override {
    if (size > kLargest) return ErrorCode{339};
    bytes_->resize(size);
    return ErrorCode::Ok;
  }
  ErrorCode Sync() override { return ErrorCode::Ok; }
  ErrorCode Lock(ByteRange, LockKind, LockWait) override { return ErrorCode::Ok; }
  ErrorCode Unlock(ByteRange) override { return ErrorCode::Ok; }
  bool IsLockedByOthers(ByteRange, LockKind) override { return false; }
  ErrorCode Close() override {
    closed_ = true;
    return ErrorCode::Ok;
  }

 private:
  static constexpr std::uint64_t kLargest = 256u << 20;  // a memory file stays modest
  std::shared_ptr<Bytes> bytes_;
  bool closed_ = false;
};

}  // namespace zelvo
