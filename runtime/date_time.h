// Dates and times of day as the program computes with them.
//
// A date is a day number: 0 is "no date", 4 is 1 January 1801 and every day
// after adds one (Gregorian calendar throughout) up to 2994626, 31 December
// 9999. Every other value is invalid. A time of day is hundredths of a second
// since midnight plus one: 0 is "no time", 1 is midnight, 8640000 is
// 23:59:59.99.
//
// Inside record buffers both sit in packed 4-byte forms, read here as
// little-endian words:
//     packed DATE  bytes: day, month, year (16-bit LE)   word = year*65536 + month*256 + day
//     packed TIME  bytes: hundredths, second, minute, hour   word = h<<24 | m<<16 | s<<8 | cc
// All zero bytes mean no date / no time.
//
// Examples:
//     Date(1, 1, 1801) == 4          Date(12, 31, 2004) == 74513
//     Date(3, 0, 2004) == Date(2, 29, 2004)   (the day is not checked against the month)
//     Date(14, 1, 2004) == Date(2, 1, 2005)   Date(12, 31, 1800) == -1
//     Year(0) == 0                    TimeValue of 12:30:15.50 == 4501551
//
// Today's date and the clock come through one seam (SetClock), so tests choose
// them. The two-digit-year window reads the current year once, at its first
// use, and keeps it for the run (ResetTwoDigitYearWindow is for tests).
#pragma once

#include <cstdint>

namespace zelvo {

using DayNumber = std::int32_t;
using TimeValue = std::int32_t;

inline constexpr DayNumber kNoDate = 0;
inline constexpr DayNumber kFirstDay = 4;
inline constexpr DayNumber kLastDay = 2994626;
inline constexpr TimeValue kNoTime = 0;
inline constexpr TimeValue kLastTime = 8640000;

inline constexpr bool IsValidDay(DayNumber d) { return d >= kFirstDay && d <= kLastDay; }
inline constexpr bool IsValidTime(TimeValue t) { return t >= 1 && t <= kLastTime; }
bool IsLeapYear(int year);
int DaysInMonth(int month, int year);  // 0 for a month outside 1..12

// Calendar parts of a day number; 0 for an invalid day number.
int Year(DayNumber day);
int Month(DayNumber day);
int Day(DayNumber day);

// DATE(month, day, year): a year below 100 goes through the two-digit window;
// months of 13 or more roll into the following years; the day may be 0 or
// beyond the month's end and counts on from the first of the month. -1 when no
// valid day results (month 0, year outside 1801..9999, result out of range).
DayNumber Date(int month, int day, int year);

// The year of the two-digit window for 0..99 (others are returned unchanged):
// the 100 years from the current year - 80 to the current year + 19.
int ExpandTwoDigitYear(int year);
// The same window moved by `windowShift` years (positive: later), as date
// pictures with ">nn" / "<nn" ask: in 2005, shift +10 places 25..34 in 2025..2034.
int ExpandTwoDigitYear(int year, int windowShift);
// Makes the next expansion read the current year again; for tests.
void ResetTwoDigitYearWindow();

// Time value from its parts; 0 when a part is out of range.
TimeValue TimeOf(int hour, int minute, int second, int hundredths);
int Hour(TimeValue t);        // parts of a valid time value; 0 for an invalid one
int Minute(TimeValue t);
int Second(TimeValue t);
int Hundredths(TimeValue t);

// Packed forms, as little-endian words of the 4 record bytes.
DayNumber DayFromPacked(std::uint32_t packed);   // 0 when not a valid date
std::uint32_t PackDay(DayNumber day);            // 0 for an invalid day number
TimeValue TimeFromPacked(std::uint32_t packed);  // 0 for zero bytes; -1 for a bad part
std::uint32_t PackTime(TimeValue time);          // 0 outside 1..8640000

// Byte access to a record buffer's 4 bytes.
std::uint32_t LoadPacked(const std::uint8_t* bytes);
void StorePacked(std::uint8_t* bytes, std::uint32_t word);

// The local calendar and clock.
struct LocalDateTime {
  int year, month, day;
  int hour, minute, second, millisecond;
};
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
};
// The system's local time; the process default.
const Clock& SystemClock();
// Replaces the clock for the whole process (tests); nullptr restores the system clock.
// The clock must outlive its use.
void SetClock(const Clock* clock);
const Clock& CurrentClock();

DayNumber TODAY();   // day number of the local date
TimeValue CLOCK();   // time value of the local time (hundredths = milliseconds / 10)

}  // namespace zelvo
