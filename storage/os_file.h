// The file layer beneath every driver: an open operating-system file
// (OsFile) and the file system that opens, removes and renames files
// (FileSystem). Drivers reach the disk only through these two interfaces, so
// tests can put a FaultyFileSystem (storage/testing/faulty_file_system.h) in place of
// the real one and make any read, write or sync fail, or a write stop short.
//
// Every call answers a runtime error code: 0, or an operating-system failure
// as its Windows error + 300 (storage/error_code.h). Reads and writes work at
// an explicit offset and never move a shared file position. A write is whole
// or failed: a write the system cut short and could not finish is an error
// (disk full, 339), and the bytes that did reach the file stay there; the
// caller decides how to put the file back.
//
// Locks are Linux open-file-description locks: held by the open file, not by
// the process, so two opens of one file in one process exclude each other
// like two stations do, and closing another descriptor of the file never
// drops them.
//
// An OsFile belongs to one user at a time (the run token's holder); the
// process-wide FileSystem is stateless and may be used from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "storage/error_code.h"

namespace zelvo {

struct [[nodiscard]] ReadResult {
  ErrorCode code = ErrorCode::Ok;
  std::size_t bytes = 0;  // fewer than asked only at the end of the file
};

struct [[nodiscard]] SizeResult {
  ErrorCode code = ErrorCode::Ok;
  std::uint64_t size = 0;
};

// A byte range; length 0 reaches to the end of the file, however far it grows.
struct ByteRange {
  std::uint64_t start = 0;
  std::uint64_t length = 0;
};

enum class LockKind : std::uint8_t { Shared, Exclusive };
enum class LockWait : std::uint8_t { Try, Wait };

class OsFile {
 public:
  virtual ~OsFile() = default;

  virtual ReadResult ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
  virtual ErrorCode WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
  virtual SizeResult Size() = 0;
  virtual ErrorCode Truncate(std::uint64_t size) = 0;
  // Makes the written data durable (fdatasync).
  virtual ErrorCode Sync() = 0;

  // Try: a conflicting lock held by another open answers 333 (Lock Violation).
  virtual ErrorCode Lock(ByteRange range, LockKind kind, LockWait wait) = 0;
  virtual ErrorCode Unlock(ByteRange range) = 0;
  // Whether another open holds a lock that conflicts with `kind` on the range.
  virtual bool IsLockedByOthers(ByteRange range, LockKind kind) = 0;

  // Closes the file; later calls answer 306 (Invalid Handle). The destructor
  // closes a file not closed before.
  virtual ErrorCode Close() = 0;
};

// A write-only request is given read access too where the file allows it:
// the shared lock bytes of storage/file_sharing.h need it.
struct OpenRequest {
  bool read = true;
  bool write = false;
  bool create = false;    // make the file when it is missing
  bool truncate = false;  // cut an existing file to zero length
};

struct [[nodiscard]] OpenResult {
  ErrorCode code = ErrorCode::Ok;
  std::unique_ptr<OsFile> file;  // set exactly when code is 0
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Paths are used as given, never passed to a shell.
  virtual OpenResult Open(const std::string& path, OpenRequest request) = 0;
  virtual ErrorCode Remove(const std::string& path) = 0;
  // Replaces an existing file of the new name.
  virtual ErrorCode Rename(const std::string& from, const std::string& to) = 0;
  // Gives the file `existing` the second name `name`; an existing file of that
  // name is never replaced (380, File Already Exists).
  virtual ErrorCode Link(const std::string& existing, const std::string& name) = 0;
};

// The real file system of this machine.
FileSystem& PosixFileSystem();

// The file system the drivers use: PosixFileSystem() unless a test set its
// own with SetFileSystem (nullptr restores the real one). Not to be changed
// while files are open through it.
FileSystem& CurrentFileSystem();
void SetFileSystem(FileSystem* fileSystem);

// Whether there is a file of that name: any answer to opening it but "not
// found" means there is.
bool FileExists(const std::string& path);

// Makes the file at `path` when it is missing, so that processes doing it at
// the same moment never both make it (the second would erase what the first
// has begun to put in). `make(draft)` makes the whole file under a name of
// this process's own beside it; the draft is then linked into place, which
// only one process can do, and removed. Answers 0 when the file is there
// afterwards, made here or by another process meanwhile; else the failure,
// with no file made and no draft left.
ErrorCode MakeFileOnce(const std::string& path, const std::function<ErrorCode(const std::string& draft)>& make);

}  // namespace zelvo
