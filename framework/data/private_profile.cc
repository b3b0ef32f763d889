#include "framework/data/private_profile.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "runtime/settings_file.h"
#include "storage/field_declaration.h"

namespace zelvo {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// "[name]" gives name; anything else nullopt.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};
std::optional<KeyLine> KeyOf(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || Trim(line).starts_with(";")) return std::nullopt;
  return KeyLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::vector<std::string> ReadLines(const std::string& path) {
  const SettingsFileText file = ReadSettingsFile(path);
  return file.status == SettingsFileText::kRead ? Lines(file.text) : std::vector<std::string>{};
}

// A name or value that would end its line, or a name that the file's syntax
// would read back differently, is not written: the file stays readable.
bool Writable(std::string_view section, std::string_view key, std::string_view value) {
  constexpr std::string_view kLineEnds("\r\n\0", 3);
  for (std::string_view text : {section, key, value})
    if (text.find_first_of(kLineEnds) != std::string_view::npos) return false;
  return section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
         !Trim(key).empty() && !Trim(key).starts_with(";") && !Trim(key).starts_with("[");
}

}  // namespace

std::optional<std::string> ReadProfileEntry(std::string_view name, std::string_view section,
                                            std::string_view key) {
  bool inSection = false;
  for (const std::string& line : ReadLines(std::string(name))) {
    if (const auto s = SectionOf(line)) {
      inSection = SameName(*s, section);
      continue;
    }
    if (!inSection) continue;
    if (const auto k = KeyOf(line); k && SameName(k->key, key)) return std::string(k->value);
  }
  return std::nullopt;
}

bool WriteProfileEntry(std::string_view name, std::string_view section, std::string_view key,
                       std::string_view value) {
  if (!Writable(section, key, value)) return false;
  const std::string path(name);
  std::vector<std::string> lines = ReadLines(path);
  const std::string entry = std::string(key) + "=" + std::string(value);
  std::optional<std::size_t> sectionEnd;  // where a new key of the section goes
  bool inSection = false, written = false;
  for (std::size_t i = 0; i < lines.size() && !written; ++i) {
    if (const auto s = SectionOf(lines[i])) {
      inSection = SameName(*s, section);
      if (inSection) sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (const auto k = KeyOf(lines[i]); k && SameName(k->key, key)) {
      lines[i] = entry;
      written = true;
    } else if (!Trim(lines[i]).empty()) {
      sectionEnd = i + 1;
    }
  }
  if (!written && sectionEnd) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), entry);
  } else if (!written) {
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(entry);
  }
  std::error_code ignored;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
  const std::string temporary = path + ".new";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = true;
  for (const std::string& line : lines) {
    ok = ok && std::fwrite(line.data(), 1, line.size(), out) == line.size();
    ok = ok && std::fputs("\r\n", out) >= 0;
  }
  ok = std::fclose(out) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace zelvo
