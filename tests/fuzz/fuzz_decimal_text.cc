// Text to Decimal on arbitrary bytes, then the invariants that tie text,
// rounding, packed fields and arithmetic together. The input also splits at
// its first '|' into two numbers for the arithmetic identities.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "runtime/decimal.h"

namespace {

using zelvo::Decimal;
using zelvo::StoreResult;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckPacked(const Decimal& v, int digits, int places) {
  for (const bool sign_first : {true, false}) {
    std::uint8_t field[17];
    std::memset(field, 0xA5, sizeof field);
    const std::span<std::uint8_t> span(field, static_cast<std::size_t>(Decimal::PackedSize(digits)));
    const StoreResult result =
        sign_first ? v.WritePacked(span, digits, places) : v.WritePackedUnsigned(span, digits, places);
    for (std::size_t i = span.size(); i < sizeof field; ++i) Check(field[i] == 0xA5);
    if (!v.FitsField(digits, places)) {
      Check(result == StoreResult::Overflow);
      for (const std::uint8_t b : span) Check(b == 0xA5);
      continue;
    }
    Check(result == StoreResult::Ok);
    const Decimal back = sign_first ? Decimal::ReadPacked(span, digits, places)
                                    : Decimal::ReadPackedUnsigned(span, digits, places);
    Check(back == v.Round(places));
  }
}

// Small enough that sums, differences and their checks cannot saturate.
bool Moderate(const Decimal& v) { return v.IntegerDigits() <= 30; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Decimal v = Decimal::Parse(text);

  Check(Decimal::Parse(v.ToString()) == v);
  Check(Decimal::Parse(v.ToString(2)) == v.Round(2));
  Check(v.Round(2).ToString(2) == v.ToString(2));
  Check(v.Int().FractionDigits() == 0 && v.Int().Abs() <= v.Abs());
  Check((-v) + v == Decimal() && (-v).Sign() == -v.Sign());
  Check(v * Decimal(1) == v && v / Decimal(1) == v && v / Decimal() == Decimal());
  Check(v.IntegerDigits() <= Decimal::kIntegerDigits && v.FractionDigits() <= Decimal::kFractionDigits);
  (void)v.ToDouble();
  (void)Decimal::FromDouble(v.ToDouble()).ToString();
  for (const auto& [digits, places] : {std::pair{7, 2}, {11, 2}, {31, 10}, {4, 2}, {1, 0}, {31, 31}}) {
    CheckPacked(v, digits, places);
  }
  // Damaged fields read within range whatever the bytes.
  if (size >= 16) {
    const std::span<const std::uint8_t> raw(data, 16);
    Check(Decimal::ReadPacked(raw, 31, 5).IntegerDigits() <= 26);
    Check(Decimal::ReadPackedUnsigned(raw, 31, 5).IntegerDigits() <= 26);
  }

  const std::size_t bar = text.find('|');
  if (bar == std::string_view::npos) return 0;
  const Decimal a = Decimal::Parse(text.substr(0, bar));
  const Decimal b = Decimal::Parse(text.substr(bar + 1));
  if (Moderate(a) && Moderate(b)) {
    Check((a + b) - b == a);
    Check((a - b) + b == a);
    Check((a <=> b) == ((a - b) <=> Decimal()));
    Check(a + b == b + a);
  }
  Check(a * b == b * a);
  // The same values with 32 places take the wide division: quotients agree.
  Check(a / b == Decimal::Parse(a.ToString(32)) / Decimal::Parse(b.ToString(32)));
  const Decimal product = a * b;
  if (!b.IsZero() && a.FractionDigits() + b.FractionDigits() <= 31 && product.IntegerDigits() < 32) {
    Check(product / b == a);  // exact product, exact quotient
  }
  return 0;
}
