// Decimal: an exact fixed-point decimal number, the value type of every amount,
// rate, hour count and coefficient of the payroll.
//
// A Decimal holds a sign and up to 32 integer and 32 fraction digits. Sums,
// differences and products are exact (every digit within those 64 positions is
// kept); a quotient is carried to 31 fraction digits with the last one rounded
// half away from zero; dividing by zero, or dividing zero, gives zero without
// an error; dividing by a power of ten (10, 0.01, 1) only moves the point.
// Nothing is ever binary floating point inside.
//
// Beyond the 64 positions, results are defined, never undefined:
//   - digits below the 32nd fraction place (a product of two values with many
//     places, a shift by a power of ten) are dropped, toward zero;
//   - a result whose integer part would need more than 32 digits saturates to
//     the largest integer of 32 digits, 99...9, with the sign of the exact
//     result. No payroll amount comes near it; stores of it are refused.
//
// In record buffers a DECIMAL(n, p) field is packed: (n + 1) / 2 bytes, the high
// nibble of the first byte the sign (0 positive, 0xF negative), then the n
// digits most significant first, the last p of them after the point:
//
//     DECIMAL(7,2)  -1234.50   ->  F0 12 34 50
//     DECIMAL(5,0)  42         ->  00 00 42
//
// A second, unsigned-leading packed form has no sign nibble in front: the same
// bytes hold the n digits first and a sign nibble last, 0xD for a negative
// value (0xC or 0xF otherwise; written as 0xC):
//
//     DECIMAL(7,2)  -1234.50   ->  01 23 45 0D
//
// Both forms hold 2 * bytes - 1 digits: n for the odd n the program declares,
// n - 1 for an even n, whose bytes have no room for the n-th digit.
//
// Storing rounds half away from zero to the field's places; a value whose
// integer part (after that rounding) needs more digits than the field has is
// refused: the field is left unchanged and the store answers
// StoreResult::Overflow. So is 99999.995 into DECIMAL(7,2), which rounds to
// 100000.00. Callers that must not lose a result check it.
//
// Examples:
//     Decimal::Parse("  -12,5")              == Decimal::Parse("-12.5")
//     Decimal::Parse("1.5E2")                == 150      ("1E2" is 1: no fraction, no exponent)
//     Decimal(10000) / Decimal(21)           == 476.1904761904761904761904761904762
//     (Decimal(10000) / Decimal(21)).Round(2) == 476.19
//     Decimal::Parse("-1234.565").Round(2)   == -1234.57
//
// Decimal is a small value type: copy it freely. It is not thread-hostile: no
// shared state.
#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zelvo {

enum class [[nodiscard]] StoreResult : std::uint8_t {
  Ok,        // the value was written
  Overflow,  // the value needs more integer digits than the target holds; target unchanged
  BadField,  // digits or places out of range, or the buffer shorter than the field; unchanged
};

class Decimal {
 public:
  static constexpr int kIntegerDigits = 32;
  static constexpr int kFractionDigits = 32;
  static constexpr int kQuotientPlaces = 31;

  constexpr Decimal() = default;  // zero
  Decimal(std::int64_t value);    // NOLINT(google-explicit-constructor): exact, like a literal
  Decimal(int value) : Decimal(static_cast<std::int64_t>(value)) {}  // NOLINT

  // The double's value, exactly as far as 32 fraction digits reach (the nearest
  // working value); a store then rounds it as any other value. NaN and
  // infinities give zero.
  static Decimal FromDouble(double value);

  // Text to number: leading blanks skipped; a '-' right after them makes the
  // value negative ('+' ends the number at once); digits; '.' or ',' starts
  // the fraction; after a fraction only ("1.E2" has one, empty), 'E'/'e' with an
  // optional sign is a power-of-ten exponent; the first other character ends
  // the number. Text without digits is 0. Digits that land below the 32nd
  // fraction place are dropped; a value of more than 32 integer digits
  // saturates as any other result. Never fails, never reads past the view.
  static Decimal Parse(std::string_view text);

  // Packed field access for 1 <= digits <= 31, 0 <= places <= digits and
  // field.size() >= PackedSize(digits); other arguments read as 0 and write
  // nothing (StoreResult::BadField). A nibble above 9 in a digit position reads
  // as 9 (damaged data never reads out of range); a sign nibble other than 0xF
  // (0xD in the unsigned-leading form) reads as positive.
  static constexpr int PackedSize(int digits) { return (digits + 1) / 2; }
  static Decimal ReadPacked(std::span<const std::uint8_t> field, int digits, int places);
  StoreResult WritePacked(std::span<std::uint8_t> field, int digits, int places) const;
  static Decimal ReadPackedUnsigned(std::span<const std::uint8_t> field, int digits, int places);
  StoreResult WritePackedUnsigned(std::span<std::uint8_t> field, int digits, int places) const;

  // Whether the value, rounded to `places`, fits such a field (false for a
  // field that the arguments do not describe).
  bool FitsField(int digits, int places) const;

  friend Decimal operator+(const Decimal& a, const Decimal& b) { return Sum(a, b, b.negative_); }
  friend Decimal operator-(const Decimal& a, const Decimal& b) { return Sum(a, b, !b.negative_); }
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  friend Decimal operator/(const Decimal& a, const Decimal& b);  // 31 places, /0 gives 0
  Decimal operator-() const;
  Decimal& operator+=(const Decimal& b) { return *this = *this + b; }
  Decimal& operator-=(const Decimal& b) { return *this = *this - b; }
  Decimal& operator*=(const Decimal& b) { return *this = *this * b; }
  Decimal& operator/=(const Decimal& b) { return *this = *this / b; }

  friend bool operator==(const Decimal& a, const Decimal& b);
  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);

  Decimal Round(int places) const;  // half away from zero; places clamped to 0 .. 32
  Decimal Int() const;              // fraction dropped, toward zero
  Decimal Abs() const;
  int Sign() const;  // -1, 0 or 1
  bool IsZero() const;

  // Fraction dropped toward zero; a value outside the target's range saturates.
  std::int32_t ToInt32() const;
  std::int64_t ToInt64() const;
  double ToDouble() const;  // the nearest double

  // Shortest exact text: "-12.5", "0", "476.1904761904761904761904761904762".
  std::string ToString() const;
  // Rounded to exactly `places` fraction digits (clamped to 0 .. 32):
  // ToString(2) of 4761.9 is "4761.90", of -0.001 is "0.00".
  std::string ToString(int places) const;

  // Digits in use: integer digits of the magnitude (0 for |v| < 1) and
  // fraction digits up to the last non-zero one.
  int IntegerDigits() const;
  int FractionDigits() const;

 private:
  // The value is sign * coefficient / 10^scale_, the coefficient a binary
  // integer below 10^(32 + scale_) < 2^213: its low 128 bits in lo_, the rest
  // in mid_ and top_, so that a Decimal takes 32 bytes. Payroll-sized
  // values have a coefficient below 2^64 and take the one-word paths; the
  // rest take the wide path over WideUnsigned. A value is not normalised:
  // 1.5 and 1.50 differ in coefficient and scale but compare equal.
  __extension__ typedef unsigned __int128 Word;
  Word lo_ = 0;             // coefficient bits 0 .. 127
  std::uint64_t mid_ = 0;   // coefficient bits 128 .. 191
  std::uint32_t top_ = 0;   // coefficient bits 192 .. 223
  std::uint8_t scale_ = 0;  // fraction digits of the coefficient, 0 .. 32
  bool negative_ = false;   // never set for zero

  bool HasHighBits() const { return (mid_ | top_) != 0; }  // a coefficient of 2^128 or more

  friend struct DecimalAccess;  // the operations of decimal*.cc (runtime/decimal_access.h)

  // Sums and products of payroll-sized values are one machine instruction or
  // two; they are inline here, and everything else is in decimal.cc. Below
  // 2^105 (sums) and 2^53 (product factors) a result stays below 2^106 <
  // 10^32, inside every scale's range, so the fast paths need no range check.
  __extension__ typedef __int128 SignedWord;
  static Decimal Sum(const Decimal& a, const Decimal& b, bool b_negative) {
    if (((a.mid_ | b.mid_ | a.top_ | b.top_) == 0) & (((a.lo_ | b.lo_) >> 105) == 0) &
        (a.scale_ == b.scale_)) {
      const auto x = static_cast<SignedWord>(a.lo_);
      const auto y = static_cast<SignedWord>(b.lo_);
      const SignedWord sum = (a.negative_ ? -x : x) + (b_negative ? -y : y);
      Decimal r;
      r.lo_ = static_cast<Word>(sum < 0 ? -sum : sum);
      r.scale_ = a.scale_;
      r.negative_ = sum < 0;
      return r;
    }
    return SumWide(a, b, b_negative);
  }
  static Decimal SumWide(const Decimal& a, const Decimal& b, bool b_negative);
  static Decimal ProductWide(const Decimal& a, const Decimal& b);
};

inline Decimal operator*(const Decimal& a, const Decimal& b) {
  const auto x = static_cast<std::uint64_t>(a.lo_);
  const auto y = static_cast<std::uint64_t>(b.lo_);
  const std::uint64_t high_bits = static_cast<std::uint64_t>(a.lo_ >> 64) | static_cast<std::uint64_t>(b.lo_ >> 64) |
                                  a.mid_ | b.mid_ | a.top_ | b.top_;
  const int scale = a.scale_ + b.scale_;
  if (((high_bits | ((x | y) >> 53)) == 0) & (scale <= Decimal::kFractionDigits)) {
    Decimal r;
    r.lo_ = static_cast<Decimal::Word>(x) * y;
    r.scale_ = static_cast<std::uint8_t>(scale);
    r.negative_ = (a.negative_ != b.negative_) & (x != 0) & (y != 0);  // known before the product
    return r;
  }
  return Decimal::ProductWide(a, b);
}

}  // namespace zelvo
