// Decimal: an exact fixed-point decimal number, the value type of every amount,
// rate, hour count and coefficient of the payroll.
//
// A Decimal holds a sign and up to 32 integer and 32 fraction digits. Sums,
// differences and products are exact (every digit within those 64 positions is
// kept); a quotient is carried to 31 fraction digits with the last one rounded
// half away from zero; dividing by zero, or dividing zero, gives zero without
// an error. Nothing is ever binary floating point inside.
//
// In record buffers a DECIMAL(n, p) field is packed: (n + 1) / 2 bytes, the high
// nibble of the first byte the sign (0 positive, 0xF negative), then the n
// digits most significant first, the last p of them after the point:
//
//     DECIMAL(7,2)  -1234.50   ->  F0 12 34 50
//     DECIMAL(5,0)  42         ->  00 00 42
//
// A second, unsigned-leading packed form has no sign nibble in front; its last
// nibble is 0xD for a negative value (0xC or 0xF otherwise).
//
// Storing rounds half away from zero to the field's places; a value whose
// integer part (after that rounding) needs more digits than the field has is
// refused: the field is left unchanged and the store answers
// StoreResult::Overflow. Callers that must not lose a result check it.
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
  // the fraction; after a fraction only, 'E'/'e' with an optional sign is a
  // power-of-ten exponent; the first other character ends the number. Text
  // without digits is 0. Digits beyond the 32 integer or 32 fraction positions
  // are dropped. Never fails, never reads past the view.
  static Decimal Parse(std::string_view text);

  // Packed field access. REQUIRES: 1 <= digits <= 31, 0 <= places <= digits,
  // field.size() >= PackedSize(digits). A nibble above 9 in a digit position
  // reads as 9 (damaged data never reads out of range).
  static constexpr int PackedSize(int digits) { return (digits + 1) / 2; }
  static Decimal ReadPacked(std::span<const std::uint8_t> field, int digits, int places);
  StoreResult WritePacked(std::span<std::uint8_t> field, int digits, int places) const;
  static Decimal ReadPackedUnsigned(std::span<const std::uint8_t> field, int digits, int places);
  StoreResult WritePackedUnsigned(std::span<std::uint8_t> field, int digits, int places) const;

  // Whether the value, rounded to `places`, fits `digits` digits in all.
  bool FitsField(int digits, int places) const;

  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  friend Decimal operator/(const Decimal& a, const Decimal& b);  // 31 places, /0 gives 0
  Decimal operator-() const;
  Decimal& operator+=(const Decimal& b) { return *this = *this + b; }
  Decimal& operator-=(const Decimal& b) { return *this = *this - b; }
  Decimal& operator*=(const Decimal& b) { return *this = *this * b; }
  Decimal& operator/=(const Decimal& b) { return *this = *this / b; }

  friend bool operator==(const Decimal& a, const Decimal& b);
  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);

  Decimal Round(int places) const;  // half away from zero
  Decimal Int() const;              // fraction dropped, toward zero
  Decimal Abs() const;
  int Sign() const;                 // -1, 0 or 1
  bool IsZero() const;

  // Fraction dropped toward zero; a value outside the 32-bit range saturates.
  std::int32_t ToInt32() const;
  std::int64_t ToInt64() const;
  double ToDouble() const;  // the nearest double

  // Shortest exact text: "-12.5", "0", "476.1904761904761904761904761904762".
  std::string ToString() const;
  // Rounded to exactly `places` fraction digits: ToString(2) of 4761.9 is "4761.90".
  std::string ToString(int places) const;

  // Digits in use: integer digits of the magnitude (0 for |v| < 1) and
  // fraction digits up to the last non-zero one.
  int IntegerDigits() const;
  int FractionDigits() const;

 private:
  // The representation is an implementation detail: sign and magnitude scaled
  // by 10^kFractionDigits, as two 128-bit halves (high and low 10^32 parts),
  // so that every operation on payroll-sized values stays in one machine word.
  using Word = unsigned __int128;
  Word hi_ = 0;       // integer part, 0 .. 10^32 - 1
  Word lo_ = 0;       // fraction part scaled by 10^32, 0 .. 10^32 - 1
  bool negative_ = false;  // never set for zero

  friend struct DecimalAccess;
};

}  // namespace zelvo
