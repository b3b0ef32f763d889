// The machine-word arithmetic under Decimal: powers of ten, the 128-by-64-bit
// division step, and WideUnsigned, the fixed 512-bit unsigned integer of
// Decimal's wide path.
//
// Decimal keeps its coefficient below 10^64 (213 bits). The widest numbers its
// operations form are products of two coefficients and dividends scaled by
// 10^63, both below 10^128 (426 bits), so 512 bits never overflow for them.
// WideUnsigned does not check for overflow past 2^512: callers bound their
// operands as above.
//
//     WideUnsigned::Pow10(20).DivSmall(7)   -> quotient 14285714285714285714, remainder 2
//
// Plain values and pure functions: no shared state.
#pragma once

#include <array>
#include <compare>
#include <cstdint>

namespace zelvo {

__extension__ typedef unsigned __int128 Word128;  // a GCC and clang extension

inline constexpr std::array<std::uint64_t, 20> kPow10U64 = [] {
  std::array<std::uint64_t, 20> p{};
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();

inline constexpr std::array<Word128, 39> kPow10U128 = [] {
  std::array<Word128, 39> p{};
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();

// Number of decimal digits of v (1 for 0).
inline int DecimalDigits(std::uint64_t v) {
  // log10(2) ~ 1233 / 4096: an estimate that is exact or one short.
  const int bits = 64 - __builtin_clzll(v | 1);
  const int guess = (bits * 1233) >> 12;
  return guess + ((v | 1) >= kPow10U64[static_cast<std::size_t>(guess)] ? 1 : 0);
}

// (high * 2^64 + low) / divisor with the remainder in *remainder.
// REQUIRES: high < divisor (so the quotient fits 64 bits).
inline std::uint64_t DivideStep(std::uint64_t high, std::uint64_t low, std::uint64_t divisor,
                                std::uint64_t* remainder) {
#if defined(__x86_64__)
  std::uint64_t quotient;
  std::uint64_t rest;
  __asm__("divq %4" : "=a"(quotient), "=d"(rest) : "a"(low), "d"(high), "rm"(divisor));
  *remainder = rest;
  return quotient;
#else
  const Word128 n = (static_cast<Word128>(high) << 64) | low;
  *remainder = static_cast<std::uint64_t>(n % divisor);
  return static_cast<std::uint64_t>(n / divisor);
#endif
}

// n / divisor with the remainder in *remainder. REQUIRES: divisor != 0.
inline Word128 DivideWord(Word128 n, std::uint64_t divisor, std::uint64_t* remainder) {
  const auto high = static_cast<std::uint64_t>(n >> 64);
  if (high < divisor) return DivideStep(high, static_cast<std::uint64_t>(n), divisor, remainder);
  const std::uint64_t q_high = high / divisor;
  const std::uint64_t q_low = DivideStep(high % divisor, static_cast<std::uint64_t>(n), divisor, remainder);
  return (static_cast<Word128>(q_high) << 64) | q_low;
}

// n / 10^k toward zero, for any k >= 0.
inline Word128 DividePow10(Word128 n, int k) {
  std::uint64_t rest = 0;
  for (; k > 19; k -= 19) n = DivideWord(n, kPow10U64[19], &rest);
  return DivideWord(n, kPow10U64[static_cast<std::size_t>(k)], &rest);
}

class WideUnsigned {
 public:
  static constexpr int kLimbs = 8;

  constexpr WideUnsigned() = default;
  WideUnsigned(Word128 low)  // NOLINT(google-explicit-constructor): exact widening
      : limb_{static_cast<std::uint64_t>(low), static_cast<std::uint64_t>(low >> 64)} {}
  // high * 2^128 + low.
  static WideUnsigned FromHalves(Word128 high, Word128 low);
  // REQUIRES: 0 <= k <= 154.
  static WideUnsigned Pow10(int k);

  Word128 Low() const;      // bits 0 .. 127
  Word128 High() const;     // bits 128 .. 255
  bool FitsHalves() const;  // below 2^256
  bool IsZero() const;
  int BitLength() const;
  bool Bit(int index) const;

  WideUnsigned& MulSmall(std::uint64_t factor);
  WideUnsigned& MulPow10(int k);  // REQUIRES: k >= 0
  WideUnsigned& AddSmall(std::uint64_t addend);
  // Divides in place and answers the remainder. REQUIRES: divisor != 0.
  std::uint64_t DivSmall(std::uint64_t divisor);
  WideUnsigned& DivPow10(int k);  // toward zero; REQUIRES: k >= 0
  WideUnsigned& ShiftRight(int bits);
  WideUnsigned& ShiftLeftOne();
  WideUnsigned& operator+=(const WideUnsigned& b);
  WideUnsigned& operator-=(const WideUnsigned& b);  // REQUIRES: *this >= b
  friend WideUnsigned operator*(const WideUnsigned& a, const WideUnsigned& b);

  // quotient = n / d, remainder = n % d. REQUIRES: d != 0.
  static void DivMod(const WideUnsigned& n, const WideUnsigned& d, WideUnsigned* quotient,
                     WideUnsigned* remainder);

  friend std::strong_ordering operator<=>(const WideUnsigned& a, const WideUnsigned& b);
  friend bool operator==(const WideUnsigned& a, const WideUnsigned& b) = default;

 private:
  std::uint64_t limb_[kLimbs] = {};  // least significant first
};

}  // namespace zelvo
