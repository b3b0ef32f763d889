// DecimalAccess: the representation-level pieces that Decimal's three source
// files share: decimal.cc (arithmetic, rounding, integers and doubles),
// decimal_text.cc (text to number and back) and decimal_packed.cc (packed
// fields). Internal to runtime/: nothing else includes this header.
//
// A Decimal is sign * coefficient / 10^scale_, the coefficient below
// 10^(32 + scale_); Make builds one from those parts, saturating past 32
// integer digits, and never leaves a negative zero. Pure functions over
// values and constant tables: no shared state.
#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "runtime/decimal.h"
#include "runtime/decimal_words.h"

namespace zelvo {

struct DecimalAccess {
  using u64 = std::uint64_t;
  static constexpr int kMaxScale = Decimal::kFractionDigits;

  // A coefficient of one 64-bit word takes the fast paths.
  static bool IsSmall(const Decimal& v) { return !v.HasHighBits() && (v.lo_ >> 64) == 0; }
  static u64 Small(const Decimal& v) { return static_cast<u64>(v.lo_); }
  static WideUnsigned Coefficient(const Decimal& v) {
    return WideUnsigned::FromHalves((Word128{v.top_} << 64) | v.mid_, v.lo_);
  }

  // The largest integer of 32 digits, 99...9, with the given sign.
  static Decimal Saturated(bool negative) {
    Decimal v;
    v.lo_ = kPow10U128[Decimal::kIntegerDigits] - 1;
    v.negative_ = negative;
    return v;
  }

  // sign * c / 10^scale (0 <= scale <= 32), saturated past 32 integer digits.
  static Decimal Make(bool negative, Word128 c, int scale) {
    if (scale < 7 && c >= kPow10U128[static_cast<std::size_t>(Decimal::kIntegerDigits + scale)]) {
      return Saturated(negative);
    }
    Decimal v;
    v.lo_ = c;
    v.scale_ = static_cast<std::uint8_t>(scale);
    v.negative_ = negative && c != 0;
    return v;
  }

  // The digits of c with the last k (1 or more) dropped, rounded half away
  // from zero when `round`: only the first dropped digit decides, as
  // rem >= 10^k / 2 says. The payroll's usual steps divide by constants.
  static u64 DropDigits(u64 c, int k, bool round) {
    switch (k) {
      case 1: return DropDigits<1>(c, round);
      case 2: return DropDigits<2>(c, round);
      case 3: return DropDigits<3>(c, round);
      case 4: return DropDigits<4>(c, round);
      default: break;
    }
    if (k > 19) return 0;  // c < 2^64 < 10^19 * 5
    return DropDigitsBy(c, kPow10U64[static_cast<std::size_t>(k)], round);
  }
  template <int k>
  static u64 DropDigits(u64 c, bool round) {
    return DropDigitsBy(c, kPow10U64[k], round);
  }
  static u64 DropDigitsBy(u64 c, u64 p, bool round) {  // p = 10^k
    const u64 q = c / p;
    return q + (round && c - q * p >= p / 2 ? 1 : 0);
  }

  // sign * c / 10^scale for the wide path, saturated past 32 integer digits.
  static Decimal Make(bool negative, const WideUnsigned& c, int scale);

  // ---- decimal.cc ----

  // v's coefficient with another sign and scale.
  static Decimal Rebuild(const Decimal& v, bool negative, int scale);

  template <class T>
  static Decimal Combine(bool negative_a, T a, bool negative_b, T b, int scale);

  // The rest of the operations, whatever their operands' sizes.
  static Decimal Add(const Decimal& a, const Decimal& b, bool negative_b);  // a + (+/-)|b|
  static Decimal Multiply(const Decimal& a, const Decimal& b);

  // v with at most `places` fraction digits, rounded half away from zero when
  // `round` (only the first dropped digit decides), truncated otherwise.
  static Decimal Reduce(const Decimal& v, int places, bool round);
  static Decimal ReduceWide(const Decimal& v, int places, bool round);  // the rest of Reduce

  // a * 10^shift, digits past the 32nd place dropped.
  static Decimal Shift(const Decimal& a, bool negative, int shift);

  // Continues the long division of a quotient q (remainder r, divisor d) by
  // `places` more digits, 19 at a time, stopping early once it is exact, and
  // rounds the last digit half away from zero. The result has scale
  // kQuotientPlaces - (places not needed).
  template <class Acc>
  static Decimal QuotientDigits(bool negative, Acc q, u64 r, u64 d, int places);

  // k when v's coefficient is 10^k, else -1.
  static int PowerOfTen(const Decimal& v);

  static Decimal Divide(const Decimal& a, const Decimal& b);
  static Decimal DivideWide(const Decimal& a, const Decimal& b);  // any operands
  static std::strong_ordering CompareMagnitude(const Decimal& a, const Decimal& b);
  static Decimal FromDouble(double value);
  static std::int64_t ToInt64(const Decimal& v);

  // ---- decimal_text.cc ----

  // The coefficient as decimal digits, "0" for zero.
  static std::string CoefficientDigits(const Decimal& v);

  // Format for a coefficient of one word: the text is written right to left
  // into one buffer, two digits at a time.
  static std::string FormatSmall(const Decimal& v, int places);

  // The text of v with `places` fraction digits; -1: the fewest that are exact.
  // REQUIRES: places < 0 or v.scale_ <= places.
  static std::string Format(const Decimal& v, int places);

  // Digits of integer text and fraction text, scaled by 10^exponent.
  static Decimal FromDigits(bool negative, std::string_view integer, std::string_view fraction,
                            std::int64_t exponent);

  // ---- decimal_packed.cc ----

  // The coefficient of v rounded to `places`, when it has no more digits than
  // such a field holds.
  static bool FieldCoefficient(const Decimal& v, int digits, int places, Word128* out);

  // Both packed forms: the sign nibble first (signed) or last (the other).
  static Decimal ReadPacked(std::span<const std::uint8_t> field, int digits, int places, bool sign_first);
  static StoreResult WritePacked(const Decimal& v, std::span<std::uint8_t> field, int digits, int places,
                                 bool sign_first);
};

}  // namespace zelvo
