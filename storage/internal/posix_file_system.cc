// The real file layer: pread/pwrite at offsets, fdatasync, and
// open-file-description locks (F_OFD_SETLK, F_OFD_SETLKW, F_OFD_GETLK).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "storage/os_file.h"

namespace zelvo {
namespace {

ErrorCode LastError(SystemCall call = SystemCall::Other) { return FromSystemError(errno, call); }

constexpr ErrorCode kInvalidHandle{306};

// A missing file is "File Not Found", a missing folder on its way "Path Not Found".
ErrorCode MissingFailure(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return FromSystemError(ENOENT);
  struct stat st {};
  const std::string folder = path.substr(0, slash);
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? FromSystemError(ENOENT)
                                                                  : FromSystemError(ENOTDIR);
}

class PosixFile final : public OsFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { (void)Close(); }

  ReadResult ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    if (fd_ < 0) return {kInvalidHandle, 0};
    std::size_t done = 0;
    while (done < into.size()) {
      const ssize_t n = ::pread(fd_, into.data() + done, into.size() - done,
                                static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return {LastError(SystemCall::Read), done};
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return {ErrorCode::Ok, done};
  }

  ErrorCode WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (fd_ < 0) return kInvalidHandle;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return LastError(SystemCall::Write);
      if (n == 0) return FromSystemError(ENOSPC, SystemCall::Write);
      done += static_cast<std::size_t>(n);
    }
    return ErrorCode::Ok;
  }

  SizeResult Size() override {
    if (fd_ < 0) return {kInvalidHandle, 0};
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return {LastError(), 0};
    return {ErrorCode::Ok, static_cast<std::uint64_t>(st.st_size)};
  }

  ErrorCode Truncate(std::uint64_t size) override {
    if (fd_ < 0) return kInvalidHandle;
    while (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
      if (errno != EINTR) return LastError(SystemCall::Write);
    return ErrorCode::Ok;
  }

  ErrorCode Sync() override {
    if (fd_ < 0) return kInvalidHandle;
    while (::fdatasync(fd_) != 0)
      if (errno != EINTR) return LastError(SystemCall::Write);
    return ErrorCode::Ok;
  }

  ErrorCode Lock(ByteRange range, LockKind kind, LockWait wait) override {
    struct flock lock = Describe(range, kind == LockKind::Shared ? F_RDLCK : F_WRLCK);
    return Control(wait == LockWait::Wait ? F_OFD_SETLKW : F_OFD_SETLK, lock);
  }

  ErrorCode Unlock(ByteRange range) override {
    struct flock lock = Describe(range, F_UNLCK);
    return Control(F_OFD_SETLK, lock);
  }

  bool IsLockedByOthers(ByteRange range, LockKind kind) override {
    struct flock lock = Describe(range, kind == LockKind::Shared ? F_RDLCK : F_WRLCK);
    if (Control(F_OFD_GETLK, lock) != ErrorCode::Ok) return false;
    return lock.l_type != F_UNLCK;
  }

  ErrorCode Close() override {
    if (fd_ < 0) return kInvalidHandle;
    const int fd = fd_;
    fd_ = -1;
    // The descriptor is gone whatever close answers; EINTR is not retried.
    return ::close(fd) == 0 || errno == EINTR ? ErrorCode::Ok : LastError();
  }

 private:
  static struct flock Describe(ByteRange range, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(range.start);
    lock.l_len = static_cast<off_t>(range.length);
    lock.l_pid = 0;  // required for open-file-description locks
    return lock;
  }

  ErrorCode Control(int command, struct flock& lock) {
    if (fd_ < 0) return kInvalidHandle;
    while (::fcntl(fd_, command, &lock) != 0)
      if (errno != EINTR) return LastError();
    return ErrorCode::Ok;
  }

  int fd_;
};

class RealFileSystem final : public FileSystem {
 public:
  OpenResult Open(const std::string& path, OpenRequest request) override {
    if (path.empty() || path.find('\0') != std::string::npos)
      return {FromSystemError(ENOENT), nullptr};
    int flags = O_CLOEXEC;
    flags |= request.read && request.write ? O_RDWR : request.write ? O_WRONLY : O_RDONLY;
    if (request.create) flags |= O_CREAT;
    if (request.truncate && request.write) flags |= O_TRUNC;
    auto openWith = [&](int withFlags) {
      int opened;
      do {
        opened = ::open(path.c_str(), withFlags, 0666);
      } while (opened < 0 && errno == EINTR);
      return opened;
    };
    // Shared lock bytes need read access, so a write-only open reads too
    // where the file allows it.
    int fd = -1;
    if (request.write && !request.read) fd = openWith((flags & ~O_WRONLY) | O_RDWR);
    if (fd < 0) fd = openWith(flags);
    if (fd < 0) return {errno == ENOENT ? MissingFailure(path) : LastError(), nullptr};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return {FromSystemError(EACCES), nullptr};  // a directory or device is no data file
    }
    return {ErrorCode::Ok, std::make_unique<PosixFile>(fd)};
  }

  ErrorCode Remove(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 ? ErrorCode::Ok : LastError();
  }

  ErrorCode Rename(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0 ? ErrorCode::Ok : LastError();
  }

  ErrorCode Link(const std::string& existing, const std::string& name) override {
    return ::link(existing.c_str(), name.c_str()) == 0 ? ErrorCode::Ok : LastError();
  }
};

}  // namespace

FileSystem& PosixFileSystem() {
  static RealFileSystem real;
  return real;
}

}  // namespace zelvo
