// Reading a small settings text file (the Windows profile, the environment
// file) whole into memory, as its raw bytes.
//
// A missing file is an ordinary outcome (the defaults stay), distinct from a
// file that exists but cannot be read or is implausibly large, which the
// caller reports. Stateless; safe from any thread.
#pragma once

#include <cstddef>
#include <string>

namespace zelvo {

struct SettingsFileText {
  enum Status { kRead, kAbsent, kFailed };
  Status status = kAbsent;
  std::string text;   // the bytes, when kRead
  std::string error;  // UTF-8 reason, when kFailed
};

// Settings files are a few kilobytes; anything above `maxSize` is refused
// rather than read, so a wrong path cannot pull a huge file into memory.
inline constexpr std::size_t kSettingsFileMaxSize = 1 << 20;

[[nodiscard]] SettingsFileText ReadSettingsFile(const std::string& path,
                                                std::size_t maxSize = kSettingsFileMaxSize);

}  // namespace zelvo
