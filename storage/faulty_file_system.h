// FaultyFileSystem: a FileSystem that passes every call to another one (the
// real one by default) and fails the calls a test plans: the n-th write
// (counted over every file opened through it, from 1), optionally after
// letting part of its bytes reach the file, the n-th read, every sync, or the
// next open. It serves the tests that check a failed write never leaves a
// file worse than the last good state, repeating an operation with the fault
// at every write in turn.
//
// Example:
//     FaultyFileSystem faulty;
//     faulty.plan.failWrite = 2;            // the second write fails ...
//     faulty.plan.shortWriteBytes = 3;      // ... after 3 of its bytes were written
//     SetFileSystem(&faulty);  ... ;  SetFileSystem(nullptr);
//     faulty.WritesSeen()                   // writes attempted so far
//
// For tests; one thread at a time.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "storage/os_file.h"

namespace zelvo {

struct FaultPlan {
  std::uint64_t failWrite = 0;        // the write to fail, counted from 1; 0 none
  std::size_t shortWriteBytes = 0;    // bytes of the failing write that still reach the file
  int writeErrno = ENOSPC;
  std::uint64_t failRead = 0;         // the read to fail, counted from 1; 0 none
  int readErrno = EIO;
  bool failSync = false;
  bool failOpen = false;
  int openErrno = EACCES;
};

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner = PosixFileSystem()) : inner_(inner) {}

  FaultPlan plan;

  std::uint64_t WritesSeen() const { return writes_; }
  std::uint64_t ReadsSeen() const { return reads_; }

  OpenResult Open(const std::string& path, OpenRequest request) override;
  ErrorCode Remove(const std::string& path) override { return inner_.Remove(path); }
  ErrorCode Rename(const std::string& from, const std::string& to) override {
    return inner_.Rename(from, to);
  }

 private:
  friend class FaultyFile;
  FileSystem& inner_;
  std::uint64_t writes_ = 0;
  std::uint64_t reads_ = 0;
};

}  // namespace zelvo
