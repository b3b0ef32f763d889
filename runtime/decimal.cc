// Decimal arithmetic: sums, products, quotients, rounding, comparison and the
// integer and double conversions. The fast paths of sums and products are
// inline in decimal.h; this file holds every other case.
#include "runtime/decimal.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/decimal_access.h"

namespace zelvo {

namespace {

using u64 = std::uint64_t;

// q = q * 10^count + digits, on either accumulator of a quotient.
void AppendDigits(Word128& q, int count, u64 digits) {
  q = q * kPow10U128[static_cast<std::size_t>(count)] + digits;
}
void AppendDigits(WideUnsigned& q, int count, u64 digits) { q.MulPow10(count).AddSmall(digits); }

// k when c is 10^k, else -1. 10^k = 2^k * 5^k: k is the count of trailing
// zero bits.
int TenExponent(u64 c) {
  const auto k = static_cast<std::size_t>(__builtin_ctzll(c | (u64{1} << 63)));
  return k < kPow10U64.size() && c == kPow10U64[k] ? static_cast<int>(k) : -1;
}

}  // namespace

Decimal DecimalAccess::Make(bool negative, const WideUnsigned& c, int scale) {
  static const auto* const kLimits = [] {  // 10^(32 + scale), the first value out of range
    static std::array<WideUnsigned, kMaxScale + 1> limits;
    for (int s = 0; s <= kMaxScale; ++s)
      limits[static_cast<std::size_t>(s)] = WideUnsigned::Pow10(Decimal::kIntegerDigits + s);
    return &limits;
  }();
  if (c >= (*kLimits)[static_cast<std::size_t>(scale)]) return Saturated(negative);
  Decimal v;
  v.mid_ = static_cast<std::uint64_t>(c.High());
  v.top_ = static_cast<std::uint32_t>(c.High() >> 64);  // c < 10^64 < 2^213
  v.lo_ = c.Low();
  v.scale_ = static_cast<std::uint8_t>(scale);
  v.negative_ = negative && !c.IsZero();
  return v;
}

// v's coefficient with another sign and scale.
Decimal DecimalAccess::Rebuild(const Decimal& v, bool negative, int scale) {
  return !v.HasHighBits() ? Make(negative, v.lo_, scale) : Make(negative, Coefficient(v), scale);
}

template <class T>
Decimal DecimalAccess::Combine(bool negative_a, T a, bool negative_b, T b, int scale) {
  if (negative_a == negative_b) {
    a += b;
    return Make(negative_a, a, scale);
  }
  if (a >= b) {
    a -= b;
    return Make(negative_a, a, scale);
  }
  b -= a;
  return Make(negative_b, b, scale);
}

Decimal DecimalAccess::Add(const Decimal& a, const Decimal& b, bool negative_b) {
  const int scale = std::max(a.scale_, b.scale_);
  const int shift_a = scale - a.scale_;
  const int shift_b = scale - b.scale_;
  // Below 2^64 * 10^18 both terms stay under 2^127, so the sum cannot wrap.
  if (IsSmall(a) && IsSmall(b) && shift_a <= 18 && shift_b <= 18) {
    return Combine<Word128>(a.negative_, Word128{Small(a)} * kPow10U64[static_cast<std::size_t>(shift_a)],
                            negative_b, Word128{Small(b)} * kPow10U64[static_cast<std::size_t>(shift_b)],
                            scale);
  }
  WideUnsigned ca = Coefficient(a);
  WideUnsigned cb = Coefficient(b);
  ca.MulPow10(shift_a);
  cb.MulPow10(shift_b);
  return Combine(a.negative_, ca, negative_b, cb, scale);
}

Decimal DecimalAccess::Multiply(const Decimal& a, const Decimal& b) {
  const bool negative = a.negative_ != b.negative_;
  int scale = a.scale_ + b.scale_;
  if (IsSmall(a) && IsSmall(b) && scale <= kMaxScale) {
    return Make(negative, Word128{Small(a)} * Small(b), scale);
  }
  WideUnsigned product = Coefficient(a) * Coefficient(b);
  if (scale > kMaxScale) {  // the working value ends at the 32nd place
    product.DivPow10(scale - kMaxScale);
    scale = kMaxScale;
  }
  return Make(negative, product, scale);
}

// v with at most `places` fraction digits, rounded half away from zero when
// `round` (only the first dropped digit decides), truncated otherwise.
Decimal DecimalAccess::Reduce(const Decimal& v, int places, bool round) {
  places = std::clamp(places, 0, kMaxScale);
  if (v.scale_ <= places) return v;
  const int k = v.scale_ - places;
  if (IsSmall(v)) return Make(v.negative_, Word128{DropDigits(Small(v), k, round)}, places);
  return ReduceWide(v, places, round);
}

// Reduce for a coefficient of more than one word; out of line so that the
// one-word path stays a leaf function.
[[gnu::noinline]] Decimal DecimalAccess::ReduceWide(const Decimal& v, int places, bool round) {
  const int k = v.scale_ - places;
  if (!v.HasHighBits()) {
    u64 digit = 0;
    Word128 q = DivideWord(DividePow10(v.lo_, k - 1), 10, &digit);
    if (round && digit >= 5) ++q;
    return Make(v.negative_, q, places);
  }
  WideUnsigned q = Coefficient(v);
  q.DivPow10(k - 1);
  if (q.DivSmall(10) >= 5 && round) q.AddSmall(1);
  return Make(v.negative_, q, places);
}

// a * 10^shift, digits past the 32nd place dropped.
Decimal DecimalAccess::Shift(const Decimal& a, bool negative, int shift) {
  const int scale = a.scale_ - shift;
  if (scale >= 0 && scale <= kMaxScale) return Rebuild(a, negative, scale);
  WideUnsigned c = Coefficient(a);
  if (scale > kMaxScale) return Make(negative, c.DivPow10(scale - kMaxScale), kMaxScale);
  return Make(negative, c.MulPow10(-scale), 0);
}

// Continues the long division of a quotient q (remainder r, divisor d) by
// `places` more digits, 19 at a time, stopping early once it is exact, and
// rounds the last digit half away from zero. The result has scale
// kQuotientPlaces - (places not needed).
template <class Acc>
inline Decimal DecimalAccess::QuotientDigits(bool negative, Acc q, u64 r, u64 d, int places) {
  int remaining = places;
  while (remaining > 0 && r != 0) {
    int count = std::min(remaining, 19);
    const Word128 t = Word128{r} * kPow10U64[static_cast<std::size_t>(count)];
    u64 chunk = DivideStep(static_cast<u64>(t >> 64), static_cast<u64>(t), d, &r);
    remaining -= count;
    if (r == 0) {  // exact: the trailing zeros of the last chunk are not needed
      for (; chunk % 10 == 0; chunk /= 10, --count) ++remaining;
    }
    AppendDigits(q, count, chunk);
  }
  if (remaining == 0 && r != 0 && r >= d - r) AppendDigits(q, 0, 1);
  int scale = Decimal::kQuotientPlaces - remaining;
  if (scale < 0) {  // an exact quotient with integer digits still to come
    AppendDigits(q, -scale, 0);
    scale = 0;
  }
  return Make(negative, q, scale);
}

// k when v's coefficient is 10^k, else -1.
int DecimalAccess::PowerOfTen(const Decimal& v) {
  if (IsSmall(v)) return TenExponent(Small(v));
  if (!v.HasHighBits()) {
    for (std::size_t k = 20; k < kPow10U128.size(); ++k) {
      if (v.lo_ == kPow10U128[k]) return static_cast<int>(k);
    }
    return -1;
  }
  const WideUnsigned c = Coefficient(v);
  WideUnsigned power = WideUnsigned::Pow10(38);
  for (int k = 39; k <= Decimal::kIntegerDigits + kMaxScale; ++k) {
    if (c == power.MulSmall(10)) return k;
  }
  return -1;
}

Decimal DecimalAccess::Divide(const Decimal& a, const Decimal& b) {
  // Payroll quotients (salary x days / 21), both coefficients of one word:
  // q = a * 10^e / b carries the quotient to 31 places; a * 10^e takes three
  // words and two division steps. Below 2^127 (n2 < d / 2) q cannot wrap when
  // rounded up. Zeros, powers of ten, exact quotients (whose trailing zeros
  // are dropped) and the rest are left to DivideWide.
  const int e = Decimal::kQuotientPlaces + b.scale_ - a.scale_;
  if (IsSmall(a) && IsSmall(b) && Small(a) != 0 && Small(b) != 0 && e >= 0 &&
      e < static_cast<int>(kPow10U128.size()) && TenExponent(Small(b)) < 0) {
    const u64 d = Small(b);
    const Word128 power = kPow10U128[static_cast<std::size_t>(e)];
    const Word128 low = Word128{Small(a)} * static_cast<u64>(power);
    const Word128 high = Word128{Small(a)} * static_cast<u64>(power >> 64) + (low >> 64);
    if (static_cast<u64>(high >> 64) < d / 2) {
      u64 r = 0;
      const u64 q1 = DivideStep(static_cast<u64>(high >> 64), static_cast<u64>(high), d, &r);
      const u64 q0 = DivideStep(r, static_cast<u64>(low), d, &r);
      if (r != 0) {
        const Word128 q = ((Word128{q1} << 64) | q0) + (r >= d - r ? 1 : 0);
        return Make(a.negative_ != b.negative_, q, Decimal::kQuotientPlaces);
      }
    }
  }
  return DivideWide(a, b);
}

// Every quotient: by long division in one word while the divisor fits one,
// else bit by bit over WideUnsigned. Out of line, so that Divide's one-word
// path stays a leaf.
[[gnu::noinline]] Decimal DecimalAccess::DivideWide(const Decimal& a, const Decimal& b) {
  if (a.IsZero() || b.IsZero()) return {};
  const bool negative = a.negative_ != b.negative_;
  const int e = Decimal::kQuotientPlaces + b.scale_ - a.scale_;
  if (const int power = PowerOfTen(b); power >= 0) return Shift(a, negative, b.scale_ - power);
  if (IsSmall(b)) {
    const u64 d = Small(b);
    if (e >= 0) {
      u64 r = 0;
      if (a.HasHighBits()) {
        WideUnsigned q = Coefficient(a);
        r = q.DivSmall(d);
        return QuotientDigits(negative, q, r, d, e);
      }
      const Word128 q = DivideWord(a.lo_, d, &r);
      const int q_digits = (q >> 64) != 0 ? 39 : DecimalDigits(static_cast<u64>(q));
      // The final quotient stays below 10^(q_digits + e): one word while that fits.
      if (q_digits + e <= 38) return QuotientDigits(negative, q, r, d, e);
      return QuotientDigits(negative, WideUnsigned(q), r, d, e);
    }
  }
  WideUnsigned n = Coefficient(a);
  WideUnsigned d = Coefficient(b);
  if (e >= 0) {
    n.MulPow10(e);
  } else {
    d.MulPow10(-e);
  }
  WideUnsigned q;
  WideUnsigned r;
  WideUnsigned::DivMod(n, d, &q, &r);
  WideUnsigned rest = d;
  rest -= r;
  if (r >= rest) q.AddSmall(1);
  return Make(negative, q, Decimal::kQuotientPlaces);
}

std::strong_ordering DecimalAccess::CompareMagnitude(const Decimal& a, const Decimal& b) {
  const int scale = std::max(a.scale_, b.scale_);
  const int shift_a = scale - a.scale_;
  const int shift_b = scale - b.scale_;
  if (IsSmall(a) && IsSmall(b) && shift_a <= 19 && shift_b <= 19) {
    return Word128{Small(a)} * kPow10U64[static_cast<std::size_t>(shift_a)] <=>
           Word128{Small(b)} * kPow10U64[static_cast<std::size_t>(shift_b)];
  }
  WideUnsigned ca = Coefficient(a);
  WideUnsigned cb = Coefficient(b);
  return ca.MulPow10(shift_a) <=> cb.MulPow10(shift_b);
}

Decimal DecimalAccess::FromDouble(double value) {
  if (!std::isfinite(value) || value == 0) return {};
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  if (magnitude >= 0x1p108) return Saturated(negative);
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);
  const auto mantissa = static_cast<u64>(std::ldexp(fraction, 53));
  exponent -= 53;  // magnitude == mantissa * 2^exponent, exactly
  if (exponent >= 0) return Make(negative, Word128{mantissa} << exponent, 0);
  // The nearest multiple of 10^-32: mantissa * 10^32 / 2^-exponent, rounded.
  WideUnsigned c(mantissa);
  c.MulPow10(kMaxScale);
  const bool round_up = c.Bit(-exponent - 1);
  c.ShiftRight(-exponent);
  if (round_up) c.AddSmall(1);
  int scale = kMaxScale;
  for (WideUnsigned q = c; scale > 0 && q.DivSmall(10) == 0; q = c) {
    c = q;
    --scale;
  }
  return Make(negative, c, scale);
}

std::int64_t DecimalAccess::ToInt64(const Decimal& v) {
  const Decimal whole = Reduce(v, 0, false);
  const Word128 limit = Word128{std::numeric_limits<std::int64_t>::max()} + (v.negative_ ? 1 : 0);
  const Word128 magnitude = whole.HasHighBits() ? limit : std::min(whole.lo_, limit);
  return v.negative_ ? static_cast<std::int64_t>(0 - static_cast<u64>(magnitude))
                     : static_cast<std::int64_t>(magnitude);
}

using A = DecimalAccess;

Decimal::Decimal(std::int64_t value) {
  const u64 magnitude = value < 0 ? 0 - static_cast<u64>(value) : static_cast<u64>(value);
  lo_ = magnitude;
  negative_ = value < 0;
}

Decimal Decimal::FromDouble(double value) { return A::FromDouble(value); }

Decimal Decimal::SumWide(const Decimal& a, const Decimal& b, bool b_negative) {
  return A::Add(a, b, b_negative);
}

Decimal Decimal::ProductWide(const Decimal& a, const Decimal& b) { return A::Multiply(a, b); }

Decimal operator/(const Decimal& a, const Decimal& b) { return A::Divide(a, b); }

Decimal Decimal::operator-() const {
  Decimal v = *this;
  v.negative_ = !negative_ && !IsZero();
  return v;
}

bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == 0; }

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  const int sign_a = a.Sign();
  const int sign_b = b.Sign();
  if (sign_a != sign_b) return sign_a <=> sign_b;
  if (sign_a == 0) return std::strong_ordering::equal;
  const std::strong_ordering magnitude = A::CompareMagnitude(a, b);
  return sign_a > 0 ? magnitude : 0 <=> magnitude;
}

Decimal Decimal::Round(int places) const { return A::Reduce(*this, places, true); }

Decimal Decimal::Int() const { return A::Reduce(*this, 0, false); }

Decimal Decimal::Abs() const {
  Decimal v = *this;
  v.negative_ = false;
  return v;
}

int Decimal::Sign() const { return IsZero() ? 0 : (negative_ ? -1 : 1); }

bool Decimal::IsZero() const { return !HasHighBits() && lo_ == 0; }

std::int32_t Decimal::ToInt32() const {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      A::ToInt64(*this), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Decimal::ToInt64() const { return A::ToInt64(*this); }

}  // namespace zelvo
