#include "runtime/decimal_words.h"

namespace zelvo {

WideUnsigned WideUnsigned::FromHalves(Word128 high, Word128 low) {
  WideUnsigned w(low);
  w.limb_[2] = static_cast<std::uint64_t>(high);
  w.limb_[3] = static_cast<std::uint64_t>(high >> 64);
  return w;
}

WideUnsigned WideUnsigned::Pow10(int k) { return WideUnsigned(1).MulPow10(k); }

Word128 WideUnsigned::Low() const { return (static_cast<Word128>(limb_[1]) << 64) | limb_[0]; }

Word128 WideUnsigned::High() const { return (static_cast<Word128>(limb_[3]) << 64) | limb_[2]; }

bool WideUnsigned::FitsHalves() const {
  for (int i = 4; i < kLimbs; ++i) {
    if (limb_[i] != 0) return false;
  }
  return true;
}

bool WideUnsigned::IsZero() const { return BitLength() == 0; }

int WideUnsigned::BitLength() const {
  for (int i = kLimbs - 1; i >= 0; --i) {
    if (limb_[i] != 0) return i * 64 + 64 - __builtin_clzll(limb_[i]);
  }
  return 0;
}

bool WideUnsigned::Bit(int index) const {
  if (index < 0 || index >= kLimbs * 64) return false;
  return ((limb_[index / 64] >> (index % 64)) & 1U) != 0;
}

WideUnsigned& WideUnsigned::MulSmall(std::uint64_t factor) {
  std::uint64_t carry = 0;
  for (auto& limb : limb_) {
    const Word128 t = static_cast<Word128>(limb) * factor + carry;
    limb = static_cast<std::uint64_t>(t);
    carry = static_cast<std::uint64_t>(t >> 64);
  }
  return *this;
}

WideUnsigned& WideUnsigned::MulPow10(int k) {
  for (; k > 19; k -= 19) MulSmall(kPow10U64[19]);
  return MulSmall(kPow10U64[static_cast<std::size_t>(k)]);
}

WideUnsigned& WideUnsigned::AddSmall(std::uint64_t addend) {
  for (auto& limb : limb_) {
    limb += addend;
    if (limb >= addend) break;  // no carry out of this limb
    addend = 1;
  }
  return *this;
}

std::uint64_t WideUnsigned::DivSmall(std::uint64_t divisor) {
  std::uint64_t rest = 0;
  for (int i = kLimbs - 1; i >= 0; --i) {
    limb_[i] = DivideStep(rest, limb_[i], divisor, &rest);
  }
  return rest;
}

WideUnsigned& WideUnsigned::DivPow10(int k) {
  for (; k > 19; k -= 19) DivSmall(kPow10U64[19]);
  DivSmall(kPow10U64[static_cast<std::size_t>(k)]);
  return *this;
}

WideUnsigned& WideUnsigned::ShiftRight(int bits) {
  if (bits >= kLimbs * 64) return *this = WideUnsigned();
  const int limbs = bits / 64;
  const int rest = bits % 64;
  for (int i = 0; i < kLimbs; ++i) {
    const int from = i + limbs;
    std::uint64_t v = from < kLimbs ? limb_[from] >> rest : 0;
    if (rest != 0 && from + 1 < kLimbs) v |= limb_[from + 1] << (64 - rest);
    limb_[i] = v;
  }
  return *this;
}

WideUnsigned& WideUnsigned::ShiftLeftOne() {
  for (int i = kLimbs - 1; i > 0; --i) limb_[i] = (limb_[i] << 1) | (limb_[i - 1] >> 63);
  limb_[0] <<= 1;
  return *this;
}

WideUnsigned& WideUnsigned::operator+=(const WideUnsigned& b) {
  unsigned carry = 0;
  for (int i = 0; i < kLimbs; ++i) {
    const Word128 t = static_cast<Word128>(limb_[i]) + b.limb_[i] + carry;
    limb_[i] = static_cast<std::uint64_t>(t);
    carry = static_cast<unsigned>(t >> 64);
  }
  return *this;
}

WideUnsigned& WideUnsigned::operator-=(const WideUnsigned& b) {
  unsigned borrow = 0;
  for (int i = 0; i < kLimbs; ++i) {
    const std::uint64_t subtrahend = b.limb_[i];
    const std::uint64_t v = limb_[i] - subtrahend - borrow;
    borrow = (limb_[i] < subtrahend || (limb_[i] == subtrahend && borrow != 0)) ? 1U : 0U;
    limb_[i] = v;
  }
  return *this;
}

WideUnsigned operator*(const WideUnsigned& a, const WideUnsigned& b) {
  WideUnsigned product;
  for (int i = 0; i < WideUnsigned::kLimbs; ++i) {
    if (a.limb_[i] == 0) continue;
    std::uint64_t carry = 0;
    for (int j = 0; i + j < WideUnsigned::kLimbs; ++j) {
      const Word128 t = static_cast<Word128>(a.limb_[i]) * b.limb_[j] + product.limb_[i + j] + carry;
      product.limb_[i + j] = static_cast<std::uint64_t>(t);
      carry = static_cast<std::uint64_t>(t >> 64);
    }
  }
  return product;
}

// Bit-by-bit long division: only the rare quotients whose divisor passes 64
// bits come here, so plainness beats speed.
void WideUnsigned::DivMod(const WideUnsigned& n, const WideUnsigned& d, WideUnsigned* quotient,
                          WideUnsigned* remainder) {
  WideUnsigned q;
  WideUnsigned r;
  for (int bit = n.BitLength() - 1; bit >= 0; --bit) {
    r.ShiftLeftOne();
    r.limb_[0] |= n.Bit(bit) ? 1U : 0U;
    if (r >= d) {
      r -= d;
      q.limb_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  *quotient = q;
  *remainder = r;
}

std::strong_ordering operator<=>(const WideUnsigned& a, const WideUnsigned& b) {
  for (int i = WideUnsigned::kLimbs - 1; i >= 0; --i) {
    if (a.limb_[i] != b.limb_[i]) return a.limb_[i] <=> b.limb_[i];
  }
  return std::strong_ordering::equal;
}

}  // namespace zelvo
