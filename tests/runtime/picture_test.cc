#include "runtime/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/cp1251.h"
#include "runtime/date_time.h"
#include "runtime/locale.h"

namespace zelvo {
namespace {

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

Picture MustParse(std::string_view text) {
  PictureError error;
  auto picture = Picture::Parse(text, &error);
  EXPECT_TRUE(picture) << text << ": " << error.message << " at " << error.offset;
  return picture ? *picture : *Picture::Parse("@s1");
}

// The two-digit window reads 2005 and the built-in locale tables are in force.
class PictureTest : public ::testing::Test {
 protected:
  struct FixedClock final : Clock {
    LocalDateTime Now() const override { return {2005, 6, 15, 10, 0, 0, 0}; }
  };
  void SetUp() override {
    SetClock(&clock_);
    ResetTwoDigitYearWindow();
    SetLocale(LocaleTables::BuiltIn());
  }
  void TearDown() override {
    SetClock(nullptr);
    ResetTwoDigitYearWindow();
    SetLocale(LocaleTables::BuiltIn());
  }
  FixedClock clock_;
};

struct FormatCase {
  const char* picture;
  const char* value;  // a number, read with Decimal::Parse
  std::string expected;
};

void ExpectFormats(const std::vector<FormatCase>& cases) {
  for (const FormatCase& c : cases) {
    Picture picture = MustParse(c.picture);
    std::string shown = picture.Format(Decimal::Parse(c.value));
    EXPECT_EQ(shown, c.expected) << c.picture << " of " << c.value;
    EXPECT_EQ(shown.size(), static_cast<std::size_t>(picture.width())) << c.picture;
  }
}

TEST_F(PictureTest, ThePayrollPictures) {
  ExpectFormats({
      {"@n_9.2b", "1234.5", "  1234.50"},
      {"@n_9.2b", "0", Blanks(9)},
      {"@n_9`2b", "1234.5", "  1234,50"},
      {"@n10.2", "1234.5", "  1,234.50"},
      {"@n_10.2", "0", "      0.00"},
      {"@n_4", "7", "   7"},
      {"@n4.2b", "123.4", "#.##"},
      {"@n_9.2b", "-50", "    50.00"},
      {"@d6.", std::to_string(Date(3, 5, 2004)).c_str(), " 5.03.2004"},
      {"@d6.", "0", "  .  .    "},
      {"@d6.b", "0", Blanks(10)},
      {"@P######P", "1234", "001234"},
  });
  EXPECT_EQ(MustParse("@s4").FormatText("abcdef"), "abcd");
}

TEST_F(PictureTest, NumericLayout) {
  ExpectFormats({
      // signs: a leading sign moves right over blanks, never over a fill
      {"@n-10.2", "-1234.5", " -1,234.50"},
      {"@n-10.2", "1234.5", "  1,234.50"},
      {"@n-010.2", "-5", "-000005.00"},
      {"@n-*10.2", "-5", "-*****5.00"},
      {"@n(10.2)", "-5", "    (5.00)"},
      {"@n(10.2)", "5", "     5.00 "},
      {"@n10.2-", "-5", "     5.00-"},
      {"@n-9.2", "-0.001", "     0.00"},  // rounds to zero: no sign
      // currency
      {"@n$10.2", "5", "$     5.00"},
      {"@n10.2$", "5", "     5.00$"},
      {"@n~EUR~10.2", "-5", "EUR   5.00"},
      {"@n~a~~b~8", "1", "a~b    1"},
      // fills and grouping
      {"@n*10.2", "5", "******5.00"},
      {"@n*10.2", "1234.5", "**1,234.50"},
      {"@n010.2", "1234.5", "0001234.50"},
      {"@n12`2", "1234567.891", "1.234.567,89"},
      {"@n_12`.2", "1234.5", "    1,234.50"},
      {"@n_10.", "1234567", " 1.234.567"},
      {"@n_10_", "1234567", " 1 234 567"},
      {"@n12_2", "1234.5", "    1,234 50"},
      {"@n7", "123456", "123,456"},
      {"@n9v2", "12.34", "     1234"},
      {"@n_5.2", "0.5", " 0.50"},
      // rounding half away from zero
      {"@n_9.2", "2.345", "     2.35"},
      {"@n-9.2", "-2.345", "    -2.35"},
      {"@n_9.2", "2.3449", "     2.34"},
      {"@n_9.2b", "0.001", Blanks(9)},
      // overflow
      {"@n_6", "1234567", "######"},
      {"@n6", "1234567", "##,###"},
      {"@n_7.2", "99999.995", "####.##"},
      {"@n-7.2", "-99999", " ###.##"},
  });
}

TEST_F(PictureTest, CyrillicCurrency) {
  std::string rub = Cp1251Literal("р.");
  Picture picture = MustParse("@n12.2~" + rub + "~");
  EXPECT_EQ(picture.Format(Decimal::Parse("1234.5")), "  1,234.50" + rub);
  auto back = picture.Deformat("1,234.50" + rub);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->number, Decimal::Parse("1234.5"));
}

TEST_F(PictureTest, Scientific) {
  ExpectFormats({
      {"@e12.3", "1234.5", "   1.235E+03"},
      {"@e12.3", "-0.00012345", "  -1.235E-04"},
      {"@e10.2", "9.999", "  1.00E+01"},
      {"@e9", "0", "    0E+00"},
      {"@e12.3b", "0", Blanks(12)},
      {"@e5", "-5", "#####"},
      {"@e10`2", "150", "  1,50E+02"},
  });
}

TEST_F(PictureTest, StringPatternAndKeyIn) {
  struct Case {
    std::string picture, value, expected;
  };
  const std::string god = Cp1251Literal("ГОД."), za = Cp1251Literal("за"), year = Cp1251Literal("год.");
  const Case cases[] = {
      {"@s6", "ab", "ab    "},
      {"@s3b", "", "   "},
      {"@s3b", "   ", "   "},
      {"@P<<<# " + god + "P", "2004", "2004 " + god},
      {"@P<<<# " + god + "p", "5", "   5 " + god},
      {"@P" + za + "   <<<#   " + year + "P", "2004", za + "   2004   " + year},
      {"@P###-###-### ##P", "12345678901", "123-456-789 01"},
      {"@P###-###-### ##P", "012-345-678 90", "012-345-678 90"},
      {"@P######P", "123-45", "012345"},
      {"@P##P", "123", "##"},
      {"@P##PB", "0", "  "},
      {"@P#<<P", "5", "0 5"},
      {"@K(###) ###-####K", "5551234567", "(555) 123-4567"},
      {"@K(###) ###-####K", "(555) 123-4567", "(555) 123-4567"},
      {"@K@@-##K", "AB12", "AB-12"},
      {"@K##\\#K", "12", "12#"},
      {"@K###-###K", "12", "12 -   "},
      {"@K##KB", "", "  "},
      {"@K@-#KB", "  ,", "   "},  // only blanks land in the typed positions
      {"@K@-#KB", "A", "A- "},
  };
  for (const Case& c : cases) {
    Picture picture = MustParse(c.picture);
    EXPECT_EQ(picture.FormatText(c.value), c.expected) << c.picture << " of " << c.value;
    EXPECT_EQ(c.expected.size(), static_cast<std::size_t>(picture.width())) << c.picture;
  }
  // A number through a pattern takes its integer magnitude.
  EXPECT_EQ(MustParse("@P####P").Format(Decimal::Parse("-12.7")), "0012");
}

TEST_F(PictureTest, DateForms) {
  const std::string day = std::to_string(Date(3, 5, 2004));
  ExpectFormats({
      {"@d1", day.c_str(), " 3/05/04"},
      {"@d2", day.c_str(), " 3/05/2004"},
      {"@d3", day.c_str(), "Mar  5, 2004"},
      {"@d4", day.c_str(), "March      5, 2004"},
      {"@d5", day.c_str(), " 5/03/04"},
      {"@d6", day.c_str(), " 5/03/2004"},
      {"@d7", day.c_str(), " 5 Mar 04"},
      {"@d8", day.c_str(), " 5 Mar 2004"},
      {"@d9", day.c_str(), "04/03/05"},
      {"@d10", day.c_str(), "2004/03/05"},
      {"@d11", day.c_str(), "040305"},
      {"@d12", day.c_str(), "20040305"},
      {"@d13", day.c_str(), " 3/04"},
      {"@d14", day.c_str(), " 3/2004"},
      {"@d15", day.c_str(), "04/03"},
      {"@d16", day.c_str(), "2004/03"},
      {"@d17", day.c_str(), "03/05/04"},
      {"@d18", day.c_str(), "Fri, March 05, 2004    "},  // room for "September"
      {"@d06.", day.c_str(), "05.03.2004"},
      {"@d*6-", day.c_str(), "*5-03-2004"},
      {"@d6_", day.c_str(), " 5 03 2004"},
      {"@d1`", day.c_str(), " 3,05,04"},
      {"@d4", std::to_string(Date(9, 30, 2004)).c_str(), "September 30, 2004"},
      {"@d3", "0", "      ,     "},
      {"@d6.", "3", "  .  .    "},            // before the first valid day
      {"@d6.", "2994627", "  .  .    "},      // after the last
      {"@d6.b", "-1", Blanks(10)},
      {"@d12", std::to_string(kLastDay).c_str(), "99991231"},
      {"@d2", "4", " 1/01/1801"},
  });
}

TEST_F(PictureTest, DatesFollowTheLocale) {
  LocaleTables tables = LocaleTables::BuiltIn();
  const char* names[12] = {"января", "февраля", "марта", "апреля", "мая", "июня",
                           "июля", "августа", "сентября", "октября", "ноября", "декабря"};
  for (int m = 0; m < 12; ++m) {
    tables.monthNames[m] = Cp1251Literal(names[m]);
    tables.monthAbbreviations[m] = tables.monthNames[m].substr(0, 3);
  }
  tables.regional.sShortDate = "dd.MM.yyyy";
  tables.regional.sLongDate = Cp1251Literal("d MMMM yyyy 'г.'");
  SetLocale(tables);
  const Decimal day = Date(3, 5, 2004);
  EXPECT_EQ(MustParse("@d17").Format(day), "05.03.2004");
  Picture longDate = MustParse("@d18");
  const std::string shown = Cp1251Literal("5 марта 2004 г.");
  EXPECT_EQ(longDate.Format(day), shown + Blanks(longDate.width() - static_cast<int>(shown.size())));
  EXPECT_EQ(longDate.Format(0), "  " + Blanks(1) + Blanks(8) + " " + "    " + Cp1251Literal(" г."));
  EXPECT_EQ(MustParse("@d7").Format(day), Cp1251Literal(" 5 мар 04"));
  EXPECT_EQ(MustParse("@d4").Format(day), Cp1251Literal("марта      5, 2004"));

  auto back = longDate.Deformat(shown);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->number, day);
  back = MustParse("@d8").Deformat(Cp1251Literal(" 5 мар 2004"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->number, day);
}

TEST_F(PictureTest, TimeForms) {
  const std::string t = std::to_string(TimeOf(13, 5, 9, 50));
  ExpectFormats({
      {"@t1", t.c_str(), "13:05"},
      {"@t2", t.c_str(), "1305"},
      {"@t3", t.c_str(), " 1:05PM"},
      {"@t4", t.c_str(), "13:05:09"},
      {"@t5", t.c_str(), "130509"},
      {"@t6", t.c_str(), " 1:05:09PM"},
      {"@t7", t.c_str(), "01:05 PM"},
      {"@t8", t.c_str(), "01:05:09 PM"},
      {"@t1.", t.c_str(), "13.05"},
      {"@t03", t.c_str(), "01:05PM"},
      {"@t1", "0", "00:00"},       // no time is shown as midnight
      {"@t3", "0", "12:00AM"},
      {"@t1b", "0", Blanks(5)},
      {"@t4", "-5", "  :  :  "},
      {"@t3", std::to_string(TimeOf(12, 0, 0, 0)).c_str(), "12:00PM"},
  });
  LocaleTables tables = LocaleTables::BuiltIn();
  tables.regional.iTime = 1;
  tables.regional.iTLzero = 0;
  tables.regional.sTime = ".";
  SetLocale(tables);
  EXPECT_EQ(MustParse("@t7").Format(TimeOf(13, 5, 0, 0)), "13.05");
  EXPECT_EQ(MustParse("@t8").Format(TimeOf(9, 5, 0, 0)), " 9.05.00");
  EXPECT_EQ(MustParse("@t8-").Format(TimeOf(9, 5, 0, 0)), " 9-05-00");
}

TEST_F(PictureTest, InvalidPicturesAreRefused) {
  const char* invalid[] = {
      "", "@", "n9", "@x9", "@n", "@n.2", "@n9.2.", "@n9..", "@n-9-", "@n(9", "@n9)", "@n(9-",
      "@n$9$", "@n~abc", "@n~~9", "@n~1~9", "@n~-~9", "@n8..2", "@n8__2", "@n3.2", "@n99999", "@n9.99", "@n0", "@n00", "@n9.2bx", "@n9.2 ",
      "@e4.2", "@e", "@e9.", "@e4", "@s", "@s0", "@s5x", "@s99999", "@d", "@d0", "@d19", "@d6/",
      "@d6.>2", "@d6.>", "@d6.<2x", "@d6..", "@t", "@t9", "@t0", "@t1:", "@P##", "@PabcP", "@PP", "@PPb",
      "@P##Q", "@K##", "@KabcK", "@K#\\K", "@KK", "@K##P",
  };
  for (const char* text : invalid) {
    PictureError error;
    error.offset = 9999;
    EXPECT_FALSE(Picture::Parse(text, &error)) << text;
    EXPECT_FALSE(error.message.empty()) << text;
    EXPECT_LE(error.offset, std::string_view(text).size()) << text;
  }
}

TEST_F(PictureTest, KindsAndWidths) {
  struct Case {
    const char* picture;
    PictureKind kind;
    int width;
    bool blank;
  };
  const Case cases[] = {
      {"@n_9.2b", PictureKind::Numeric, 9, true}, {"@N10.2", PictureKind::Numeric, 10, false},
      {"@e12.3", PictureKind::Scientific, 12, false}, {"@s20", PictureKind::String, 20, false},
      {"@d6.", PictureKind::Date, 10, false}, {"@D1B", PictureKind::Date, 8, true},
      {"@d18", PictureKind::Date, 23, false}, {"@t6", PictureKind::Time, 10, false},
      {"@T7", PictureKind::Time, 8, false}, {"@P###-###-### ##P", PictureKind::Pattern, 14, false},
      {"@p#p", PictureKind::Pattern, 1, false}, {"@P##pb", PictureKind::Pattern, 2, true},
      {"@K(###)K", PictureKind::KeyIn, 5, false}, {"@k\\##k", PictureKind::KeyIn, 2, false},
  };
  for (const Case& c : cases) {
    Picture picture = MustParse(c.picture);
    EXPECT_EQ(picture.kind(), c.kind) << c.picture;
    EXPECT_EQ(picture.width(), c.width) << c.picture;
    EXPECT_EQ(picture.blankWhenZero(), c.blank) << c.picture;
  }
}

struct DeformatCase {
  std::string picture, typed;
  std::string expected;  // the number read, or "error"
};

void ExpectDeformats(const std::vector<DeformatCase>& cases) {
  for (const DeformatCase& c : cases) {
    PictureError error;
    auto value = MustParse(c.picture).Deformat(c.typed, &error);
    if (c.expected == "error") {
      EXPECT_FALSE(value) << c.picture << " reading '" << c.typed << "'";
      EXPECT_FALSE(error.message.empty());
      EXPECT_LE(error.offset, c.typed.size());
    } else {
      EXPECT_TRUE(value) << c.picture << " reading '" << c.typed << "': " << error.message;
      if (value) {
        EXPECT_EQ(value->number, Decimal::Parse(c.expected)) << c.picture << " reading '" << c.typed << "'";
      }
    }
  }
}

TEST_F(PictureTest, DeformatNumbers) {
  ExpectDeformats({
      {"@n10.2", "(1,234.50)", "-1234.5"},
      {"@n10.2", "  1,234.50", "1234.5"},
      {"@n10.2", "1,234.50-", "-1234.5"},
      {"@n-10.2", "  -1.5", "-1.5"},
      {"@n_10.2", "-1234,5", "-1234.5"},     // either point is read where it does not group
      {"@n$10.2", "$1,234.50", "1234.5"},
      {"@n$10.2", "$ -5", "-5"},
      {"@n_9`2", "1234,5", "1234.5"},
      {"@n_9`2", "1234.5", "1234.5"},
      {"@n9v2", "1234", "12.34"},
      {"@n9v2", "12.34", "12.34"},
      {"@n9v2", "5", "0.05"},
      {"@n-*10.2", "-*****5.00", "-5"},
      {"@n_9.2", "", "0"},
      {"@n_9.2", "    ", "0"},
      {"@n_9.2", "1.235", "1.24"},           // rounded to the picture's decimals
      {"@n_12`.2", "1,234.5", "1234.5"},
      {"@n_10.", "1.234.567", "1234567"},
      {"@n12_2", "1,234 50", "1234.5"},
      {"@n_4", "9999", "9999"},
      {"@n_4", "12345", "error"},
      {"@n_7.2", "9999.995", "error"},      // rounds past the integer positions
      {"@n_9.2", "abc", "error"},
      {"@n_9.2", "1.2.3", "error"},
      {"@n_9.2", "--5", "error"},
      {"@n_9.2", "-5-", "error"},
      {"@n_9.2", "(5", "error"},
      {"@n_9.2", "+5", "error"},
      {"@n_9.2", "-", "error"},
      {"@n4.2b", "#.##", "error"},
      {"@e12.3", "1.235E+03", "1235"},
      {"@e12.3", "1,5e-2", "0.015"},
      {"@e12.3", "-12", "-12"},
      {"@e12.3", "1E99", "error"},
      {"@e12.3", "1E", "error"},
      {"@e12.3", "1E-99", "0"},
      {"@e12.3", "1.0x", "error"},
  });
}

TEST_F(PictureTest, DeformatDatesAndTimes) {
  auto day = [](int m, int d, int y) { return std::to_string(Date(m, d, y)); };
  auto time = [](int h, int m, int s) { return std::to_string(TimeOf(h, m, s, 0)); };
  ExpectDeformats({
      {"@d6.", " 5.03.2004", day(3, 5, 2004)},
      {"@d6.", "5.3.04", day(3, 5, 2004)},
      {"@d6.", "05032004", day(3, 5, 2004)},
      {"@d6.", "5/3/2004", day(3, 5, 2004)},
      {"@d6.", "  .  .    ", "0"},
      {"@d6.", "", "0"},
      {"@d6.", "31.02.2004", "error"},
      {"@d6.", "29.02.2004", day(2, 29, 2004)},
      {"@d6.", "29.02.1900", "error"},
      {"@d6.", "5.03", "error"},
      {"@d6.", "5.03.2004.7", "error"},
      {"@d6.", "ab", "error"},
      {"@d6.", "5.13.2004", "error"},
      {"@d6.", "1.1.1800", "error"},
      {"@d6.", "5.3.20045", "error"},
      {"@d1", " 3/05/25", day(3, 5, 1925)},     // the window of 2005 runs 1925..2024
      {"@d1", " 3/05/24", day(3, 5, 2024)},
      {"@d5>20", "05/03/25", day(3, 5, 2025)},  // moved 20 years later
      {"@d5<10", "05/03/14", day(3, 5, 2014)},
      {"@d5<10", "05/03/15", day(3, 5, 1915)},
      {"@d3", "Mar  5, 2004", day(3, 5, 2004)},
      {"@d3", "march 5 2004", day(3, 5, 2004)},
      {"@d3", "3 5 2004", day(3, 5, 2004)},
      {"@d3", "Mrz 5 2004", "error"},
      {"@d4", "September 30, 2004", day(9, 30, 2004)},
      {"@d4", "Sept 30, 2004", day(9, 30, 2004)},
      {"@d8", " 5 Mar 2004", day(3, 5, 2004)},
      {"@d11", "040305", day(3, 5, 2004)},
      {"@d12", "20040305", day(3, 5, 2004)},
      {"@d14", " 3/2004", day(3, 1, 2004)},
      {"@d16", "2004/03", day(3, 1, 2004)},
      {"@d18", "Fri, March 05, 2004", day(3, 5, 2004)},
      {"@d18", "March 05, 2004", day(3, 5, 2004)},
      {"@t1", "13:05", time(13, 5, 0)},
      {"@t1", "9", time(9, 0, 0)},
      {"@t2", "1305", time(13, 5, 0)},
      {"@t3", " 1:05PM", time(13, 5, 0)},
      {"@t3", "12:00AM", time(0, 0, 0)},
      {"@t3", "12:30 pm", time(12, 30, 0)},
      {"@t4", "13:05:09", time(13, 5, 9)},
      {"@t5", "130509", time(13, 5, 9)},
      {"@t8", "01:05:09 PM", time(13, 5, 9)},
      {"@t1", "", "0"},
      {"@t1", "  :  ", "0"},
      {"@t1", "25:00", "error"},
      {"@t1", "12:60", "error"},
      {"@t3", "13:00PM", "error"},
      {"@t3", "1:00AMPM", "error"},
      {"@t1", "PM", "error"},
      {"@t1", "1:2:3:4", "error"},
  });
}

TEST_F(PictureTest, DeformatTexts) {
  struct Case {
    std::string picture, typed;
    std::optional<std::string> text;  // nullopt: refused
  };
  const std::string god = Cp1251Literal("ГОД."), cyr = Cp1251Literal("Аб");
  const Case cases[] = {
      {"@s4", "abcdef", "abcd"},
      {"@s4", "ab  ", "ab"},
      {"@s4", "", ""},
      {"@P###-###-### ##P", "123-456-789 01", "12345678901"},
      {"@P###-###-### ##P", "12345678901", "12345678901"},
      {"@P######P", "1234", "001234"},
      {"@P<<<# " + god + "P", "2004 " + god, "2004"},
      {"@P<<<# " + god + "P", "   5 " + god, "0005"},
      {"@P##P", "123", std::nullopt},
      {"@P##P", "a1", std::nullopt},
      {"@K(###) ###-####K", "(555) 123-4567", "5551234567"},
      {"@K(###) ###-####K", "5551234567", "5551234567"},
      {"@K(###) ###-####K", "(555) 12 -    ", "55512"},
      {"@K(###) ###-####K", "(555) 12", std::nullopt},  // neither shown form nor typed digits
      {"@K##K", "a1", std::nullopt},
      {"@K##K", "123", std::nullopt},
      {"@K@@K", cyr, cyr},
      {"@K@@K", "A1", std::nullopt},
      {"@K&&K", "%1", "%1"},
  };
  for (const Case& c : cases) {
    auto value = MustParse(c.picture).Deformat(c.typed);
    EXPECT_EQ(value.has_value(), c.text.has_value()) << c.picture << " reading '" << c.typed << "'";
    if (value && c.text) {
      EXPECT_EQ(value->text, *c.text) << c.picture << " reading '" << c.typed << "'";
    }
  }
  auto pattern = MustParse("@P###-###-### ##P").Deformat("001-234-567 89");
  ASSERT_TRUE(pattern);
  EXPECT_EQ(pattern->number, Decimal(123456789));
}

// Format then Deformat gives the value back, for values the picture shows in full.
TEST_F(PictureTest, RoundTrips) {
  struct Case {
    const char* picture;
    std::vector<const char*> values;
  };
  const std::string rub = "@n14.2~" + Cp1251Literal("руб.") + "~";
  const std::string spacedRub = "@n(18.2)~" + Cp1251Literal(" руб. ") + "~";
  const std::vector<Case> cases = {
      {"@n_9.2", {"0", "1234.5", "0.01", "999999.99"}},
      {"@n10.2", {"0", "1234.5", "999999.99"}},
      {"@n-12.2", {"-1234.5", "-0.01", "123456.78"}},
      {"@n(12`.2)", {"-1234.5", "1234.5"}},
      {"@n$12.2-", {"-1234.5", "1234.5"}},
      {"@n*12.2", {"1234.5", "0"}},
      {"@n012.3", {"1234.567", "0.001"}},
      {"@n9v2", {"1234.5", "0.01"}},
      {"@n12_2", {"1234567.5"}},
      {"@n_12`", {"1234567"}},
      {rub.c_str(), {"1234.5"}},
      {spacedRub.c_str(), {"1234.5", "-1", "0"}},
      {"@e12.4", {"1234", "-0.00012345", "0"}},
      {"@P###-###-### ##P", {"12345678901", "0", "5"}},
      {"@P<<<#P", {"2004", "0"}},
  };
  for (const Case& c : cases) {
    Picture picture = MustParse(c.picture);
    for (const char* text : c.values) {
      Decimal value = Decimal::Parse(text);
      std::string shown = picture.Format(value);
      auto back = picture.Deformat(shown);
      ASSERT_TRUE(back) << c.picture << " of " << text << " shown '" << shown << "'";
      EXPECT_EQ(back->number, value) << c.picture << " of " << text << " shown '" << shown << "'";
    }
  }
}

TEST_F(PictureTest, DateAndTimeRoundTrips) {
  const DayNumber days[] = {Date(3, 5, 2004), Date(12, 31, 1999), Date(1, 1, 2024), Date(9, 30, 1930)};
  const DayNumber farDays[] = {kFirstDay, kLastDay, Date(2, 29, 2000)};
  for (int number = 1; number <= 18; ++number) {
    for (const char* options : {"", ".", "-", "_", "`"}) {
      const std::string text = "@d" + std::to_string(number) + options;
      Picture picture = MustParse(text);
      bool twoDigitYear = number == 1 || number == 5 || number == 7 || number == 9 || number == 11 ||
                          number == 13 || number == 15 || number == 17;
      bool monthOnly = number >= 13 && number <= 16;
      std::vector<DayNumber> values(std::begin(days), std::end(days));
      if (!twoDigitYear) values.insert(values.end(), std::begin(farDays), std::end(farDays));
      for (DayNumber day : values) {
        DayNumber expected = monthOnly ? Date(Month(day), 1, Year(day)) : day;
        auto back = picture.Deformat(picture.Format(day));
        ASSERT_TRUE(back) << text << " of " << day << " '" << picture.Format(day) << "'";
        EXPECT_EQ(back->number, expected) << text << " of " << day << " '" << picture.Format(day) << "'";
      }
      auto none = picture.Deformat(picture.Format(kNoDate));
      ASSERT_TRUE(none) << text;
      EXPECT_EQ(none->number, kNoDate) << text;
    }
  }
  for (int number = 1; number <= 8; ++number) {
    const std::string text = "@t" + std::to_string(number);
    Picture picture = MustParse(text);
    bool seconds = number == 4 || number == 5 || number == 6 || number == 8;
    for (auto [h, m, s] : {std::array{0, 0, 0}, std::array{12, 0, 0}, std::array{13, 5, 9}, std::array{23, 59, 59},
                           std::array{11, 30, 1}}) {
      TimeValue t = TimeOf(h, m, s, 0), expected = TimeOf(h, m, seconds ? s : 0, 0);
      auto back = picture.Deformat(picture.Format(t));
      ASSERT_TRUE(back) << text << " '" << picture.Format(t) << "'";
      EXPECT_EQ(back->number, expected) << text << " '" << picture.Format(t) << "'";
    }
  }
}

TEST_F(PictureTest, PictureKeepsTheLocaleItWasParsedWith) {
  Picture before = MustParse("@d3");
  LocaleTables tables = LocaleTables::BuiltIn();
  tables.monthAbbreviations[2] = "Mrz";
  SetLocale(tables);
  Picture after = MustParse("@d3");
  EXPECT_EQ(before.Format(Date(3, 5, 2004)), "Mar  5, 2004");
  EXPECT_EQ(after.Format(Date(3, 5, 2004)), "Mrz  5, 2004");
  auto back = after.Deformat("Mrz 5 2004");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->number, Date(3, 5, 2004));
}

}  // namespace
}  // namespace zelvo
