// SortStore: a temporary store that takes byte strings in any order and gives
// them back in unsigned byte order (shorter first when one begins the other),
// for builds of key entries and sorted views.
//
// It holds up to its memory limit (16384 bytes of items, counting 4 bytes of
// length per item) in memory. Beyond that it sorts what it holds and writes it
// as one sorted run to a temporary file in the system's temporary directory,
// named "TMP" and a number unique to the process, in blocks of 16384 bytes;
// the runs are merged as the items are read back. The file is reached through
// the file layer (storage/os_file.h), so tests can fail its writes and reads,
// and it is removed when the store is destroyed.
//
// Use: Add every item, then Next until it answers end. Add after the first
// Next is refused (80). A failure is sticky: every later call answers it.
//
// Example:
//     SortStore store;
//     (void)store.Add("b");  (void)store.Add("a");
//     store.Next().item == "a", store.Next().item == "b", store.Next().end
//
// Not thread-safe; one user at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/error_code.h"
#include "storage/os_file.h"

namespace zelvo {

struct [[nodiscard]] SortedItem {
  ErrorCode code = ErrorCode::Ok;
  bool end = false;  // no items left
  std::string item;
};

class SortStore {
 public:
  static constexpr std::size_t kMemoryLimit = 16384;
  static constexpr std::size_t kBlock = 16384;

  // `directory` empty: $TMPDIR, else "/tmp".
  explicit SortStore(std::string directory = {}, std::size_t memoryLimit = kMemoryLimit,
                     FileSystem& fileSystem = CurrentFileSystem());
  ~SortStore();
  SortStore(const SortStore&) = delete;
  SortStore& operator=(const SortStore&) = delete;

  ErrorCode Add(std::string_view item);
  SortedItem Next();

  std::size_t Size() const { return count_; }
  // The temporary file's path once the store spilled; empty before.
  const std::string& SpillPath() const { return path_; }

 private:
  class RunReader;

  ErrorCode Spill();
  ErrorCode StartReading();
  ErrorCode Fail(ErrorCode code) { return failure_ = code; }

  std::string directory_;
  std::size_t memoryLimit_;
  FileSystem& fileSystem_;

  std::vector<std::string> memory_;
  std::size_t memoryBytes_ = 0;
  std::size_t count_ = 0;

  std::string path_;
  std::unique_ptr<OsFile> file_;
  std::uint64_t fileEnd_ = 0;
  struct Run {
    std::uint64_t offset, length;
  };
  std::vector<Run> runs_;

  bool reading_ = false;
  std::size_t nextInMemory_ = 0;  // reading without a file
  std::vector<std::unique_ptr<RunReader>> readers_;
  std::vector<std::size_t> heap_;  // indexes of readers_ holding an item, a min-heap
  ErrorCode failure_ = ErrorCode::Ok;
};

}  // namespace zelvo
