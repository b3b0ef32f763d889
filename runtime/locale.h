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

// Reads the "intl" section of the Windows profile into `tables` (absent file
// or keys keep the defaults).
void ApplyRegionalSettings(std::string_view winIniText, LocaleTables& tables);

// Applies an environment file's text to `tables`, by the file's rules; each
// line it cannot use is reported in `diagnostics` and skipped.
void ApplyEnvironmentFile(std::string_view text, LocaleTables& tables,
                          std::vector<LocaleDiagnostic>* diagnostics, std::string_view source = {});

// Start-up: built-in tables, then `winIniPath` (the Windows profile), then
// `environmentPath` (the program's path with ".ENV"); missing files are fine.
// The result is put in force and returned diagnostics say what was skipped.
std::vector<LocaleDiagnostic> LoadLocale(const std::string& winIniPath,
                                         const std::string& environmentPath);

}  // namespace zelvo
