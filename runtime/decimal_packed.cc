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

// The digits of x (below 10^8) as eight BCD nibbles, units lowest: the lanes
// of one 64-bit word split 2 x 4 digits, then 4 x 2, then 8 x 1, side by side.
[[gnu::always_inline]] inline std::uint32_t Bcd8(std::uint32_t x) {
  u64 v = (u64{x / 10000} << 32) | (x % 10000);
  u64 q = ((v * 10486) >> 20) & 0x0000007F0000007FULL;  // each lane / 100
  v = (v - q * 100) | (q << 16);
  q = ((v * 103) >> 10) & 0x000F000F000F000FULL;  // each lane / 10
  v = (v - q * 10) | (q << 8);                    // one digit a byte
  v = (v | (v >> 4)) & 0x00FF00FF00FF00FFULL;
  v = (v | (v >> 8)) & 0x0000FFFF0000FFFFULL;
  return static_cast<std::uint32_t>(v | (v >> 16));
}

u64 Bcd16(u64 x) {  // x below 10^16
  if (x < 100000000) return Bcd8(static_cast<std::uint32_t>(x));
  return (u64{Bcd8(static_cast<std::uint32_t>(x / 100000000))} << 32) |
         Bcd8(static_cast<std::uint32_t>(x % 100000000));
}

Word128 Bcd(Word128 c) {  // c below 10^31
  if (c < kPow10U64[16]) return Bcd16(static_cast<u64>(c));
  u64 low = 0;
  const Word128 high = DivideWord(c, kPow10U64[16], &low);
  return (Word128{Bcd16(static_cast<u64>(high))} << 64) | Bcd16(low);
}

}  // namespace

// The coefficient of v rounded to `places`, when it has no more digits than
// such a field holds.
bool DecimalAccess::FieldCoefficient(const Decimal& v, int digits, int places, Word128* out) {
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
  if (IsSmall(v) && shift >= 0 && capacity <= 15) {  // a payroll amount: no rounding, one word
    if (Small(v) >= kPow10U64[static_cast<std::size_t>(capacity - std::min(shift, capacity))] &&
        Small(v) != 0) {
      return StoreResult::Overflow;
    }
    c = Small(v) * kPow10U64[static_cast<std::size_t>(shift)];
  } else if (!FieldCoefficient(v, digits, places, &c)) {
    return StoreResult::Overflow;
  }
  const bool negative = v.negative_ && c != 0;
  if (capacity <= 15) {
    PutImage(static_cast<u64>(Bcd16(static_cast<u64>(c))), negative, capacity, sign_first, field);
  } else {
    PutImage(Bcd(c), negative, capacity, sign_first, field);
  }
  return StoreResult::Ok;
}

// Writes the BCD digits with the sign nibble in front or behind into the
// field's bytes, the last nibble lowest.
template <class T>
void DecimalAccess::PutImage(T image, bool negative, int capacity, bool sign_first,
                             std::span<std::uint8_t> field) {
  if (sign_first) {
    if (negative) image |= T{0xF} << (4 * capacity);
  } else {
    image = (image << 4) | (negative ? 0xDU : 0xCU);
  }
  for (int i = (capacity + 1) / 2 - 1; i >= 0; --i, image >>= 8) {
    field[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(image);
  }
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
