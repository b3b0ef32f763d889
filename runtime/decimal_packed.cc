// Decimal packed fields: reading and writing DECIMAL(n, p) in both packed forms.
#include <algorithm>
#include <array>

#include "runtime/decimal.h"
#include "runtime/decimal_access.h"

namespace zelvo {

namespace {

using u64 = std::uint64_t;

int Capacity(int digits) { return 2 * Decimal::PackedSize(digits) - 1; }

bool ValidField(std::size_t size, int digits, int places) {
  return digits >= 1 && digits <= 31 && places >= 0 && places <= digits &&
         size >= static_cast<std::size_t>(Decimal::PackedSize(digits));
}

// The two digits of a packed byte as a number; a nibble above 9 reads as 9.
constexpr std::array<std::uint8_t, 256> kByteDigits = [] {
  std::array<std::uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b)
    table[b] = static_cast<std::uint8_t>(std::min(b >> 4, 9U) * 10 + std::min(b & 0xFU, 9U));
  return table;
}();

unsigned DigitNibble(unsigned nibble) { return std::min(nibble, 9U); }

// c * 100^n + the digits of n packed bytes.
template <class T>
T AccumulateBytes(T c, const std::uint8_t* bytes, int n) {
  for (int i = 0; i < n; ++i) c = c * 100 + kByteDigits[bytes[i]];
  return c;
}

// The packed byte of each pair of digits 00 .. 99.
constexpr std::array<std::uint8_t, 100> kPackedPairs = [] {
  std::array<std::uint8_t, 100> table{};
  for (unsigned n = 0; n < 100; ++n) table[n] = static_cast<std::uint8_t>((n / 10) << 4 | n % 10);
  return table;
}();

// Writes the last 2 * count digits of c into the `count` bytes at `first`,
// two a byte, the last digit lowest; answers the digits left over. Four
// digits a step, split again in 32 bits: divisions by constants are
// multiplications, and the chain through c is half as long.
u64 PutPairs(u64 c, std::uint8_t* first, int count) {
  for (; count >= 2; count -= 2, c /= 10000) {
    const auto four = static_cast<std::uint32_t>(c % 10000);
    first[count - 1] = kPackedPairs[four % 100];
    first[count - 2] = kPackedPairs[four / 100];
  }
  if (count == 1) {
    first[0] = kPackedPairs[c % 100];
    c /= 100;
  }
  return c;
}

// The same for a coefficient of up to 37 digits: its last 18 digits first.
u64 PutPairs(Word128 c, std::uint8_t* first, int count) {
  if ((c >> 64) == 0) return PutPairs(static_cast<u64>(c), first, count);
  u64 low = 0;
  const auto high = static_cast<u64>(DivideWord(c, kPow10U64[18], &low));
  PutPairs(low, first + count - 9, 9);
  return PutPairs(high, first, count - 9);
}

}  // namespace

// The coefficient of v rounded to `places`, when it has no more digits than
// such a field holds.
[[gnu::noinline]] bool DecimalAccess::FieldCoefficient(const Decimal& v, int digits, int places, Word128* out) {
  const Decimal r = Reduce(v, places, true);
  if (r.HasHighBits()) return false;
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

Decimal DecimalAccess::ReadPacked(std::span<const std::uint8_t> field, int digits, int places,
                                  bool sign_first) {
  if (!ValidField(field.size(), digits, places)) return {};
  const int bytes = Decimal::PackedSize(digits);
  const std::uint8_t* p = field.data();
  // The signed form starts with a sign nibble and a digit; the other ends
  // with a digit and a sign nibble; all other bytes hold two digits.
  const unsigned edge = sign_first ? p[0] : p[bytes - 1];
  const unsigned edge_digit = DigitNibble(sign_first ? edge & 0xFU : edge >> 4);
  const bool negative = sign_first ? (edge >> 4) == 0xF : (edge & 0xFU) == 0xD;
  const std::uint8_t* pairs = sign_first ? p + 1 : p;
  const int pair_count = bytes - 1;
  if (pair_count <= 9) {
    const u64 c = AccumulateBytes<u64>(sign_first ? edge_digit : 0, pairs, pair_count);
    return Make(negative, Word128{sign_first ? c : c * 10 + edge_digit}, places);
  }
  const Word128 c = AccumulateBytes<Word128>(sign_first ? edge_digit : 0, pairs, pair_count);
  return Make(negative, sign_first ? c : c * 10 + edge_digit, places);
}

StoreResult DecimalAccess::WritePacked(const Decimal& v, std::span<std::uint8_t> field, int digits,
                                       int places, bool sign_first) {
  if (!ValidField(field.size(), digits, places)) return StoreResult::BadField;
  Word128 c = 0;
  const int capacity = Capacity(digits);
  const int shift = places - v.scale_;
  if (IsSmall(v) && capacity <= 18) {  // a payroll amount: rounded in one word
    const auto limit = kPow10U64[static_cast<std::size_t>(capacity)];
    if (shift < 0) {
      c = DropDigits(Small(v), -shift, true);
      if (c >= limit) return StoreResult::Overflow;
    } else {
      if (Small(v) >= kPow10U64[static_cast<std::size_t>(capacity - std::min(shift, capacity))] &&
          Small(v) != 0) {
        return StoreResult::Overflow;
      }
      c = Small(v) * kPow10U64[static_cast<std::size_t>(shift)];
    }
  } else if (!FieldCoefficient(v, digits, places, &c)) {
    return StoreResult::Overflow;
  }
  const bool negative = v.negative_ && c != 0;
  const int bytes = Decimal::PackedSize(digits);
  std::uint8_t* const p = field.data();
  if (sign_first) {  // sign and first digit, then pairs
    const u64 first = PutPairs(c, p + 1, bytes - 1);
    p[0] = static_cast<std::uint8_t>((negative ? 0xF0U : 0U) | first);
  } else {  // pairs, then the last digit and the sign
    const bool one_word = (c >> 64) == 0;
    u64 last = static_cast<u64>(c) % 10;
    const Word128 rest = one_word ? Word128{static_cast<u64>(c) / 10} : DivideWord(c, 10, &last);
    PutPairs(rest, p, bytes - 1);
    p[bytes - 1] = static_cast<std::uint8_t>(last << 4 | (negative ? 0xDU : 0xCU));
  }
  return StoreResult::Ok;
}

using A = DecimalAccess;

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

}  // namespace zelvo
