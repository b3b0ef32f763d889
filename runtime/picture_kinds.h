// The parsed forms of each picture kind, and the functions that parse, format
// and deformat each of them. Internal to the pictures: callers use
// runtime/picture.h. Each group of kinds lives in its own source file:
// picture_numeric.cc (N, E), picture_calendar.cc (D, T), picture_text.cc (S, P, K).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "runtime/decimal.h"

namespace zelvo {
struct PictureError;
struct PictureValue;
}  // namespace zelvo

namespace zelvo::picture_detail {

// Widths above this are refused: no window or report needs them, and they
// bound the work of a single Format.
inline constexpr int kMaxWidth = 4096;
inline constexpr int kMaxDecimals = 31;

// Reads a picture text left to right; every read is bounds-checked.
class Cursor {
 public:
  explicit Cursor(std::string_view text, std::size_t pos = 0) : text_(text), pos_(pos) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool PeekIs(char c) const { return !AtEnd() && text_[pos_] == c; }
  // True (and consumed) when the next character is `c`, in either case for letters.
  bool TakeLetter(char c);
  bool Take(char c);
  char Next() { return AtEnd() ? '\0' : text_[pos_++]; }
  // Decimal digits; nullopt when none (or above `max`, reported as too large).
  std::optional<int> TakeNumber(int max, PictureError* error, const char* what);
  std::size_t pos() const { return pos_; }
  std::string_view Rest() const { return text_.substr(pos_ < text_.size() ? pos_ : text_.size()); }

 private:
  std::string_view text_;
  std::size_t pos_;
};

bool Fail(PictureError* error, std::size_t offset, std::string message);

struct NumericLayout {
  std::string leadCurrency, trailCurrency;
  char leadSign = 0;      // '-', '(' or 0
  char trailSign = 0;     // '-', ')' or 0
  char fill = 0;          // '0', '_', '*' or 0
  int decimals = 0;
  char decimalMark = 0;   // printed: '.', ',', ' '; 0 when implied or absent
  char groupMark = 0;     // printed: '.', ',', ' '; 0 for no grouping
  int integerPositions = 0;  // digit and grouping positions
};

struct ScientificLayout {
  int decimals = 0;
  char decimalMark = '.';
};

// One position group of a date or time picture.
struct CalendarItem {
  enum Part : std::uint8_t {
    Literal, Day, Month, Year, Hour, Hour12, Minute, Second,
    MonthAbbrev, MonthName, WeekdayAbbrev, WeekdayName, AmPm,
  };
  enum Lead : std::uint8_t {
    Zero,     // always two digits
    Fill,     // a leading zero shows the fill (a blank by default)
    Natural,  // a leading zero is dropped (the regional formats)
  };
  Part part = Literal;
  Lead lead = Zero;
  int width = 0;         // positions; for Natural items the most they take
  std::string literal;   // Literal only
};

struct CalendarLayout {
  bool isDate = true;
  char fill = ' ';       // printed for a suppressed leading zero
  int windowShift = 0;   // years the two-digit window moves when reading
  std::vector<CalendarItem> items;
  std::array<std::string, 12> monthNames, monthAbbreviations;
  std::string am, pm;
  std::vector<std::string> literalWords;  // letter runs of the literals, skipped when reading
};

struct PatternLayout {
  std::string pattern;
  int digitPositions = 0;
};

struct KeyInLayout {
  enum Slot : std::uint8_t { Literal, Digit, Letter, Any };
  std::vector<Slot> slots;   // one per position
  std::string literals;      // the literal character of each Literal slot, ' ' elsewhere
};

struct StringLayout {};

using Layout = std::variant<StringLayout, NumericLayout, ScientificLayout, CalendarLayout, PatternLayout, KeyInLayout>;

// Each parser starts after "@" and the kind letter and stops before the "B"
// option; it returns the layout and sets `width`.
std::optional<NumericLayout> ParseNumeric(Cursor& in, int& width, PictureError* error);
std::optional<ScientificLayout> ParseScientific(Cursor& in, int& width, PictureError* error);
std::optional<CalendarLayout> ParseDate(Cursor& in, int& width, PictureError* error);
std::optional<CalendarLayout> ParseTime(Cursor& in, int& width, PictureError* error);
// `body` is the text between the kind letter and the closing one; `offset` its place.
std::optional<PatternLayout> ParsePattern(std::string_view body, std::size_t offset, PictureError* error);
std::optional<KeyInLayout> ParseKeyIn(std::string_view body, std::size_t offset, PictureError* error);

// Formatting: exactly `width` characters. Blank-when-zero is the caller's.
std::string FormatNumeric(const NumericLayout& layout, int width, const Decimal& value);
std::string FormatScientific(const ScientificLayout& layout, int width, const Decimal& value);
std::string FormatCalendar(const CalendarLayout& layout, int width, std::int64_t value);
// `digits`: the integer's decimal digits, most significant first.
std::string FormatPattern(const PatternLayout& layout, std::string_view digits);
// With `blankWhenEmpty`, a text none of whose characters lands in a typed
// position as anything but a blank shows as blanks.
std::string FormatKeyIn(const KeyInLayout& layout, std::string_view text, bool blankWhenEmpty);

std::optional<Decimal> DeformatNumeric(const NumericLayout& layout, std::string_view typed, PictureError* error);
std::optional<Decimal> DeformatScientific(const ScientificLayout& layout, std::string_view typed,
                                          PictureError* error);
std::optional<std::int32_t> DeformatCalendar(const CalendarLayout& layout, std::string_view typed,
                                             PictureError* error);
// The digits read, zero-padded to the digit positions.
std::optional<std::string> DeformatPattern(const PatternLayout& layout, std::string_view typed,
                                           PictureError* error);
std::optional<std::string> DeformatKeyIn(const KeyInLayout& layout, std::string_view typed, PictureError* error);

// Shared text helpers.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
std::string_view TrimBlanks(std::string_view text);
// The decimal digits of the magnitude's integer part, without leading zeros ("0" for zero).
std::string IntegerDigits(const Decimal& value);

}  // namespace zelvo::picture_detail
