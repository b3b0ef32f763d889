// ScopedFileSystem: a test's file system (a FaultyFileSystem, say) is the one
// the drivers use while the guard lives; the real one comes back after, also
// when an assertion leaves the test early.
//
//     FaultyFileSystem faulty;
//     faulty.plan.failWrite = 3;
//     {
//       ScopedFileSystem use(faulty);
//       EXPECT_EQ(Do(file, Op::ADD), ...);
//     }
#pragma once

#include "storage/os_file.h"

namespace zelvo::testing_support {

class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fileSystem) { SetFileSystem(&fileSystem); }
  ~ScopedFileSystem() { SetFileSystem(nullptr); }
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;
};

}  // namespace zelvo::testing_support
