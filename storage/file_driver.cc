#include "storage/file_driver.h"

#include <algorithm>
#include <array>

#include "storage/ascii_driver.h"
#include "storage/dbase_driver.h"
#include "storage/vxr_driver.h"

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
  if (FileDriver* driver = Registered()[slot]) return driver;
  switch (kind) {
    case Driver::Ascii: return &AsciiDriver();
    case Driver::Quillset: return &VxrDriver();
    case Driver::DBase4: return &DbaseDriver();
    default: return nullptr;
  }
}

void RegisterFileDriver(Driver kind, FileDriver* driver) {
  const std::size_t slot = static_cast<std::size_t>(kind);
  if (slot < Registered().size()) Registered()[slot] = driver;
}

}  // namespace zelvo
