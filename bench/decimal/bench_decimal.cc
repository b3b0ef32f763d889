// Decimal on payroll-sized values (up to 11 digits with 2 places) beside the
// same work done by hand on __int128 integers scaled by 10^2 (10^4 for
// products). Each benchmark walks a table of varied values so that no result
// is known to the compiler.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/decimal.h"

namespace zelvo {
namespace {

__extension__ typedef __int128 Scaled;

constexpr std::size_t kCount = 1024;

struct Inputs {
  std::vector<Scaled> amounts;  // cents, up to 11 digits
  std::vector<Scaled> factors;  // cents, 0.01 .. 999.99 (rates, hours, days)
  std::vector<Scaled> accrued;  // amount * factor in 10^-4 units, stored to cents
  std::vector<Decimal> amount_values;
  std::vector<Decimal> factor_values;
  std::vector<Decimal> accrued_values;
  std::vector<std::string> texts;
};

Decimal FromScaled(Scaled v, int places) {
  return Decimal(static_cast<std::int64_t>(v)) / Decimal::Parse(places == 2 ? "100" : "10000");
}

const Inputs& Data() {
  static const Inputs inputs = [] {
    Inputs in;
    std::uint64_t seed = 20260101;
    const auto next = [&seed] {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      return seed >> 24;
    };
    for (std::size_t i = 0; i < kCount; ++i) {
      const auto amount = static_cast<Scaled>(next() % 99999999999ULL) * (i % 2 == 0 ? 1 : -1);
      const auto factor = static_cast<Scaled>(1 + next() % 99999ULL);
      const auto accrued = static_cast<Scaled>(next() % 9999999999999ULL);  // 10^-4 units
      in.amounts.push_back(amount);
      in.factors.push_back(factor);
      in.accrued.push_back(accrued);
      in.amount_values.push_back(FromScaled(amount, 2));
      in.factor_values.push_back(FromScaled(factor, 2));
      in.accrued_values.push_back(FromScaled(accrued, 4));
      in.texts.push_back(FromScaled(amount, 2).ToString(2));
    }
    return in;
  }();
  return inputs;
}

// ---- zelvo Decimal ----

void DecimalAdd(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.amount_values[i] + d.amount_values[(i + 1) % kCount]);
    i = (i + 1) % kCount;
  }
}

void DecimalMultiply(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.amount_values[i] * d.factor_values[i]);
    i = (i + 1) % kCount;
  }
}

void DecimalDivide(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.amount_values[i] / d.factor_values[i]);
    i = (i + 1) % kCount;
  }
}

void DecimalStore(benchmark::State& state) {
  const auto& d = Data();
  std::array<std::uint8_t, 6> field{};
  std::size_t i = 0;
  for (auto _ : state) {
    const StoreResult result = d.accrued_values[i].WritePacked(field, 11, 2);  // rounds to 2 places
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(field);
    i = (i + 1) % kCount;
  }
}

void DecimalText(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Decimal::Parse(d.texts[i]).ToString(2));
    i = (i + 1) % kCount;
  }
}

// ---- __int128 scaled by hand ----

Scaled RoundedQuotient(Scaled n, Scaled d) {  // half away from zero
  const bool negative = (n < 0) != (d < 0);
  const Scaled an = n < 0 ? -n : n;
  const Scaled ad = d < 0 ? -d : d;
  Scaled q = an / ad;
  if (2 * (an % ad) >= ad) ++q;
  return negative ? -q : q;
}

void Int128Add(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.amounts[i] + d.amounts[(i + 1) % kCount]);
    i = (i + 1) % kCount;
  }
}

void Int128Multiply(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.amounts[i] * d.factors[i]);  // exact, 10^-4 units
    i = (i + 1) % kCount;
  }
}

void Int128Divide(benchmark::State& state) {
  // As many places as one word holds for these operands: 25.
  static constexpr Scaled kScale = static_cast<Scaled>(10000000000000ULL) * 1000000000000ULL;
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoundedQuotient(d.amounts[i] * kScale, d.factors[i]));
    i = (i + 1) % kCount;
  }
}

void Int128Store(benchmark::State& state) {
  const auto& d = Data();
  std::array<std::uint8_t, 6> field{};
  std::size_t i = 0;
  for (auto _ : state) {
    Scaled v = RoundedQuotient(d.accrued[i], 100);
    const bool negative = v < 0;
    if (negative) v = -v;
    bool ok = v < static_cast<Scaled>(100000000000ULL);
    if (ok) {
      auto c = static_cast<std::uint64_t>(v);
      for (std::size_t b = field.size() - 1; b > 0; --b, c /= 100) {
        field[b] = static_cast<std::uint8_t>((c % 100 / 10) << 4 | c % 10);
      }
      field[0] = static_cast<std::uint8_t>((negative ? 0xF0 : 0) | c % 10);
    }
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(field);
    i = (i + 1) % kCount;
  }
}

void Int128Text(benchmark::State& state) {
  const auto& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = d.texts[i];
    std::size_t p = 0;
    const bool negative = p < text.size() && text[p] == '-';
    if (negative) ++p;
    Scaled v = 0;
    int places = -1;
    for (; p < text.size(); ++p) {
      if (text[p] == '.') {
        places = 0;
      } else if (text[p] >= '0' && text[p] <= '9' && places < 2) {
        v = v * 10 + (text[p] - '0');
        if (places >= 0) ++places;
      } else {
        break;
      }
    }
    for (; places < 2; ++places) v *= 10;
    auto c = static_cast<std::uint64_t>(v);
    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* q = end;
    for (int k = 0; k < 2; ++k, c /= 10) *--q = static_cast<char>('0' + c % 10);
    *--q = '.';
    do {
      *--q = static_cast<char>('0' + c % 10);
      c /= 10;
    } while (c != 0);
    if (negative && v != 0) *--q = '-';
    benchmark::DoNotOptimize(std::string(q, end));
    i = (i + 1) % kCount;
  }
}

BENCHMARK(DecimalAdd);
BENCHMARK(Int128Add);
BENCHMARK(DecimalMultiply);
BENCHMARK(Int128Multiply);
BENCHMARK(DecimalDivide);
BENCHMARK(Int128Divide);
BENCHMARK(DecimalStore);
BENCHMARK(Int128Store);
BENCHMARK(DecimalText);
BENCHMARK(Int128Text);

}  // namespace
}  // namespace zelvo

BENCHMARK_MAIN();
