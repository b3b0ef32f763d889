#include "runtime/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zelvo {

SettingsFileText ReadSettingsFile(const std::string& path, std::size_t maxSize) {
  SettingsFileText result;
  if (path.empty()) return result;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    if (errno == ENOENT || errno == ENOTDIR) return result;
    result.status = SettingsFileText::kFailed;
    result.error = std::strerror(errno);
    return result;
  }
  char buffer[4096];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    result.text.append(buffer, n);
    if (result.text.size() > maxSize) {
      result.status = SettingsFileText::kFailed;
      result.error = "file too large for a settings file";
      result.text.clear();
      return result;
    }
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get())) {
    result.status = SettingsFileText::kFailed;
    result.error = "read error";
    result.text.clear();
    return result;
  }
  result.status = SettingsFileText::kRead;
  return result;
}

}  // namespace zelvo
