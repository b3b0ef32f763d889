#include "runtime/date_time.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace zelvo {
namespace {

// A clock the test sets; installed for the fixture's lifetime, with the
// two-digit window re-read from it.
class FakeClock final : public Clock {
 public:
  LocalDateTime now{2005, 6, 15, 12, 30, 15, 509};
  LocalDateTime Now() const override { return now; }
};

class DateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    ResetTwoDigitYearWindow();
  }
  void TearDown() override {
    SetClock(nullptr);
    ResetTwoDigitYearWindow();
  }
  FakeClock clock_;
};

TEST_F(DateTimeTest, DateOfCalendarParts) {
  struct Case {
    int month, day, year;
    DayNumber expected;
  };
  const Case cases[] = {
      {1, 1, 1801, 4},
      {12, 31, 2004, 74513},
      {2, 29, 2000, 72746},
      {12, 31, 9999, kLastDay},
      {12, 31, 1800, -1},          // year before the calendar
      {1, 1, 10000, -1},           // year after it
      {0, 1, 2004, -1},            // month 0
      {-1, 1, 2004, -1},           // a negative month is no month either
      {1, 0, 1801, -1},            // the day before the first valid day
      {12, 32, 9999, -1},          // the day after the last
      {13, 31, 9999, -1},          // rolls into year 10000
      {INT_MAX, INT_MAX, 9999, -1},
      {1, INT_MIN, 2004, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Date(c.month, c.day, c.year), c.expected) << c.month << "/" << c.day << "/" << c.year;
}

TEST_F(DateTimeTest, DateRollsMonthsAndDays) {
  EXPECT_EQ(Date(13, 1, 2004), Date(1, 1, 2005));
  EXPECT_EQ(Date(14, 1, 2004), Date(2, 1, 2005));
  EXPECT_EQ(Date(25, 1, 2004), Date(1, 1, 2006));
  EXPECT_EQ(Date(3, 0, 2004), Date(2, 29, 2004));
  EXPECT_EQ(Date(3, 1, 2004) - 1, Date(2, 29, 2004));
  EXPECT_EQ(Date(2, 31, 2004), Date(3, 2, 2004));
  EXPECT_EQ(Date(1, 366, 2004), Date(12, 31, 2004));
  EXPECT_EQ(Date(3, 0, 1900), Date(2, 28, 1900));  // 1900 is no leap year
}

TEST_F(DateTimeTest, CalendarPartsOfEveryValidDayRoundTrip) {
  // The inverse must be exact over the whole range: walk every day once.
  int year = 1801, month = 1, day = 1;
  for (DayNumber n = kFirstDay; n <= kLastDay; ++n) {
    ASSERT_EQ(Year(n), year) << n;
    ASSERT_EQ(Month(n), month) << n;
    ASSERT_EQ(Day(n), day) << n;
    ASSERT_EQ(DayFromPacked(PackDay(n)), n);
    if (++day > DaysInMonth(month, year)) {
      day = 1;
      if (++month > 12) month = 1, ++year;
    }
  }
  EXPECT_EQ(year, 10000);
}

TEST_F(DateTimeTest, InvalidDayNumbersHaveNoParts) {
  for (DayNumber n : {0, 3, -1, kLastDay + 1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(Year(n), 0) << n;
    EXPECT_EQ(Month(n), 0) << n;
    EXPECT_EQ(Day(n), 0) << n;
    EXPECT_EQ(PackDay(n), 0u) << n;
  }
}

TEST_F(DateTimeTest, LeapYears) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_FALSE(IsLeapYear(2005));
  EXPECT_EQ(DaysInMonth(2, 1900), 28);
  EXPECT_EQ(DaysInMonth(2, 2000), 29);
  EXPECT_EQ(DaysInMonth(13, 2000), 0);
}

TEST_F(DateTimeTest, TwoDigitYearWindow) {
  struct Case {
    int currentYear, shift, twoDigits, expected;
  };
  const Case cases[] = {
      {2005, 0, 24, 2024}, {2005, 0, 25, 1925}, {2005, 0, 85, 1985}, {2005, 0, 0, 2000},
      {2005, 0, 99, 1999}, {2099, 0, 10, 2110}, {2099, 0, 19, 2019}, {2099, 0, 18, 2118},
      {2005, 10, 34, 2034}, {2005, 10, 35, 1935}, {2005, -10, 15, 1915}, {2005, -10, 14, 2014},
      {2005, 0, 100, 100}, {2005, 0, -1, -1},  // outside 0..99: unchanged
  };
  for (const Case& c : cases) {
    clock_.now.year = c.currentYear;
    ResetTwoDigitYearWindow();
    EXPECT_EQ(ExpandTwoDigitYear(c.twoDigits, c.shift), c.expected)
        << c.currentYear << " shift " << c.shift << ": " << c.twoDigits;
  }
}

TEST_F(DateTimeTest, WindowReadsTheCurrentYearOnce) {
  EXPECT_EQ(Date(1, 1, 24), Date(1, 1, 2024));
  clock_.now.year = 2110;  // the window keeps the year it read first
  EXPECT_EQ(ExpandTwoDigitYear(24), 2024);
  ResetTwoDigitYearWindow();
  EXPECT_EQ(ExpandTwoDigitYear(24), 2124);
}

TEST_F(DateTimeTest, PackedDates) {
  auto packed = [](int y, int m, int d) {
    return static_cast<std::uint32_t>(y) * 65536u + static_cast<std::uint32_t>(m) * 256u +
           static_cast<std::uint32_t>(d);
  };
  struct Case {
    std::uint32_t word;
    DayNumber expected;
  };
  const Case cases[] = {
      {0, 0},
      {packed(2004, 12, 31), 74513},
      {packed(2004, 2, 31), Date(3, 2, 2004)},   // day beyond the month counts on
      {packed(2004, 3, 0), Date(2, 29, 2004)},   // day 0: last of the month before
      {packed(2004, 0, 15), 0},                  // month 0: no date
      {packed(2004, 13, 1), Date(1, 1, 2005)},
      {packed(1800, 12, 31), 0},
      {packed(10000, 1, 1), kLastDay},           // clamped to 31 December 9999
      {0xFFFFFFFFu, kLastDay},
      {packed(9999, 12, 32), 0},
      {packed(5, 3, 1), Date(3, 1, 2005)},       // a two-digit year goes through the window
  };
  for (const Case& c : cases) EXPECT_EQ(DayFromPacked(c.word), c.expected) << std::hex << c.word;
  EXPECT_EQ(PackDay(74513), packed(2004, 12, 31));
}

TEST_F(DateTimeTest, TimeValues) {
  EXPECT_EQ(TimeOf(12, 30, 15, 50), 4501551);
  EXPECT_EQ(TimeOf(0, 0, 0, 0), 1);
  EXPECT_EQ(TimeOf(23, 59, 59, 99), kLastTime);
  for (auto [h, m, s, cc] : {std::array{24, 0, 0, 0}, std::array{0, 60, 0, 0}, std::array{0, 0, 60, 0},
                             std::array{0, 0, 0, 100}, std::array{-1, 0, 0, 0}})
    EXPECT_EQ(TimeOf(h, m, s, cc), kNoTime);
  TimeValue t = 4501551;
  EXPECT_EQ(Hour(t), 12);
  EXPECT_EQ(Minute(t), 30);
  EXPECT_EQ(Second(t), 15);
  EXPECT_EQ(Hundredths(t), 50);
  EXPECT_EQ(Hour(kLastTime + 1), 0);
}

TEST_F(DateTimeTest, PackedTimes) {
  struct Case {
    std::uint32_t word;
    TimeValue expected;
  };
  const Case cases[] = {
      {0, kNoTime},
      {0x0C1E0F32u, 4501551},        // 12:30:15.50
      {0x00000000u | 1u, 2},         // 00:00:00.01
      {0x173B3B63u, kLastTime},      // 23:59:59.99
      {0x18000000u, -1},             // hour 24
      {0x003C0000u, -1},             // minute 60
      {0x00003C00u, -1},             // second 60
      {0x00000064u, -1},             // hundredths 100
      {0xFFFFFFFFu, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(TimeFromPacked(c.word), c.expected) << std::hex << c.word;
  EXPECT_EQ(PackTime(4501551), 0x0C1E0F32u);
  EXPECT_EQ(PackTime(1), 0u);  // midnight packs to zero bytes and reads back as no time
  for (TimeValue bad : {0, -1, kLastTime + 1}) EXPECT_EQ(PackTime(bad), 0u) << bad;
  for (TimeValue t : {2, 360001, 4501551, kLastTime}) EXPECT_EQ(TimeFromPacked(PackTime(t)), t) << t;
}

TEST_F(DateTimeTest, PackedBytesAreLittleEndian) {
  std::uint8_t bytes[4];
  StorePacked(bytes, PackDay(74513));
  EXPECT_EQ(bytes[0], 31);
  EXPECT_EQ(bytes[1], 12);
  EXPECT_EQ(bytes[2], 2004 & 0xFF);
  EXPECT_EQ(bytes[3], 2004 >> 8);
  EXPECT_EQ(DayFromPacked(LoadPacked(bytes)), 74513);
  const std::uint8_t zero[4] = {};
  EXPECT_EQ(DayFromPacked(LoadPacked(zero)), 0);
}

TEST_F(DateTimeTest, TodayAndClockFollowTheClock) {
  EXPECT_EQ(TODAY(), Date(6, 15, 2005));
  EXPECT_EQ(CLOCK(), TimeOf(12, 30, 15, 50));
  clock_.now.year = 1700;
  EXPECT_EQ(TODAY(), kNoDate);
  clock_.now = {2024, 2, 29, 23, 59, 59, 999};
  EXPECT_EQ(TODAY(), Date(2, 29, 2024));
  EXPECT_EQ(CLOCK(), kLastTime);
}

TEST(SystemClockTest, GivesAPlausibleDate) {
  SetClock(nullptr);
  EXPECT_GT(Year(TODAY()), 2000);
  EXPECT_TRUE(IsValidTime(CLOCK()));
}

}  // namespace
}  // namespace zelvo
