#include "platform/report_page.h"

namespace zelvo {
namespace {

constexpr double kMillimetresPerPoint = 25.4 / 72;
constexpr double kDigitAdvance = 0.556;  // of the size, regular and bold alike

}  // namespace

double LineHeight(const ReportFont& font) { return font.points * 1.25 * kMillimetresPerPoint; }

double DigitsWidth(const ReportFont& font, int characters) {
  return characters * kDigitAdvance * font.points * kMillimetresPerPoint;
}

}  // namespace zelvo
