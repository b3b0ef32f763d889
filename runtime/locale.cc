#include "runtime/locale.h"

#include <unistd.h>

#include <utility>

#include "runtime/settings_file.h"

namespace zelvo {
namespace {

LocaleTables& TablesInForce() {
  static LocaleTables tables = LocaleTables::BuiltIn();
  return tables;
}

std::string FirstTwo(std::string text) {
  if (text.size() > 2) text.resize(2);
  return text;
}

std::string MapText(std::string_view text, const LocaleTables& tables,
                    std::uint8_t (LocaleTables::*map)(std::uint8_t) const) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>((tables.*map)(static_cast<std::uint8_t>(c)));
  return out;
}

}  // namespace

LocaleTables LocaleTables::BuiltIn() {
  LocaleTables t;
  for (int i = 0; i < 256; ++i) {
    t.collation[i] = t.oemCollation[i] = static_cast<std::uint8_t>(i);
  }
  for (int i = 0; i < 26; ++i) {
    const auto upper = static_cast<std::uint8_t>('A' + i), lower = static_cast<std::uint8_t>('a' + i);
    t.caseMap[upper] = lower;
    t.caseMap[lower] = upper;
    t.classFlags[upper] = kUpper;
    t.classFlags[lower] = kLower;
  }
  for (int c = '0'; c <= '9'; ++c) t.classFlags[c] = kDigit;
  t.monthNames = {"January", "February", "March",     "April",   "May",      "June",
                  "July",    "August",   "September", "October", "November", "December"};
  t.monthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return t;
}

std::string LocaleTables::ToUpper(std::string_view text) const {
  return MapText(text, *this, &LocaleTables::Upper);
}

std::string LocaleTables::ToLower(std::string_view text) const {
  return MapText(text, *this, &LocaleTables::Lower);
}

const LocaleTables& Locale() { return TablesInForce(); }

void SetLocale(LocaleTables tables) { TablesInForce() = std::move(tables); }

void ApplyRegionalSettings(const WindowsProfile& profile, LocaleTables& tables) {
  const RegionalSettings defaults;
  RegionalSettings& r = tables.regional;
  r.iTime = profile.GetInt("intl", "iTime", defaults.iTime) != 0 ? 1 : 0;
  r.iTLzero = profile.GetInt("intl", "iTLzero", defaults.iTLzero) != 0 ? 1 : 0;
  r.sTime = profile.GetString("intl", "sTime", defaults.sTime);
  r.s1159 = profile.GetString("intl", "s1159", defaults.s1159);
  r.s2359 = profile.GetString("intl", "s2359", defaults.s2359);
  r.sShortDate = profile.GetString("intl", "sShortDate", defaults.sShortDate);
  r.sLongDate = profile.GetString("intl", "sLongDate", defaults.sLongDate);
  tables.am = FirstTwo(r.s1159);
  tables.pm = FirstTwo(r.s2359);
}

void ApplyRegionalSettings(std::string_view winIniText, LocaleTables& tables) {
  ApplyRegionalSettings(WindowsProfile::Parse(winIniText), tables);
}

std::string EnvironmentFilePath() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  path.resize(slash + 1);
  return path + "zelvo5.ENV";
}

std::vector<LocaleDiagnostic> LoadLocale(const std::string& winIniPath,
                                         const std::string& environmentPath) {
  std::vector<LocaleDiagnostic> diagnostics;
  LocaleTables tables = LocaleTables::BuiltIn();

  const WindowsProfile profile = WindowsProfile::Load(winIniPath);
  for (const ProfileProblem& problem : profile.Problems()) {
    diagnostics.push_back({winIniPath, problem.line, problem.text});
  }
  ApplyRegionalSettings(profile, tables);

  const SettingsFileText environment = ReadSettingsFile(environmentPath);
  if (environment.status == SettingsFileText::kFailed) {
    diagnostics.push_back({environmentPath, 0, "cannot read the environment file: " + environment.error});
  } else if (environment.status == SettingsFileText::kRead) {
    ApplyEnvironmentFile(environment.text, tables, &diagnostics, environmentPath);
  }

  SetLocale(std::move(tables));
  return diagnostics;
}

}  // namespace zelvo
