#include "runtime/windows_profile.h"

#include <charconv>
#include <cstdlib>

#include "runtime/cp1251.h"
#include "runtime/settings_file.h"

namespace zelvo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names compare without regard to Latin case; other bytes compare exactly.
std::string NameKey(std::string_view name) {
  std::string key(Trim(name));
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

}  // namespace

WindowsProfile WindowsProfile::Parse(std::string_view text) {
  WindowsProfile profile;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const bool utf8 = IsValidUtf8(text);

  std::map<std::string, std::string>* section = nullptr;
  int lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;

    std::string converted;
    if (utf8) {
      Utf8Error error;
      auto cp1251 = Utf8ToCp1251(raw, &error);
      if (!cp1251) {
        profile.problems_.push_back({lineNumber, "line left out: " + error.Message()});
        continue;
      }
      converted = *std::move(cp1251);
      raw = converted;
    }
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      section = close == std::string_view::npos
                    ? nullptr
                    : &profile.sections_[NameKey(line.substr(1, close - 1))];
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!section || equals == std::string_view::npos) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    section->try_emplace(NameKey(line.substr(0, equals)), value);
  }
  return profile;
}

const std::string* WindowsProfile::Find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(NameKey(section));
  if (s == sections_.end()) return nullptr;
  const auto k = s->second.find(NameKey(key));
  return k == s->second.end() ? nullptr : &k->second;
}

bool WindowsProfile::Has(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string WindowsProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  const std::string* value = Find(section, key);
  return value ? *value : std::string(defaultValue);
}

int WindowsProfile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  const std::string* value = Find(section, key);
  if (!value) return defaultValue;
  std::string_view digits = *value;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int result = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
  return error == std::errc() ? result : defaultValue;
}

std::string WindowsProfilePath(const char* xdgConfigHome, const char* home) {
  std::string folder;
  if (xdgConfigHome && xdgConfigHome[0] == '/') {
    folder = xdgConfigHome;
  } else if (home && home[0] != '\0') {
    folder = std::string(home) + "/.config";
  } else {
    return {};
  }
  if (folder.back() != '/') folder += '/';
  return folder + "zelvo/win.ini";
}

std::string WindowsProfilePath() {
  return WindowsProfilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

WindowsProfile WindowsProfile::Load(const std::string& path) {
  const SettingsFileText file = ReadSettingsFile(path);
  if (file.status == SettingsFileText::kFailed) {
    WindowsProfile profile;
    profile.problems_.push_back({0, "cannot read the Windows profile: " + file.error});
    return profile;
  }
  return WindowsProfile::Parse(file.text);
}

}  // namespace zelvo
