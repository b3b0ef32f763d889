// FaultyFileSystem: a FileSystem that passes every call to another one (the
// real one by default) and fails the calls a test plans: the n-th write
// (counted over every file opened through it, from 1), optionally after
// letting part of its bytes reach the file, the n-th read, every sync, the
// next open, or every link. It serves the tests that check a failed write
// never leaves a file worse than the last good state, repeating an operation
// with the fault at every write in turn.
//
// Example:
//     FaultyFileSystem faulty;
//     faulty.plan.failWrite = 2;            // the second write fails ...
//     faulty.plan.shortWriteBytes = 3;      // ... after 3 of its bytes were written
//     SetFileSystem(&faulty);  ... ;  SetFileSystem(nullptr);
//     faulty.WritesSeen()                   // writes attempted so far
//
// A crash is modelled by stopAfterWrites: the writes after the n-th (and the
// syncs after it) never happen, as when the process stops there; the first
// of them may still leave shortWriteBytes behind (a torn write). A power loss
// is PowerLoss(): every write a file has had since its last sync is undone,
// as if the disk had never received it.
//
// For tests; one thread at a time.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "storage/os_file.h"

namespace zelvo {

struct FaultPlan {
  std::uint64_t failWrite = 0;        // the write to fail, counted from 1; 0 none
  std::size_t shortWriteBytes = 0;    // bytes of the failing write that still reach the file
  int writeErrno = ENOSPC;
  std::uint64_t failRead = 0;         // the read to fail, counted from 1; 0 none
  int readErrno = EIO;
  bool failSync = false;
  std::uint64_t failSyncAt = 0;       // the sync to fail, counted from 1; 0 none
  std::uint64_t stopAfterWrites = 0;  // writes past this many, and syncs after, fail; 0 none
  bool failOpen = false;
  int openErrno = EACCES;
  bool failLink = false;
  int linkErrno = EACCES;
};

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner = PosixFileSystem()) : inner_(inner) {}

  FaultPlan plan;

  std::uint64_t WritesSeen() const { return writes_; }
  std::uint64_t ReadsSeen() const { return reads_; }
  std::uint64_t SyncsSeen() const { return syncs_; }
  // Undoes every write not followed by a sync of its file; answers how many.
  std::size_t PowerLoss();

  OpenResult Open(const std::string& path, OpenRequest request) override;
  ErrorCode Remove(const std::string& path) override { return inner_.Remove(path); }
  ErrorCode Rename(const std::string& from, const std::string& to) override {
    return inner_.Rename(from, to);
  }
  ErrorCode Link(const std::string& existing, const std::string& name) override {
    return plan.failLink ? FromSystemError(plan.linkErrno) : inner_.Link(existing, name);
  }

 private:
  friend class FaultyFile;
  bool Stopped() const { return plan.stopAfterWrites != 0 && writes_ > plan.stopAfterWrites; }

  struct Unsynced {
    std::uint64_t offset;
    std::vector<std::uint8_t> before;  // the bytes the write covered
    std::uint64_t sizeBefore;
  };
  FileSystem& inner_;
  std::uint64_t writes_ = 0;
  std::uint64_t reads_ = 0;
  std::uint64_t syncs_ = 0;
  std::map<std::string, std::vector<Unsynced>> unsynced_;  // by path, oldest first
};

}  // namespace zelvo
