#include "runtime/decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace zelvo {
namespace {

Decimal D(std::string_view text) { return Decimal::Parse(text); }

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const std::uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

std::vector<std::uint8_t> Bytes(std::string_view hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 3) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

const std::string kMax = std::string(32, '9');  // the saturated magnitude

struct ArithmeticCase {
  const char* a;
  char op;
  const char* b;
  std::string expected;
};

Decimal Apply(const Decimal& a, char op, const Decimal& b) {
  switch (op) {
    case '+': return a + b;
    case '-': return a - b;
    case '*': return a * b;
    default: return a / b;
  }
}

TEST(DecimalArithmetic, ExactResultsAndQuotientsToThirtyOnePlaces) {
  const ArithmeticCase cases[] = {
      {"0.1", '+', "0.2", "0.3"},
      {"1", '-', "0.01", "0.99"},
      {"-5", '+', "3", "-2"},
      {"5", '-', "5", "0"},
      {"-0.5", '-', "-0.5", "0"},
      {"0.00000000000000000000000000000001", '+', "99999999999999999999999999999999",
       kMax + ".00000000000000000000000000000001"},
      {"7.50", '*', "168", "1260"},
      {"1000.00", '*', "0.13", "130"},
      {"-2.5", '*', "4", "-10"},
      {"-2.5", '*', "-0.4", "1"},
      {"12345678901234567890.123", '*', "98765.4321", "1219326311248285321124783.4171483"},
      // Past the 32nd place the working value drops the digits.
      {"1.1111111111111111", '*', "1.1111111111111111111", "1.23456790123456788887654320987654"},
      {"0.00000000000000000000000000000001", '*', "0.5", "0"},
      {"10000", '/', "21", "476.1904761904761904761904761904762"},
      {"45000.00", '/', "21", "2142.8571428571428571428571428571429"},
      {"2", '/', "3", "0.6666666666666666666666666666667"},
      {"-2", '/', "3", "-0.6666666666666666666666666666667"},
      {"2", '/', "-3", "-0.6666666666666666666666666666667"},
      {"1", '/', "4", "0.25"},
      {"5", '/', "0.5", "10"},
      {"168", '/', "7.5", "22.4"},
      {"1260.00", '/', "168", "7.5"},
      {"12345678901234567890.5", '/', "3", "4115226300411522630.1666666666666666666666666666667"},
      {"1", '/', "3.00000000000000000000001", "0.3333333333333333333333322222222"},
      {"98765432109876543210.12345678", '/', "0.000123",
       "802970992763223928537589.0795121951219512195121951219512"},
      // One-word quotients at the edges of their fast path: a quotient near
      // 2^64, an exact half at the 32nd place, the widest power of ten.
      {"18446744073709551615", '/', "9223372036854775807", "2.0000000000000000001084202172486"},
      {"1", '/', "4294967296", "0.0000000002328306436538696289063"},
      {"-1", '/', "4294967296", "-0.0000000002328306436538696289063"},
      {"0.0000000000000000001", '/', "3", "0.0000000000000000000333333333333"},
      {"1", '/', "0.0000003", "3333333.3333333333333333333333333333333"},
      {"1", '/', "0.00000003", "33333333.3333333333333333333333333333333"},
      {"99999999999.99", '/', "0.07", "1428571428571.2857142857142857142857142857143"},
      {"18446744073709551615", '/', "3", "6148914691236517205"},
      {"-45000.00", '/', "-21", "2142.8571428571428571428571428571429"},
      {"0.00000000000000000000000000000003", '/', "7", "0"},
      {"7", '/', "0", "0"},
      {"-7.25", '/', "0.000", "0"},
      {"0", '/', "7", "0"},
      // A power-of-ten divisor moves the point, keeping all 32 places.
      {"123.45", '/', "100", "1.2345"},
      {"1.5", '/', "0.01", "150"},
      {"-3", '/', "1.000", "-3"},
      {"0.5", '/', "100000000000000000000000000000", "0.000000000000000000000000000005"},
      {"0.5", '/', "10000000000000000000000000000000", "0.00000000000000000000000000000005"},
      // Integer parts past 32 digits saturate, keeping the sign.
      {"99999999999999999999999999999999", '+', "1", kMax},
      {"-99999999999999999999999999999999", '-', "0.5", "-" + kMax + ".5"},
      {"-99999999999999999999999999999999", '-', "1", "-" + kMax},
      {"10000000000000000", '*', "-10000000000000000", "-" + kMax},
      {"10000000000000000000", '/', "0.0000000000001", kMax},
      {"1", '/', "0.00000000000000000000000000000001", kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Apply(D(c.a), c.op, D(c.b)).ToString(), c.expected) << c.a << ' ' << c.op << ' ' << c.b;
  }
}

// The same values held with 32 places have coefficients past one machine word
// and take the wide path: every operation must agree with the one-word path.
TEST(DecimalArithmetic, WidePathAgreesWithOneWordPath) {
  std::uint64_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return seed >> 20;
  };
  const auto widen = [](const Decimal& v) {
    std::string text = v.ToString(32);
    return D(text);
  };
  for (int i = 0; i < 2000; ++i) {
    const Decimal a =
        Decimal(static_cast<std::int64_t>(next() % 100000000000ULL) - std::int64_t{50000000000}) / 100;
    const Decimal b = Decimal(static_cast<std::int64_t>(next() % 2000000) - std::int64_t{1000000}) / 1000;
    const Decimal wa = widen(a);
    const Decimal wb = widen(b);
    ASSERT_EQ(wa, a);
    for (const char op : {'+', '-', '*', '/'}) {
      const Decimal narrow = Apply(a, op, b);
      EXPECT_EQ(Apply(wa, op, wb), narrow) << a.ToString() << op << b.ToString();
      EXPECT_EQ(Apply(a, op, wb), narrow) << a.ToString() << op << b.ToString();
    }
    EXPECT_EQ(wa.Round(1), a.Round(1));
    EXPECT_EQ(wa <=> wb, a <=> b);
    EXPECT_EQ((a * b) / b == a, !b.IsZero() || a.IsZero());
    EXPECT_EQ((a + b) - b, a);
  }
}

TEST(DecimalRounding, HalfAwayFromZeroDecidedByTheFirstDroppedDigit) {
  struct Case {
    const char* value;
    int places;
    const char* expected;
  };
  const Case cases[] = {
      {"1234.565", 2, "1234.57"},
      {"-1234.565", 2, "-1234.57"},
      {"2.345", 2, "2.35"},
      {"-2.345", 2, "-2.35"},
      {"2.3449", 2, "2.34"},
      {"0.005", 2, "0.01"},
      {"-0.004", 2, "0.00"},
      {"99.995", 2, "100.00"},
      {"12.5", 0, "13"},
      {"-12.5", 0, "-13"},
      {"7", 2, "7.00"},
      {"476.1904761904761904761904761904762", 2, "476.19"},
      {"0.99999999999999999999999999999999", 2, "1.00"},
      {"12345678901234567890.125", 2, "12345678901234567890.13"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(D(c.value).ToString(c.places), c.expected) << c.value;
    EXPECT_EQ(D(c.value).Round(c.places), D(c.expected)) << c.value;
  }
  EXPECT_EQ((Decimal(10000) / Decimal(21)).Round(2), D("476.19"));
  EXPECT_EQ(D(kMax + ".9").Round(0).ToString(), kMax);  // rounding past 32 digits saturates
}

struct StoreCase {
  const char* value;
  int digits;
  int places;
  const char* signed_bytes;    // nullptr: refused
  const char* unsigned_bytes;  // nullptr: refused
};

const StoreCase kStoreCases[] = {
    {"-1234.50", 7, 2, "F0 12 34 50", "01 23 45 0D"},
    {"42", 5, 0, "00 00 42", "00 04 2C"},
    {"1260", 9, 2, "00 00 12 60 00", "00 01 26 00 0C"},
    {"1234.565", 7, 2, "00 12 34 57", "01 23 45 7C"},
    {"-1234.565", 7, 2, "F0 12 34 57", "01 23 45 7D"},
    {"99999.99", 7, 2, "09 99 99 99", "99 99 99 9C"},
    {"-0.001", 7, 2, "00 00 00 00", "00 00 00 0C"},
    {"0.5", 1, 0, "01", "1C"},
    {"1234567890123456789012345678901", 31, 0, "01 23 45 67 89 01 23 45 67 89 01 23 45 67 89 01",
     "12 34 56 78 90 12 34 56 78 90 12 34 56 78 90 1C"},
    {"-0.000000000000000000000000000009", 31, 30, "F0 00 00 00 00 00 00 00 00 00 00 00 00 00 00 09",
     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 9D"},
    {"9.99", 4, 2, "09 99", "99 9C"},  // an even field has room for n - 1 digits
    {"0.005", 5, 2, "00 00 01", "00 00 1C"},
    {"0.0050000000000000000", 5, 2, "00 00 01", "00 00 1C"},
    {"-0.004999999999999999999", 5, 2, "00 00 00", "00 00 0C"},
    {"0.00000000000000000000009", 5, 2, "00 00 00", "00 00 0C"},
    {"-123456789.125", 11, 2, "F1 23 45 67 89 13", "12 34 56 78 91 3D"},
    {"12345678901234567.5", 17, 0, "01 23 45 67 89 01 23 45 68", "12 34 56 78 90 12 34 56 8C"},
    {"123456789012345678.5", 19, 0, "00 12 34 56 78 90 12 34 56 79", "01 23 45 67 89 01 23 45 67 9C"},
    {"999.995", 5, 2, nullptr, nullptr},
    {"99999.995", 7, 2, nullptr, nullptr},
    {"100000", 7, 2, nullptr, nullptr},
    {"-100000", 7, 2, nullptr, nullptr},
    {"10", 4, 2, nullptr, nullptr},
    {"1", 1, 1, nullptr, nullptr},
};

TEST(DecimalPacked, StoresByteExactOrRefusesLeavingTheFieldUnchanged) {
  for (const auto& c : kStoreCases) {
    const Decimal value = D(c.value);
    for (const bool sign_first : {true, false}) {
      const char* expected = sign_first ? c.signed_bytes : c.unsigned_bytes;
      std::vector<std::uint8_t> field(static_cast<std::size_t>(Decimal::PackedSize(c.digits)), 0xAA);
      const StoreResult result = sign_first ? value.WritePacked(field, c.digits, c.places)
                                            : value.WritePackedUnsigned(field, c.digits, c.places);
      EXPECT_EQ(value.FitsField(c.digits, c.places), expected != nullptr) << c.value;
      if (expected == nullptr) {
        EXPECT_EQ(result, StoreResult::Overflow) << c.value;
        EXPECT_EQ(field, std::vector<std::uint8_t>(field.size(), 0xAA)) << c.value;
        continue;
      }
      ASSERT_EQ(result, StoreResult::Ok) << c.value;
      EXPECT_EQ(Hex(field), expected) << c.value << (sign_first ? " signed" : " unsigned");
      const Decimal back = sign_first ? Decimal::ReadPacked(field, c.digits, c.places)
                                      : Decimal::ReadPackedUnsigned(field, c.digits, c.places);
      EXPECT_EQ(back, value.Round(c.places)) << c.value;
    }
  }
}

// The nibbles of a packed field are the value's decimal digits in text order,
// so the text of the value predicts the bytes of every field size.
TEST(DecimalPacked, NibblesAreTheDigitsOfTheTextForEveryFieldSize) {
  std::uint64_t seed = 99;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    const int digits = 1 + static_cast<int>(seed >> 59) % 31;
    const int capacity = 2 * Decimal::PackedSize(digits) - 1;
    std::string text = std::to_string(seed % 10000000000000000ULL) + std::to_string(seed >> 50);
    text = text.substr(0, static_cast<std::size_t>(1 + (seed >> 40) % static_cast<std::uint64_t>(capacity)));
    const bool negative = (seed & 1) != 0;
    const Decimal value = D((negative ? "-" : "") + text);
    const std::string padded = std::string(static_cast<std::size_t>(capacity) - text.size(), '0') + text;
    const bool zero = value.IsZero();
    const std::string signed_nibbles = (negative && !zero ? "F" : "0") + padded;
    const std::string unsigned_nibbles = padded + (negative && !zero ? "D" : "C");
    for (const bool sign_first : {true, false}) {
      std::vector<std::uint8_t> field(static_cast<std::size_t>(Decimal::PackedSize(digits)));
      ASSERT_EQ(sign_first ? value.WritePacked(field, digits, 0) : value.WritePackedUnsigned(field, digits, 0),
                StoreResult::Ok)
          << text;
      std::string hex = Hex(field);
      hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
      EXPECT_EQ(hex, sign_first ? signed_nibbles : unsigned_nibbles) << text << " in " << digits;
    }
  }
}

TEST(DecimalPacked, DamagedNibblesAndBadArgumentsStayInRange) {
  struct Case {
    const char* bytes;
    int digits;
    int places;
    bool sign_first;
    const char* expected;
  };
  const Case cases[] = {
      {"FF FF FF FF", 7, 2, true, "-99999.99"},
      {"AB CD", 3, 0, true, "999"},  // sign nibble A: not negative
      {"0A 00", 3, 1, true, "90"},
      {"FF FF", 3, 0, false, "999"},  // last nibble F: positive
      {"12 3D", 3, 1, false, "-12.3"},
      {"12 34 56 78", 5, 0, true, "23456"},  // bytes past the field are not read
      {"12", 5, 0, true, "0"},            // buffer shorter than the field
      {"00 00", 0, 0, true, "0"},
      {"00 00", 3, 4, true, "0"},
      {"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", 32, 0, true, "0"},
  };
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> field = Bytes(c.bytes);
    const Decimal value = c.sign_first ? Decimal::ReadPacked(field, c.digits, c.places)
                                       : Decimal::ReadPackedUnsigned(field, c.digits, c.places);
    EXPECT_EQ(value.ToString(), c.expected) << c.bytes;
  }
  std::vector<std::uint8_t> field(2, 0xAA);
  EXPECT_EQ(Decimal(1).WritePacked(field, 5, 0), StoreResult::BadField);
  EXPECT_EQ(Decimal(1).WritePacked(field, 0, 0), StoreResult::BadField);
  EXPECT_EQ(Decimal(1).WritePackedUnsigned(field, 3, -1), StoreResult::BadField);
  EXPECT_EQ(field, std::vector<std::uint8_t>(2, 0xAA));
  EXPECT_FALSE(Decimal(1).FitsField(32, 0));
}

TEST(DecimalText, ParsesByTheTextToNumberRules) {
  struct Case {
    const char* text;
    std::string expected;
  };
  const Case cases[] = {
      {"  -12,5", "-12.5"},
      {"1.5E2", "150"},
      {"1E2", "1"},  // an exponent only after a fraction
      {"1.5e-2", "0.015"},
      {"1.5E+2", "150"},
      {"1.E2", "100"},
      {"1.5E", "1.5"},
      {"+5", "0"},
      {"abc", "0"},
      {"", "0"},
      {"-", "0"},
      {"-0", "0"},
      {"--5", "0"},
      {"- 5", "0"},
      {"\t5", "0"},
      {".5", "0.5"},
      {"-,25", "-0.25"},
      {"12abc", "12"},
      {"1,5,6", "1.5"},
      {"12 34", "12"},
      {"12345678:9", "12345678"},  // the characters either side of the digits
      {"1234567/89", "1234567"},
      {"-98765432.10", "-98765432.1"},
      {"1234567890.123456789", "1234567890.123456789"},
      {"12345678901234567890", "12345678901234567890"},
      {"12345678.9012345678E2", "1234567890.12345678"},
      {"0000000000000000000000000000000000000000001.50", "1.5"},
      {"0.000000000000000000000000000000001", "0"},
      {"1.234567890123456789012345678901234", "1.23456789012345678901234567890123"},
      {"0.000000000000000000000000000000000012E5", "0.0000000000000000000000000000012"},
      {"123456789012345678901234567890123", kMax},
      {"-1.5E99999999999999999", "-" + kMax},
      {"1.5E-99999999999999999", "0"},
      {"0.0E99999", "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(D(c.text).ToString(), c.expected) << '"' << c.text << '"';
  }
  EXPECT_EQ(D("  -12,5"), D("-12.5"));
  // Never reads past the view: the digits after its end are not part of it.
  const std::string_view cut = std::string_view("12.345").substr(0, 4);
  EXPECT_EQ(D(cut).ToString(), "12.3");
}

TEST(DecimalText, FormatsShortestOrToFixedPlaces) {
  EXPECT_EQ(D("4761.9").ToString(2), "4761.90");
  EXPECT_EQ(D("-0.001").ToString(2), "0.00");
  EXPECT_EQ(Decimal().ToString(), "0");
  EXPECT_EQ(Decimal().ToString(2), "0.00");
  EXPECT_EQ(D("-12.50").ToString(), "-12.5");
  EXPECT_EQ(D("0.05").ToString(), "0.05");
  EXPECT_EQ(D("1.005").ToString(0), "1");
  EXPECT_EQ(D("15").ToString(-3), "15");
  struct Case {
    const char* text;
    int integer_digits;
    int fraction_digits;
  };
  const Case cases[] = {{"0", 0, 0},
                        {"0.5", 0, 1},
                        {"123.450", 3, 2},
                        {"-1000", 4, 0},
                        {"99999999999999999999999999999999.00000000000000000000000000000001", 32, 32}};
  for (const auto& c : cases) {
    EXPECT_EQ(D(c.text).IntegerDigits(), c.integer_digits) << c.text;
    EXPECT_EQ(D(c.text).FractionDigits(), c.fraction_digits) << c.text;
  }
}

TEST(DecimalConversion, IntegersTowardZeroWithSaturation) {
  struct Case {
    const char* text;
    std::int32_t int32;
    std::int64_t int64;
    const char* whole;
  };
  const Case cases[] = {
      {"-7.9", -7, -7, "-7"},
      {"7.9", 7, 7, "7"},
      {"-0.5", 0, 0, "0"},
      {"2147483647.99", 2147483647, 2147483647, "2147483647"},
      {"3000000000", std::numeric_limits<std::int32_t>::max(), 3000000000, "3000000000"},
      {"-3000000000", std::numeric_limits<std::int32_t>::min(), -3000000000, "-3000000000"},
      {"-9223372036854775808", std::numeric_limits<std::int32_t>::min(),
       std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
      {"9223372036854775808", std::numeric_limits<std::int32_t>::max(),
       std::numeric_limits<std::int64_t>::max(), "9223372036854775808"},
      {"-99999999999999999999999.5", std::numeric_limits<std::int32_t>::min(),
       std::numeric_limits<std::int64_t>::min(), "-99999999999999999999999"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(D(c.text).ToInt32(), c.int32) << c.text;
    EXPECT_EQ(D(c.text).ToInt64(), c.int64) << c.text;
    EXPECT_EQ(D(c.text).Int().ToString(), c.whole) << c.text;
  }
  EXPECT_EQ(Decimal(std::numeric_limits<std::int64_t>::min()).ToString(), "-9223372036854775808");
  EXPECT_EQ(Decimal(-42).ToInt32(), -42);
}

TEST(DecimalConversion, DoublesToTheNearestWorkingValueAndBack) {
  struct Case {
    double value;
    std::string expected;
  };
  const Case cases[] = {
      {0.1, "0.10000000000000000555111512312578"},
      {1.0 / 3.0, "0.33333333333333331482961625624739"},
      {-1234.565, "-1234.56500000000005456968210637569427"},
      {0.5, "0.5"},
      {-7.0, "-7"},
      {1e-40, "0"},
      {4.9e-324, "0"},
      {1e300, kMax},
      {-1e300, "-" + kMax},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
      {std::numeric_limits<double>::infinity(), "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Decimal::FromDouble(c.value).ToString(), c.expected) << c.value;
  }
  EXPECT_EQ(Decimal::FromDouble(-1234.565).Round(2), D("-1234.57"));
  EXPECT_EQ(Decimal::FromDouble(0.13).Round(2), D("0.13"));
  for (const double d : {0.1, 1234.57, -0.3, 10000.0 / 21.0, 1e20, 123456789.123}) {
    EXPECT_EQ(Decimal::FromDouble(d).ToDouble(), d) << d;
  }
  EXPECT_EQ(D("476.1904761904761904761904761904762").ToDouble(), 10000.0 / 21.0);
}

TEST(DecimalCompare, NumericalOrderOfExactValues) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  };
  const Case cases[] = {
      {"1.5", "1.50", 0},
      {"-1", "0", -1},
      {"-2", "-1", -1},
      {"0", "-0", 0},
      {"0.1", "0.10000000000000000000000000000001", -1},
      {"-0.1", "-0.10000000000000000000000000000001", 1},
      {"12345678901234567890123", "12345678901234567890122.99999999999999999999999999999999", 1},
      {"100", "99.999", 1},
  };
  for (const auto& c : cases) {
    const auto order = D(c.a) <=> D(c.b);
    EXPECT_EQ(order < 0 ? -1 : (order > 0 ? 1 : 0), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(D(c.a) == D(c.b), c.order == 0) << c.a << " vs " << c.b;
  }
  EXPECT_EQ(D("-3.5").Abs(), D("3.5"));
  EXPECT_EQ(-D("3.5"), D("-3.5"));
  EXPECT_EQ((-Decimal()).Sign(), 0);
  EXPECT_EQ(D("-0.01").Sign(), -1);
  EXPECT_FALSE(D("0.00000000000000000000000000000001").IsZero());
}

}  // namespace
}  // namespace zelvo
