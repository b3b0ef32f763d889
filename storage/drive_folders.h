// Drive letters on this machine. The pension-fund tables live at fixed
// Windows paths ("C:\INP_2004\BASE2004\SPISOK.DBF"); here each drive letter
// stands for a folder, named in the program's settings file zelvo5.INI:
//
//     [Drives]
//     C=/srv/np2004
//
// makes "C:\INP_2004\BASE2004\SPISOK.DBF" the file
// "/srv/np2004/INP_2004/BASE2004/SPISOK.DBF". Backslashes of any name become
// '/'. A path on a drive that no setting names has no place here at all: a
// driver answers it as a path that is not found.
//
// The folders are process-wide, set at start-up (or by a tool) before files
// are opened; used by the run token's holder only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/windows_profile.h"

namespace zelvo {

inline constexpr std::string_view kDriveFoldersSection = "Drives";

// Replaces every letter's folder by the settings' [Drives] section (values in
// the settings' CP1251 are made UTF-8 paths again).
void LoadDriveFolders(const WindowsProfile& settings);
// One letter's folder; an empty folder removes the letter.
void SetDriveFolder(char letter, std::string folder);
std::optional<std::string> DriveFolder(char letter);

// The name as a path of this machine; nullopt when it starts with a drive
// letter that has no folder.
std::optional<std::string> MachinePath(std::string_view name);

// Whether the name starts with a drive letter and ':'.
bool HasDriveLetter(std::string_view name);

}  // namespace zelvo
