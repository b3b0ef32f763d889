#include "storage/drive_folders.h"

#include <algorithm>
#include <array>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

std::array<std::string, 26>& Folders() {
  static std::array<std::string, 26> folders;
  return folders;
}

std::optional<std::size_t> Slot(char letter) {
  if (letter >= 'a' && letter <= 'z') return static_cast<std::size_t>(letter - 'a');
  if (letter >= 'A' && letter <= 'Z') return static_cast<std::size_t>(letter - 'A');
  return std::nullopt;
}

}  // namespace

void LoadDriveFolders(const WindowsProfile& settings) {
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    SetDriveFolder(letter, Cp1251ToUtf8(settings.GetString(kDriveFoldersSection, std::string(1, letter), "")));
}

void SetDriveFolder(char letter, std::string folder) {
  if (const auto slot = Slot(letter)) Folders()[*slot] = std::move(folder);
}

std::optional<std::string> DriveFolder(char letter) {
  const auto slot = Slot(letter);
  if (!slot || Folders()[*slot].empty()) return std::nullopt;
  return Folders()[*slot];
}

bool HasDriveLetter(std::string_view name) { return name.size() >= 2 && Slot(name[0]) && name[1] == ':'; }

std::optional<std::string> MachinePath(std::string_view name) {
  std::string path;
  if (HasDriveLetter(name)) {
    const std::optional<std::string> folder = DriveFolder(name[0]);
    if (!folder) return std::nullopt;
    name.remove_prefix(2);
    path = *folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (!name.empty() && name.front() != '\\' && name.front() != '/') path += '/';
  }
  path += name;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace zelvo
