#include "runtime/decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "runtime/decimal_words.h"

namespace zelvo {

namespace {

using u64 = std::uint64_t;

constexpr int kMaxScale = Decimal::kFractionDigits;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Capacity(int digits) { return 2 * Decimal::PackedSize(digits) - 1; }

bool ValidField(std::size_t size, int digits, int places) {
  return digits >= 1 && digits <= 31 && places >= 0 && places <= digits &&
         size >= static_cast<std::size_t>(Decimal::PackedSize(digits));
}

std::uint8_t DigitNibble(unsigned nibble) { return static_cast<std::uint8_t>(std::min(nibble, 9U)); }

// q = q * 10^count + digits, on either accumulator of a quotient.
void AppendDigits(Word128& q, int count, u64 digits) {
  q = q * kPow10U128[static_cast<std::size_t>(count)] + digits;
}
void AppendDigits(WideUnsigned& q, int count, u64 digits) { q.MulPow10(count).AddSmall(digits); }

// The `count` lowest decimal digits of c (below 10^31), least significant first.
void SplitDigits(Word128 c, int count, std::uint8_t* digit) {
  u64 low = static_cast<u64>(c);
  u64 high = 0;
  if (c >= kPow10U64[19]) high = static_cast<u64>(DivideWord(c, kPow10U64[19], &low));
  for (int i = 0; i < count; ++i) {
    u64& source = i < 19 ? low : high;
    digit[i] = static_cast<std::uint8_t>(source % 10);
    source /= 10;
  }
}

}  // namespace

// The operations, with access to the representation: value = sign * c / 10^scale.
struct DecimalAccess {
  static bool IsSmall(const Decimal& v) { return v.hi_ == 0 && (v.lo_ >> 64) == 0; }
  static u64 Small(const Decimal& v) { return static_cast<u64>(v.lo_); }
  static WideUnsigned Coefficient(const Decimal& v) { return WideUnsigned::FromHalves(v.hi_, v.lo_); }

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
  static Decimal Make(bool negative, const WideUnsigned& c, int scale) {
    if (c >= WideUnsigned::Pow10(Decimal::kIntegerDigits + scale)) return Saturated(negative);
    Decimal v;
    v.hi_ = c.High();
    v.lo_ = c.Low();
    v.scale_ = static_cast<std::uint8_t>(scale);
    v.negative_ = negative && !c.IsZero();
    return v;
  }
  // v's coefficient with another sign and scale.
  static Decimal Rebuild(const Decimal& v, bool negative, int scale) {
    return v.hi_ == 0 ? Make(negative, v.lo_, scale) : Make(negative, Coefficient(v), scale);
  }

  template <class T>
  static Decimal Combine(bool negative_a, T a, bool negative_b, T b, int scale) {
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

  static Decimal Add(const Decimal& a, const Decimal& b, bool negate_b) {
    const bool negative_b = b.negative_ != negate_b;
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

  static Decimal Multiply(const Decimal& a, const Decimal& b) {
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
  static Decimal Reduce(const Decimal& v, int places, bool round) {
    places = std::clamp(places, 0, kMaxScale);
    if (v.scale_ <= places) return v;
    const int k = v.scale_ - places;
    if (IsSmall(v)) {
      u64 q = k - 1 < 20 ? Small(v) / kPow10U64[static_cast<std::size_t>(k - 1)] : 0;
      const u64 digit = q % 10;
      q /= 10;
      if (round && digit >= 5) ++q;
      return Make(v.negative_, Word128{q}, places);
    }
    if (v.hi_ == 0) {
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
  static Decimal Shift(const Decimal& a, bool negative, int shift) {
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
  static Decimal QuotientDigits(bool negative, Acc q, u64 r, u64 d, int places) {
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
  static int PowerOfTen(const Decimal& v) {
    if (IsSmall(v)) {
      const int digits = DecimalDigits(Small(v));
      return Small(v) == kPow10U64[static_cast<std::size_t>(digits - 1)] ? digits - 1 : -1;
    }
    if (v.hi_ == 0) {
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

  static Decimal Divide(const Decimal& a, const Decimal& b) {
    if (a.IsZero() || b.IsZero()) return {};
    const bool negative = a.negative_ != b.negative_;
    // q = a_coefficient * 10^e / b_coefficient carries the quotient to 31 places.
    const int e = Decimal::kQuotientPlaces + b.scale_ - a.scale_;
    if (const int power = PowerOfTen(b); power >= 0) return Shift(a, negative, b.scale_ - power);
    if (IsSmall(b)) {
      const u64 d = Small(b);
      if (e >= 0) {
        u64 r = 0;
        if (a.hi_ != 0) {
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

  static std::strong_ordering CompareMagnitude(const Decimal& a, const Decimal& b) {
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

  // The coefficient of v rounded to `places`, when it has no more digits than
  // such a field holds.
  static bool FieldCoefficient(const Decimal& v, int digits, int places, Word128* out) {
    const Decimal r = Reduce(v, places, true);
    if (r.hi_ != 0) return false;
    if (r.lo_ == 0) {
      *out = 0;
      return true;
    }
    const int shift = places - r.scale_;
    const int capacity = Capacity(digits);
    if (shift > capacity || r.lo_ >= kPow10U128[static_cast<std::size_t>(capacity - shift)]) return false;
    *out = r.lo_ * kPow10U128[static_cast<std::size_t>(shift)];
    return true;
  }


  // The coefficient as decimal digits, "0" for zero.
  static std::string CoefficientDigits(const Decimal& v) {
    char buffer[24];
    if (IsSmall(v)) {
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, Small(v)).ptr;
      return std::string(buffer, end);
    }
    WideUnsigned c = Coefficient(v);
    u64 chunks[5];
    int count = 0;
    while (!c.IsZero()) chunks[count++] = c.DivSmall(kPow10U64[19]);
    std::string text = std::to_string(chunks[count - 1]);
    for (int i = count - 2; i >= 0; --i) {
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, chunks[i]).ptr;
      text.append(static_cast<std::size_t>(19 - (end - buffer)), '0').append(buffer, end);
    }
    return text;
  }

  // The text of v with `places` fraction digits; -1: the fewest that are exact.
  static std::string Format(const Decimal& v, int places) {
    std::string digits = CoefficientDigits(v);
    int scale = v.scale_;
    if (digits.size() <= static_cast<std::size_t>(scale)) {
      digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    }
    if (places < 0) {
      for (; scale > 0 && digits.back() == '0'; --scale) digits.pop_back();
    } else {
      digits.append(static_cast<std::size_t>(places - scale), '0');
      scale = places;
    }
    if (scale > 0) digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, '.');
    if (v.negative_) digits.insert(0, 1, '-');
    return digits;
  }

  // Digits of integer text and fraction text, scaled by 10^exponent.
  static Decimal FromDigits(bool negative, std::string_view integer, std::string_view fraction,
                            std::int64_t exponent) {
    // As one run of digits, digit k stands for 10^(integer_count - 1 - k + exponent).
    const auto integer_count = static_cast<std::int64_t>(integer.size());
    const std::int64_t total = integer_count + static_cast<std::int64_t>(fraction.size());
    const auto at = [&](std::int64_t k) {
      return k < integer_count ? integer[static_cast<std::size_t>(k)]
                               : fraction[static_cast<std::size_t>(k - integer_count)];
    };
    std::int64_t first = 0;
    while (first < total && at(first) == '0') ++first;
    if (first == total) return {};
    if (integer_count - 1 - first + exponent >= Decimal::kIntegerDigits) return Saturated(negative);
    // Digits standing below 10^-32 are dropped.
    const std::int64_t end = std::min(total, integer_count + exponent + kMaxScale);
    if (end <= first) return {};
    const auto scale = static_cast<int>(end - integer_count - exponent);
    WideUnsigned c;
    u64 chunk = 0;
    int chunk_digits = 0;
    for (std::int64_t k = first; k < end; ++k) {
      chunk = chunk * 10 + static_cast<u64>(at(k) - '0');
      if (++chunk_digits == 19 || k + 1 == end) {
        c.MulPow10(chunk_digits).AddSmall(chunk);
        chunk = 0;
        chunk_digits = 0;
      }
    }
    if (scale < 0) return Make(negative, c.MulPow10(-scale), 0);
    if (c.FitsHalves() && c.High() == 0) return Make(negative, c.Low(), scale);
    return Make(negative, c, scale);
  }

  static Decimal FromDouble(double value) {
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

  static std::int64_t ToInt64(const Decimal& v) {
    const Decimal whole = Reduce(v, 0, false);
    const Word128 limit = Word128{std::numeric_limits<std::int64_t>::max()} + (v.negative_ ? 1 : 0);
    const Word128 magnitude = whole.hi_ != 0 ? limit : std::min(whole.lo_, limit);
    return v.negative_ ? static_cast<std::int64_t>(0 - static_cast<u64>(magnitude))
                       : static_cast<std::int64_t>(magnitude);
  }

  static Decimal ReadPacked(std::span<const std::uint8_t> field, int digits, int places, bool sign_first) {
    if (!ValidField(field.size(), digits, places)) return {};
    const int bytes = Decimal::PackedSize(digits);
    Word128 c = 0;
    bool negative = false;
    for (int i = 0; i < bytes; ++i) {
      const std::uint8_t byte = field[static_cast<std::size_t>(i)];
      const unsigned high = byte >> 4;
      const unsigned low = byte & 0xFU;
      if (sign_first && i == 0) {
        negative = high == 0xF;
        c = DigitNibble(low);
      } else if (!sign_first && i == bytes - 1) {
        negative = low == 0xD;
        c = c * 10 + DigitNibble(high);
      } else {
        c = c * 100 + DigitNibble(high) * 10U + DigitNibble(low);
      }
    }
    return Make(negative, c, places);
  }

  static StoreResult WritePacked(const Decimal& v, std::span<std::uint8_t> field, int digits, int places,
                                 bool sign_first) {
    if (!ValidField(field.size(), digits, places)) return StoreResult::BadField;
    Word128 c = 0;
    if (!FieldCoefficient(v, digits, places, &c)) return StoreResult::Overflow;
    const int bytes = Decimal::PackedSize(digits);
    const int capacity = Capacity(digits);
    std::uint8_t digit[32];  // least significant first
    SplitDigits(c, capacity, digit);
    const bool negative = v.negative_ && c != 0;
    const auto pack = [](unsigned high, unsigned low) { return static_cast<std::uint8_t>(high << 4 | low); };
    // Nibble k of the field (0: high nibble of the first byte) holds digit
    // capacity - k in the signed form and capacity - 1 - k in the other.
    const int top = sign_first ? capacity : capacity - 1;
    for (int i = 0; i < bytes; ++i) {
      const int k = 2 * i;
      unsigned high = 0;
      unsigned low = 0;
      if (sign_first && i == 0) {
        high = negative ? 0xFU : 0U;
      } else {
        high = digit[top - k];
      }
      if (!sign_first && i == bytes - 1) {
        low = negative ? 0xDU : 0xCU;
      } else {
        low = digit[top - k - 1];
      }
      field[static_cast<std::size_t>(i)] = pack(high, low);
    }
    return StoreResult::Ok;
  }
};

using A = DecimalAccess;

Decimal::Decimal(std::int64_t value) {
  const u64 magnitude = value < 0 ? 0 - static_cast<u64>(value) : static_cast<u64>(value);
  lo_ = magnitude;
  negative_ = value < 0;
}

Decimal Decimal::FromDouble(double value) { return A::FromDouble(value); }

Decimal Decimal::Parse(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  const auto digit_run = [&] {
    const std::size_t begin = i;
    while (i < n && IsDigit(text[i])) ++i;
    return text.substr(begin, i - begin);
  };
  while (i < n && text[i] == ' ') ++i;
  const bool negative = i < n && text[i] == '-';
  if (negative) ++i;
  const std::string_view integer = digit_run();
  std::string_view fraction;
  std::int64_t exponent = 0;
  if (i < n && (text[i] == '.' || text[i] == ',')) {
    ++i;
    fraction = digit_run();
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
      ++i;
      const bool exponent_negative = i < n && text[i] == '-';
      if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
      // Any exponent past a billion moves every digit out of range already.
      for (const char c : digit_run()) exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), 1'000'000'000);
      if (exponent_negative) exponent = -exponent;
    }
  }
  return A::FromDigits(negative, integer, fraction, exponent);
}

Decimal Decimal::ReadPacked(std::span<const std::uint8_t> field, int digits, int places) {
  return A::ReadPacked(field, digits, places, true);
}
StoreResult Decimal::WritePacked(std::span<std::uint8_t> field, int digits, int places) const {
  return A::WritePacked(*this, field, digits, places, true);
}
Decimal Decimal::ReadPackedUnsigned(std::span<const std::uint8_t> field, int digits, int places) {
  return A::ReadPacked(field, digits, places, false);
}
StoreResult Decimal::WritePackedUnsigned(std::span<std::uint8_t> field, int digits, int places) const {
  return A::WritePacked(*this, field, digits, places, false);
}

bool Decimal::FitsField(int digits, int places) const {
  Word128 c = 0;
  return digits >= 1 && digits <= 31 && places >= 0 && places <= digits &&
         A::FieldCoefficient(*this, digits, places, &c);
}

Decimal operator+(const Decimal& a, const Decimal& b) { return A::Add(a, b, false); }
Decimal operator-(const Decimal& a, const Decimal& b) { return A::Add(a, b, true); }
Decimal operator*(const Decimal& a, const Decimal& b) { return A::Multiply(a, b); }
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
bool Decimal::IsZero() const { return hi_ == 0 && lo_ == 0; }

std::int32_t Decimal::ToInt32() const {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(A::ToInt64(*this), std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}
std::int64_t Decimal::ToInt64() const { return A::ToInt64(*this); }

double Decimal::ToDouble() const {
  const std::string text = ToString();
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string Decimal::ToString() const { return A::Format(*this, -1); }
std::string Decimal::ToString(int places) const {
  places = std::clamp(places, 0, kFractionDigits);
  return A::Format(Round(places), places);
}

int Decimal::IntegerDigits() const {
  const Decimal whole = Int();
  return whole.IsZero() ? 0 : static_cast<int>(A::CoefficientDigits(whole).size());
}

int Decimal::FractionDigits() const {
  const std::string text = A::Format(*this, -1);
  const std::size_t point = text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

}  // namespace zelvo
