// PrivateProfile: a private profile file — "[section]" lines followed by
// "key=value" lines — read and written one entry at a time, as the INI store
// uses it. Section and key names compare without regard to (Latin) case;
// values are kept as their bytes (CP1251), blanks at their ends dropped.
//
// Every Read and Write goes to the file itself, so two stores on one file see
// each other's changes. A write rewrites the file through a temporary file
// and a rename, so an interrupted write leaves the old file whole; it
// creates the file, the section or the key as needed, and keeps every other
// line as it was. The name is a path used as it stands: a bare "zelvo5.INI"
// is the file of the data directory (the current one), the same file whose
// [Drives] section the drive folders come from.
//
//     WriteProfileEntry("zelvo5.INI", "Main", "Maximize", "No");
//     ReadProfileEntry("zelvo5.INI", "MAIN", "maximize") == "No"
//
// Stateless; calls on one file are not synchronised (the run token orders them).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

// nullopt when the file, the section or the key is absent.
std::optional<std::string> ReadProfileEntry(std::string_view name, std::string_view section,
                                            std::string_view key);
// false when the file could not be written (the caller may ignore it), and
// when a name or the value holds a line end, the section name a "]", or the
// key a "=" or nothing: such an entry would not read back as written.
bool WriteProfileEntry(std::string_view name, std::string_view section, std::string_view key,
                       std::string_view value);

}  // namespace zelvo
