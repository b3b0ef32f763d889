// Decimal text: the text-to-number rules and the shortest or fixed-places text.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <string>

#include "runtime/decimal.h"
#include "runtime/decimal_access.h"

namespace zelvo {

namespace {

using u64 = std::uint64_t;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Eight characters at once, the first one in the lowest byte: whether all
// are digits, and their value. Each step halves the lanes: bytes to pairs of
// digits, pairs to fours, fours to eight.
bool EightDigits(u64 chunk) {
  return ((chunk & 0xF0F0F0F0F0F0F0F0) | (((chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) ==
         0x3333333333333333;
}
u64 EightDigitsValue(u64 chunk) {
  chunk -= 0x3030303030303030;
  chunk = chunk * 10 + (chunk >> 8);
  chunk = (chunk & 0x00FF00FF00FF00FF) * 100 + ((chunk >> 16) & 0x00FF00FF00FF00FF);
  return ((chunk & 0x0000FFFF0000FFFF) * 10000 + ((chunk >> 32) & 0xFFFF)) & 0xFFFFFFFF;
}

// The run of digits of `text` from `i` on, `i` moved past it; `value` takes
// them on as further digits (modulo 2^64: exact while 19 digits at most).
[[gnu::always_inline]] inline std::string_view DigitRun(std::string_view text, std::size_t& i, u64& value) {
  const std::size_t begin = i;
  const std::size_t n = text.size();
  if constexpr (std::endian::native == std::endian::little) {
    for (u64 chunk = 0; i + 8 <= n; i += 8) {
      std::memcpy(&chunk, text.data() + i, 8);
      if (!EightDigits(chunk)) break;
      value = value * 100000000 + EightDigitsValue(chunk);
    }
  }
  for (; i < n && IsDigit(text[i]); ++i) value = value * 10 + static_cast<u64>(text[i] - '0');
  return text.substr(begin, i - begin);
}

}  // namespace

// The coefficient as decimal digits, "0" for zero.
std::string DecimalAccess::CoefficientDigits(const Decimal& v) {
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

// Format for a coefficient of one word: the text is written right to left
// into one buffer, two digits from a table at a time.
std::string DecimalAccess::FormatSmall(const Decimal& v, int places) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  const auto put = [](char* p, u64& c, int count) {  // exactly `count` digits of c
    // Four digits a step, split again in 32 bits: divisions by constants are
    // multiplications, and the chain through c is half as long.
    for (; count >= 4; count -= 4, c /= 10000) {
      const auto four = static_cast<std::uint32_t>(c % 10000);
      p -= 4;
      std::memcpy(p, kPairs + 2 * (four / 100), 2);
      std::memcpy(p + 2, kPairs + 2 * (four % 100), 2);
    }
    if (count >= 2) {
      p -= 2;
      std::memcpy(p, kPairs + 2 * (c % 100), 2);
      c /= 100;
      count -= 2;
    }
    if (count == 1) {
      *--p = static_cast<char>('0' + c % 10);
      c /= 10;
    }
    return p;
  };
  u64 c = Small(v);
  int scale = v.scale_;
  if (places < 0) {
    if (c == 0) return "0";
    for (; scale > 0 && c % 10 == 0; --scale) c /= 10;
  }
  char buffer[80];  // sign, 20 digits, point, 32 places and the zeros before them
  char* const end = buffer + sizeof buffer;
  char* p = end;
  if (places > scale) {
    p -= places - scale;
    std::fill_n(p, places - scale, '0');
  }
  if (scale > 0) p = put(p, c, scale);
  if (p != end) *--p = '.';
  p = put(p, c, DecimalDigits(c));  // "0" for no integer part
  if (v.negative_) *--p = '-';
  return std::string(p, end);
}

// The text of v with `places` fraction digits; -1: the fewest that are exact.
// REQUIRES: places < 0 or v.scale_ <= places.
std::string DecimalAccess::Format(const Decimal& v, int places) {
  if (IsSmall(v)) return FormatSmall(v, places);
  const std::string digits = CoefficientDigits(v);
  const char* first = digits.data();
  const char* last = first + digits.size();
  int scale = v.scale_;
  if (places < 0) {
    if (v.IsZero()) return "0";
    for (; scale > 0 && last[-1] == '0'; --scale) --last;
  }
  const int fraction = places < 0 ? scale : places;
  const auto integer_digits = static_cast<int>(last - first) - scale;  // below 1: "0."
  std::string text;
  text.reserve(static_cast<std::size_t>(std::max(integer_digits, 1) + fraction + 2));
  if (v.negative_) text += '-';
  if (integer_digits > 0) {
    text.append(first, static_cast<std::size_t>(integer_digits));
    first += integer_digits;
  } else {
    text += '0';
  }
  if (fraction > 0) {
    text += '.';
    text.append(static_cast<std::size_t>(std::max(-integer_digits, 0)), '0');
    text.append(first, last);
    text.append(static_cast<std::size_t>(fraction - scale), '0');
  }
  return text;
}

// Digits of integer text and fraction text, scaled by 10^exponent.
Decimal DecimalAccess::FromDigits(bool negative, std::string_view integer, std::string_view fraction,
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

using A = DecimalAccess;

Decimal Decimal::Parse(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  // The digits of the number are read once: up to 19 of them also
  // accumulate into one word, all that a payroll amount needs.
  u64 value = 0;
  while (i < n && text[i] == ' ') ++i;
  const bool negative = i < n && text[i] == '-';
  if (negative) ++i;
  const std::string_view integer = DigitRun(text, i, value);
  std::string_view fraction;
  std::int64_t exponent = 0;
  if (i < n && (text[i] == '.' || text[i] == ',')) {
    ++i;
    fraction = DigitRun(text, i, value);
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
      ++i;
      const bool exponent_negative = i < n && text[i] == '-';
      if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
      // Any exponent past a billion moves every digit out of range already.
      for (; i < n && IsDigit(text[i]); ++i)
        exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1'000'000'000);
      if (exponent_negative) exponent = -exponent;
    }
  }
  if (exponent == 0 && integer.size() + fraction.size() <= 19) {
    return A::Make(negative, Word128{value}, static_cast<int>(fraction.size()));
  }
  return A::FromDigits(negative, integer, fraction, exponent);
}

double Decimal::ToDouble() const {
  const std::string text = ToString();
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string Decimal::ToString() const { return A::Format(*this, -1); }

std::string Decimal::ToString(int places) const {
  places = std::clamp(places, 0, kFractionDigits);
  return A::Format(scale_ <= places ? *this : Round(places), places);
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
