#include "runtime/date_time.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace zelvo {
namespace {

constexpr int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// The day number of (year, month, day) by the calendar formula, for any year
// and a month of 1..12; the day counts on from the first of the month. Wide
// arithmetic so that no argument can overflow.
constexpr std::int64_t DayFromCivil(std::int64_t year, int month, std::int64_t day) {
  auto floorDiv = [](std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
  std::int64_t n = kDaysBefore[month] + 365 * year + day + floorDiv(year, 4) + floorDiv(year, 400) -
                   floorDiv(year, 100) - 436 - 657362;
  bool leap = year % 4 == 0 && (year % 400 == 0 || year % 100 != 0);
  if (month <= 2 && leap) --n;
  return n;
}

static_assert(DayFromCivil(1801, 1, 1) == 4);
static_assert(DayFromCivil(2004, 12, 31) == 74513);
static_assert(DayFromCivil(2000, 2, 29) == 72746);
static_assert(DayFromCivil(9999, 12, 31) == kLastDay);

struct Civil {
  int year = 0, month = 0, day = 0;
};

// Exact inverse of DayFromCivil over the valid days: the days-to-civil walk
// over 400-year eras counted from 1 March of year 0.
constexpr Civil CivilFromDay(DayNumber n) {
  if (!IsValidDay(n)) return {};
  // Days since 1 March 0000 (proleptic Gregorian): 1 March 1801 is day 657,801
  // of that count and day number 63.
  std::int64_t z = static_cast<std::int64_t>(n) - 63 + 657801;
  std::int64_t era = z / 146097;
  std::int64_t doe = z - era * 146097;                                 // 0..146096
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // 0..399
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);          // 0..365
  std::int64_t mp = (5 * doy + 2) / 153;                               // 0..11, March first
  int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

static_assert(CivilFromDay(4).year == 1801 && CivilFromDay(4).month == 1 && CivilFromDay(4).day == 1);
static_assert(CivilFromDay(72746).month == 2 && CivilFromDay(72746).day == 29);
static_assert(CivilFromDay(kLastDay).year == 9999 && CivilFromDay(kLastDay).day == 31);

// 0 while the window has not read the current year yet.
std::atomic<int> windowYear{0};

int WindowYear() {
  int year = windowYear.load(std::memory_order_acquire);
  if (year == 0) {
    year = CurrentClock().Now().year;
    if (year == 0) year = 1;  // a clock that says year 0 must not make us read it again
    int expected = 0;
    // The first reader wins; a concurrent one takes the winner's year.
    if (!windowYear.compare_exchange_strong(expected, year, std::memory_order_acq_rel)) year = expected;
  }
  return year;
}

class SystemClockImpl final : public Clock {
 public:
  LocalDateTime Now() const override {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    if (ms < 0) ms += 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms)};
  }
};

std::atomic<const Clock*> currentClock{nullptr};

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0); }

int DaysInMonth(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int Year(DayNumber day) { return CivilFromDay(day).year; }
int Month(DayNumber day) { return CivilFromDay(day).month; }
int Day(DayNumber day) { return CivilFromDay(day).day; }

int ExpandTwoDigitYear(int year) { return ExpandTwoDigitYear(year, 0); }

int ExpandTwoDigitYear(int year, int windowShift) {
  if (year < 0 || year > 99) return year;
  int current = WindowYear() + windowShift;
  int candidate = current - current % 100 + year;
  if (candidate >= current + 20) candidate -= 100;
  else if (candidate < current - 80) candidate += 100;
  return candidate;
}

void ResetTwoDigitYearWindow() { windowYear.store(0, std::memory_order_release); }

DayNumber Date(int month, int day, int year) {
  year = ExpandTwoDigitYear(year);
  if (month < 1 || year < 1801 || year > 9999) return -1;
  // Months of 13 and more roll into the following years.
  std::int64_t fullYear = year + (month - 1) / 12;
  int monthOfYear = (month - 1) % 12 + 1;
  std::int64_t n = DayFromCivil(fullYear, monthOfYear, day);
  if (n < kFirstDay || n > kLastDay) return -1;
  return static_cast<DayNumber>(n);
}

TimeValue TimeOf(int hour, int minute, int second, int hundredths) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      hundredths < 0 || hundredths > 99)
    return kNoTime;
  return hour * 360000 + minute * 6000 + second * 100 + hundredths + 1;
}

int Hour(TimeValue t) { return IsValidTime(t) ? (t - 1) / 360000 : 0; }
int Minute(TimeValue t) { return IsValidTime(t) ? (t - 1) / 6000 % 60 : 0; }
int Second(TimeValue t) { return IsValidTime(t) ? (t - 1) / 100 % 60 : 0; }
int Hundredths(TimeValue t) { return IsValidTime(t) ? (t - 1) % 100 : 0; }

DayNumber DayFromPacked(std::uint32_t packed) {
  constexpr std::uint32_t kLastPacked = 9999u * 65536u + 12u * 256u + 31u;
  if (packed >= 10000u * 65536u) packed = kLastPacked;
  int day = static_cast<int>(packed & 0xFF);
  int month = static_cast<int>((packed >> 8) & 0xFF);
  int year = static_cast<int>(packed >> 16);
  DayNumber n = Date(month, day, year);
  return n < 0 ? kNoDate : n;
}

std::uint32_t PackDay(DayNumber day) {
  Civil c = CivilFromDay(day);
  if (c.year == 0) return 0;
  return static_cast<std::uint32_t>(c.year) << 16 | static_cast<std::uint32_t>(c.month) << 8 |
         static_cast<std::uint32_t>(c.day);
}

TimeValue TimeFromPacked(std::uint32_t packed) {
  if (packed == 0) return kNoTime;
  int hundredths = static_cast<int>(packed & 0xFF);
  int second = static_cast<int>((packed >> 8) & 0xFF);
  int minute = static_cast<int>((packed >> 16) & 0xFF);
  int hour = static_cast<int>(packed >> 24);
  if (hour > 23 || minute > 59 || second > 59 || hundredths > 99) return -1;
  return TimeOf(hour, minute, second, hundredths);
}

std::uint32_t PackTime(TimeValue time) {
  if (!IsValidTime(time)) return 0;
  return static_cast<std::uint32_t>(Hour(time)) << 24 | static_cast<std::uint32_t>(Minute(time)) << 16 |
         static_cast<std::uint32_t>(Second(time)) << 8 | static_cast<std::uint32_t>(Hundredths(time));
}

std::uint32_t LoadPacked(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void StorePacked(std::uint8_t* bytes, std::uint32_t word) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
}

const Clock& SystemClock() {
  static const SystemClockImpl clock;
  return clock;
}

void SetClock(const Clock* clock) { currentClock.store(clock, std::memory_order_release); }

const Clock& CurrentClock() {
  const Clock* clock = currentClock.load(std::memory_order_acquire);
  return clock ? *clock : SystemClock();
}

DayNumber TODAY() {
  LocalDateTime now = CurrentClock().Now();
  // The clock's year is a full year: no two-digit window here.
  if (now.month < 1 || now.month > 12 || now.year < 1801 || now.year > 9999) return kNoDate;
  std::int64_t n = DayFromCivil(now.year, now.month, now.day);
  return n >= kFirstDay && n <= kLastDay ? static_cast<DayNumber>(n) : kNoDate;
}

TimeValue CLOCK() {
  LocalDateTime now = CurrentClock().Now();
  return TimeOf(now.hour, now.minute, now.second, now.millisecond / 10);
}

}  // namespace zelvo
