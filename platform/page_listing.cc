#include "platform/page_listing.h"

#include <cmath>
#include <cstdio>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

std::string Millimetres(double value) {
  char text[32];
  // Rounded half away from zero at one decimal, and never "-0.0".
  const double tenths = std::round(value * 10);
  std::snprintf(text, sizeof text, "%.1f", tenths == 0 ? 0.0 : tenths / 10);
  return text;
}

}  // namespace

std::string PageListing(const ReportPages& pages) {
  std::string listing;
  for (std::size_t p = 0; p < pages.pages.size(); ++p)
    for (const PageItem& item : pages.pages[p].items) {
      if (item.kind != PageItem::Kind::Text || item.text.empty()) continue;
      listing += std::to_string(p + 1) + '\t' + Millimetres(item.x) + '\t' + Millimetres(item.y) + '\t' +
                 Cp1251ToUtf8(item.text) + '\n';
    }
  return listing;
}

}  // namespace zelvo
