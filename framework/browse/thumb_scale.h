// ThumbScale: how a sort order's scrollbar maps the value of its free element
// (the first key component the range leaves free) to a thumb position, 0 to
// 100, and back. The browse places the thumb at the percentile of the selected
// record's value, and a dragged thumb makes the list jump to the value at the
// dragged percentile.
//
// Values are written as a field's value text (storage/field_codec.h
// ValueText: numbers plainly, dates as their day numbers, texts clipped). The
// browse gives a scale the upper-cased text when the key ignores case.
//
// Three kinds: LetterScale (letter_scale.h), built from the first and the last
// value of the data; NumberScale, linear between two numbers the procedure
// gives; FixedScale, which knows nothing and puts every value in the middle.
//
// Used only by the run token's holder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

class ThumbScale {
 public:
  explicit ThumbScale(std::uint8_t scaleControls) : controls(scaleControls) {}
  virtual ~ThumbScale() = default;

  // In slot order (the kill slot is the destructor).
  virtual int ScalePercentile(std::string_view value) const = 0;
  // The value at `percent`; nullopt leaves the free element as it is.
  virtual std::optional<std::string> ScaleValue(int percent) const = 0;
  virtual void SetScaleLimits(std::string_view low, std::string_view high) = 0;
  // Whether the browse must give it the first and last values after a refill.
  virtual bool ScaleNeedsLimits() const = 0;

  std::uint8_t controls;
};

// Linear between low and high: value(p) = low + (high - low) * p / 100.
class NumberScale final : public ThumbScale {
 public:
  NumberScale(double lowValue, double highValue, std::uint8_t scaleControls = 10)
      : ThumbScale(scaleControls), low(lowValue), high(highValue) {}

  int ScalePercentile(std::string_view value) const override;
  std::optional<std::string> ScaleValue(int percent) const override;
  void SetScaleLimits(std::string_view lowValue, std::string_view highValue) override;
  bool ScaleNeedsLimits() const override { return false; }

  double low;
  double high;
};

// Every value at 50; a drag leaves the free element unchanged.
class FixedScale final : public ThumbScale {
 public:
  explicit FixedScale(std::uint8_t scaleControls = 5) : ThumbScale(scaleControls) {}

  int ScalePercentile(std::string_view) const override { return 50; }
  std::optional<std::string> ScaleValue(int) const override { return std::nullopt; }
  void SetScaleLimits(std::string_view, std::string_view) override {}
  bool ScaleNeedsLimits() const override { return false; }
};

}  // namespace zelvo
