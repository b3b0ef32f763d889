#include "storage/vxr/internal/vxr_ordered_records.h"

#include <algorithm>
#include <cstring>

namespace zelvo {

int CompareVxrKeys(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  if (common != 0) {
    if (const int c = std::memcmp(a.data(), b.data(), common); c != 0) return c < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace zelvo
