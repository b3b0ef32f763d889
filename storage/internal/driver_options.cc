#include "storage/driver_options.h"

namespace zelvo {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::vector<std::string> SplitDriverOptions(std::string_view text) {
  std::vector<std::string> options;
  std::string current;
  bool quoted = false;
  auto finish = [&] {
    const std::string_view option = Trimmed(current);
    if (!option.empty()) options.emplace_back(option);
    current.clear();
  };
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == '/' || c == ',')) {
      finish();
      continue;
    }
    current += c;
  }
  finish();
  return options;
}

DriverOption ParseOption(std::string_view option) {
  DriverOption parsed;
  const std::size_t equals = option.find('=');
  parsed.word = std::string(Trimmed(option.substr(0, equals)));
  if (equals == std::string_view::npos) return parsed;
  parsed.hasValue = true;
  std::string_view value = Trimmed(option.substr(equals + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  parsed.value = std::string(value);
  return parsed;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

}  // namespace zelvo
