#include "framework/browse/thumb_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zelvo {
namespace {

double Number(std::string_view text) { return std::strtod(std::string(text).c_str(), nullptr); }

}  // namespace

int NumberScale::ScalePercentile(std::string_view value) const {
  if (high == low) return 50;
  const double percent = (Number(value) - low) * 100.0 / (high - low);
  return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

std::optional<std::string> NumberScale::ScaleValue(int percent) const {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", low + (high - low) * percent / 100.0);
  return std::string(text);
}

void NumberScale::SetScaleLimits(std::string_view lowValue, std::string_view highValue) {
  low = Number(lowValue);
  high = Number(highValue);
}

}  // namespace zelvo
