// The process-wide locale tables: character classes and case, collation
// weights, month texts, AM/PM texts, the Windows regional date and time
// formats, and the runtime's replaceable texts.
//
// They are built once at start-up (LoadLocale), before the first window opens,
// from the built-in defaults, then the "intl" section of the Windows profile,
// then the environment file beside the program. Afterwards they are only read;
// reading needs no lock. Every text here is CP1251.
//
// With the built-in tables only the 26 Latin letters have a case: Cyrillic
// letters are neither upper- nor lower-case and ToUpper leaves them unchanged.
// An environment file with QORCASE=WINDOWS pairs every CP1251 letter from code
// 128 up with its other case (including Ё 0xA8 / ё 0xB8).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/windows_profile.h"

namespace zelvo {

// The "intl" keys of the Windows profile that the pictures follow.
struct RegionalSettings {
  int iTime = 0;                      // 0: 12-hour clock, 1: 24-hour clock
  int iTLzero = 1;                    // 1: hours shown with a leading zero
  std::string sTime = ":";
  std::string s1159 = "AM";
  std::string s2359 = "PM";
  std::string sShortDate = "MM/dd/yy";
  std::string sLongDate = "ddd', 'MMMM' 'dd', 'yyyy";
};

enum CharClass : std::uint8_t { kOther = 0, kUpper = 1, kLower = 2, kDigit = 4 };

struct LocaleTables {
  std::array<std::uint8_t, 256> caseMap{};       // letter -> other case, else 0
  std::array<std::uint8_t, 256> classFlags{};    // CharClass
  std::array<std::uint8_t, 256> collation{};     // sort weight of each code
  std::array<std::uint8_t, 256> oemCollation{};  // the same for OEM files
  std::array<std::string, 12> monthNames;        // up to 12 characters each
  std::array<std::string, 12> monthAbbreviations;  // 3 characters each
  std::string am = "AM", pm = "PM";
  std::vector<std::array<char, 3>> digraphs;     // at most 16
  bool oemCharset = false;
  bool longFileNames = false;
  std::vector<std::string> buttonCaptions;       // message box buttons, in button order
  std::string systemCharset;
  std::map<int, std::string> messages;           // QORMSGn: runtime text of error/message n
  RegionalSettings regional;

  static LocaleTables BuiltIn();

  std::uint8_t Upper(std::uint8_t c) const {
    return (classFlags[c] & kLower) && caseMap[c] ? caseMap[c] : c;
  }
  std::uint8_t Lower(std::uint8_t c) const {
    return (classFlags[c] & kUpper) && caseMap[c] ? caseMap[c] : c;
  }
  bool IsUpper(std::uint8_t c) const { return classFlags[c] & kUpper; }
  bool IsLower(std::uint8_t c) const { return classFlags[c] & kLower; }
  bool IsAlpha(std::uint8_t c) const { return classFlags[c] & (kUpper | kLower); }
  bool IsDigit(std::uint8_t c) const { return classFlags[c] & kDigit; }
  std::string ToUpper(std::string_view text) const;
  std::string ToLower(std::string_view text) const;
};

// One problem met while reading a settings source; loading goes on after it.
struct LocaleDiagnostic {
  std::string source;  // file path
  int line = 0;        // 1-based; 0 when the file as a whole is meant
  std::string text;    // UTF-8, for the administrator
};

// The tables in force. Before LoadLocale they are the built-in ones.
const LocaleTables& Locale();
// Replaces the tables in force (start-up and tests). Not for use while other
// threads read them.
void SetLocale(LocaleTables tables);

// Reads the "intl" section of the Windows profile into `tables.regional` and
// the AM/PM texts (absent file or keys keep the defaults). iTime and iTLzero
// other than 0 count as 1; the AM/PM texts keep their first 2 characters.
void ApplyRegionalSettings(const WindowsProfile& profile, LocaleTables& tables);
void ApplyRegionalSettings(std::string_view winIniText, LocaleTables& tables);

// Applies an environment file's text to `tables`, by the file's rules; each
// line it cannot use is reported in `diagnostics` and skipped (the tables keep
// what they had for that key). The case tables start again from the built-in
// ones, so a file without QORCASE restores them. Details of the format, as
// this program reads it:
//   - lines end at LF (a CR before it is dropped); a byte 26 ends the text;
//     blank lines are skipped; a line without '=' is reported
//   - the key is what precedes the first '=', blanks removed, Latin case
//     ignored; the value's leading blanks are skipped
//   - list values (QORCASE, QORMONTH, QORMON, QORAMPM, QORDIGRAPH, QORBUTTON)
//     split at commas first; each item is then a text of its own
//   - a text starting with '"' runs to the closing quote ("" is one quote) and
//     keeps its blanks; any other text is trimmed of trailing blanks
//   - then <ddd> (0..255) becomes the byte with that code; a '<' not starting
//     such a number stays as it is
//   - with QORCHARSET=OEM anywhere in the file every text is OEM (CP866) and
//     is converted to CP1251 after that; a text with a character that has no
//     CP1251 form is reported and its line skipped
//   - "WINDOWS", "OEM", "on" and "off" are recognised in any Latin case
//   - a key that appears again replaces what the earlier line set
// QORCOLSEQ with a sequence: the listed characters share the identity weights
// of their codes, given out in the listed order; every other code keeps its
// own code as weight, and a character listed twice makes the line unusable. Whenever
// the weights are not the identity the OEM weights follow them: each OEM code
// weighs as its CP1251 character, the pseudo-graphics (no CP1251 form) last.
void ApplyEnvironmentFile(std::string_view text, LocaleTables& tables,
                          std::vector<LocaleDiagnostic>* diagnostics, std::string_view source = {});

// The environment file's path: "zelvo5.ENV" in the folder of the running
// executable; empty when that folder cannot be found.
std::string EnvironmentFilePath();

// Start-up: built-in tables, then `winIniPath` (the Windows profile,
// WindowsProfilePath()), then `environmentPath` (EnvironmentFilePath());
// missing files are fine, an empty path means no file.
// The result is put in force and returned diagnostics say what was skipped.
std::vector<LocaleDiagnostic> LoadLocale(const std::string& winIniPath,
                                         const std::string& environmentPath);

}  // namespace zelvo
