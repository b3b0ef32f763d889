// The Windows profile: the INI text whose sections hold the regional date and
// time formats ("intl") and the drivers' trace switches ("ZRQUILLSET",
// "ZRdBase4", "ZRASCII", "ZRVIEW"). On Linux it is the file
// $XDG_CONFIG_HOME/zelvo/win.ini (~/.config/zelvo/win.ini when the variable is
// unset); an absent file means every lookup gives its default.
//
// The text is "[section]" lines and "key=value" lines. Section and key names
// compare without regard to (Latin) case; blanks around names and values are
// dropped; a value in double quotes keeps its inner blanks; lines whose first
// non-blank character is ';' are comments; lines before the first section and
// lines without '=' are ignored. When a key repeats in a section the first one
// counts, and a repeated section continues the earlier one.
//
// Encoding: the file may be UTF-8 (what a Linux editor writes) or CP1251 (a
// copy of a Windows file). It is read as UTF-8 when the whole text is valid
// UTF-8 (an optional byte-order mark is skipped), else as CP1251. Values are
// handed out in CP1251; a UTF-8 line holding a character with no CP1251 code
// is left out and listed in Problems(), never cut short silently.
//
// A WindowsProfile is an immutable value once parsed; reading it from several
// threads needs no lock.
//
// Example:
//     auto p = WindowsProfile::Parse("[intl]\nsTime = .\niTime=1\n");
//     p.GetString("INTL", "STIME", ":") == "."     p.GetInt("intl", "iTime", 0) == 1
//     p.GetInt("intl", "iTLzero", 1) == 1 (absent: the default)
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

struct ProfileProblem {
  int line = 0;      // 1-based; 0 for the file as a whole
  std::string text;  // UTF-8
};

class WindowsProfile {
 public:
  WindowsProfile() = default;  // no sections: every lookup gives its default

  static WindowsProfile Parse(std::string_view text);
  // Reads and parses the profile at `path`; a missing file gives an empty
  // profile, an unreadable one an empty profile with a problem saying why.
  static WindowsProfile Load(const std::string& path);

  bool Has(std::string_view section, std::string_view key) const;
  // The value (CP1251), or `defaultValue` when the key is absent.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  // The value's leading integer (an optional sign and decimal digits, as in
  // "12abc" -> 12); `defaultValue` when the key is absent, the value starts
  // with no digit, or the number does not fit an int.
  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

  const std::vector<ProfileProblem>& Problems() const { return problems_; }

 private:
  const std::string* Find(std::string_view section, std::string_view key) const;

  std::map<std::string, std::map<std::string, std::string>> sections_;  // upper-cased names
  std::vector<ProfileProblem> problems_;
};

// The profile's path by the rule above, from the given environment values
// (null when unset). A relative $XDG_CONFIG_HOME is ignored, as the XDG rules
// ask; with neither variable usable the result is empty (no profile).
std::string WindowsProfilePath(const char* xdgConfigHome, const char* home);
// The same from this process's environment.
std::string WindowsProfilePath();

}  // namespace zelvo
