#include "storage/file_driver.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zelvo {
namespace {

std::array<FileDriver*, 3>& Registered() {
  static std::array<FileDriver*, 3> drivers{};
  return drivers;
}

}  // namespace

bool FileDriver::Implements(FileOperation op) const {
  const std::span<const FileOperation> listed = Operations();
  return std::find(listed.begin(), listed.end(), op) != listed.end();
}

FileDriver* FindFileDriver(Driver kind) {
  const std::size_t slot = static_cast<std::size_t>(kind);
  if (slot >= Registered().size()) return nullptr;
  return Registered()[slot];
}

FileDriver* RegisterFileDriver(Driver kind, FileDriver* driver) {
  const std::size_t slot = static_cast<std::size_t>(kind);
  if (slot >= Registered().size()) return nullptr;
  return std::exchange(Registered()[slot], driver);
}

}  // namespace zelvo
