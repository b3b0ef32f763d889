#include "framework/browse/letter_scale.h"

#include <algorithm>
#include <vector>

#include "runtime/locale.h"
#include "storage/filter/filter_node.h"

namespace zelvo {
namespace {

// The scale's symbols, as the list of the controls gives them (one twice).
constexpr std::uint8_t kSymbols[] = {0x60, 0x21, 0x22, 0xA3, 0x24, 0x25, 0x25, 0x5E, 0x26, 0x2A, 0x28,
                                     0x29, 0x27, 0x2D, 0x3D, 0x5F, 0x2B, 0x5D, 0x5B, 0x23, 0x3B, 0x7E,
                                     0x40, 0x3A, 0x2F, 0x2E, 0x2C, 0x3F, 0x5C, 0x7C, 0x20};

bool IsCyrillicUpper(std::uint8_t c) { return (c >= 0xC0 && c <= 0xDF) || c == 0xA8; }
bool IsCyrillicLower(std::uint8_t c) { return c >= 0xE0 || c == 0xB8; }

bool Admits(std::uint8_t controls, std::uint8_t c) {
  const LocaleTables& locale = Locale();
  const bool lower = locale.IsLower(c) || IsCyrillicLower(c);
  const bool letter = lower || locale.IsUpper(c) || IsCyrillicUpper(c);
  if (letter) return lower ? (controls & 8) != 0 : (controls & 1) != 0;
  if ((controls & 4) != 0 && (locale.IsDigit(c) || (c >= '0' && c <= '9'))) return true;
  return (controls & 2) != 0 && std::find(std::begin(kSymbols), std::end(kSymbols), c) != std::end(kSymbols);
}

// Collating order: by the locale's weights, equal weights by code.
bool CollatesBefore(std::uint8_t a, std::uint8_t b) {
  const auto& weight = Locale().collation;
  return weight[a] != weight[b] ? weight[a] < weight[b] : a < b;
}

}  // namespace

LetterScale::LetterScale(std::uint8_t scaleControls) : ThumbScale(scaleControls) {
  std::vector<std::uint8_t> codes;
  for (int c = 1; c <= 255; ++c)
    if (Admits(controls, static_cast<std::uint8_t>(c))) codes.push_back(static_cast<std::uint8_t>(c));
  std::sort(codes.begin(), codes.end(), CollatesBefore);
  sortChars_.assign(codes.begin(), codes.end());
  if (sortChars_.empty()) sortChars_ = " ";  // admits nothing: one digit, every text at the low end
  SetScaleLimits({}, {});
}

std::int64_t LetterScale::ValueOf(std::string_view text, char pad) const {
  const auto n = static_cast<std::int64_t>(sortChars_.size());
  std::int64_t value = 0;
  for (std::size_t k = 0; k < kDigits; ++k) {
    const auto c = static_cast<std::uint8_t>(k < text.size() ? text[k] : pad);
    const auto at = std::lower_bound(sortChars_.begin(), sortChars_.end(), static_cast<char>(c),
                                     [](char a, char b) {
                                       return CollatesBefore(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b));
                                     });
    value = value * n + std::min<std::int64_t>(at - sortChars_.begin(), n - 1);
  }
  return value;
}

std::string LetterScale::TextOf(std::int64_t value) const {
  const auto n = static_cast<std::int64_t>(sortChars_.size());
  std::string text(kDigits, sortChars_.front());
  for (std::size_t k = kDigits; k-- > 0;) {
    text[k] = sortChars_[static_cast<std::size_t>(value % n)];
    value /= n;
  }
  return text;
}

void LetterScale::SetScaleLimits(std::string_view low, std::string_view high) {
  // The steps run upwards whichever way the key runs; a descending key reads
  // them from the other end.
  if (CompareTexts(low, high) > 0) std::swap(low, high);
  std::size_t common = 0;
  while (common < kRootLength && common < low.size() && common < high.size() && low[common] == high[common])
    ++common;
  root_ = std::string(low.substr(0, common));
  low_ = ValueOf(low.substr(common), sortChars_.front());
  high_ = ValueOf(high.substr(common), sortChars_.back());
}

std::string LetterScale::StepText(int i) const { return root_ + TextOf(low_ + (high_ - low_) * i / 100); }

std::optional<std::string> LetterScale::ScaleValue(int percent) const {
  const int p = std::clamp(percent, 1, 100);
  return StepText(Descending() ? 100 - p : p);
}

int LetterScale::ScalePercentile(std::string_view value) const {
  // The steps ascend: the last one not above the value, found by halving.
  auto notAbove = [&](int i) { return CompareTexts(StepText(i), value) <= 0; };
  int low = 0, high = 100;  // entry `low` is not above the value (or 0), every entry after `high` is
  while (low < high) {
    const int middle = (low + high + 1) / 2;
    if (notAbove(middle)) low = middle;
    else high = middle - 1;
  }
  const int percent = Descending() ? 100 - low : low;
  return percent == 0 ? 1 : percent;
}

}  // namespace zelvo
