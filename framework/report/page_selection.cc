#include "framework/report/page_selection.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

namespace zelvo {
namespace {

std::string WithoutBlanks(std::string_view text) {
  std::string kept;
  for (char c : text)
    if (c != ' ' && c != '\t') kept += c;
  return kept;
}

// A page number, or nullopt for anything else.
std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::vector<bool> SelectedPages(std::string_view text, int count) {
  std::vector<bool> chosen(static_cast<std::size_t>(std::max(count, 0)), false);
  const std::string items = WithoutBlanks(text);
  std::size_t from = 0;
  while (from <= items.size()) {
    const std::size_t comma = std::min(items.find(',', from), items.size());
    const std::string_view item = std::string_view(items).substr(from, comma - from);
    from = comma + 1;
    std::optional<int> first, last;
    if (const std::size_t dash = item.find('-'); dash == std::string_view::npos) {
      first = last = Number(item);
    } else {
      const std::string_view low = item.substr(0, dash), high = item.substr(dash + 1);
      if (low.empty() && high.empty()) continue;
      first = low.empty() ? std::optional<int>(1) : Number(low);
      last = high.empty() ? std::optional<int>(count) : Number(high);
    }
    if (!first || !last) continue;
    for (int page = std::max(*first, 1); page <= std::min(*last, count); ++page)
      chosen[static_cast<std::size_t>(page - 1)] = true;
  }
  return chosen;
}

}  // namespace zelvo
