// Picture: a display format text such as "@n_9.2b", "@d6." or "@s20", parsed
// once into a value that turns numbers, dates, times and texts into exactly
// width() characters (Format) and turns text typed into an entry back into a
// value (Deformat). Every text here is CP1251; one byte is one position.
//
// A picture is "@", a letter naming its kind (either case), the kind's grammar
// and an optional trailing "B"/"b" (blank when zero: a zero value, an empty
// text, no date, no time shows as width() blanks). Nothing may follow.
//
//   N  numeric    "@N" [$|~text~] [-|(] [0|_|*] width [sep [sep]] [decimals] [-|)] [$|~text~] [B]
//                 sep is one of . ` _ v V: with two the first groups and the second
//                 is the decimal separator; one followed by decimals is the decimal
//                 separator, one without decimals (or with 0) groups. "." prints a
//                 full stop, "`" a comma, "_" a blank; "v" is an implied point that
//                 takes no position. Without an explicit grouping separator, no fill
//                 or "*" groups with a comma (a full stop when the decimal separator
//                 is a comma); "0" and "_" do not group. A "~" inside ~text~ is "~~".
//                 Extra decimals of a value round half away from zero. A negative
//                 value shows a sign only through the picture's sign; an integer part
//                 that does not fit shows "#" in every digit position.
//   E  scientific "@E" width [sep decimals] [B], sep one of . ` _ : the value as
//                 d.ddd...E+xx (one non-zero digit before the separator, `decimals`
//                 after it rounded half away from zero, an exponent of a sign and two
//                 digits), right-aligned; a leading "-" for negatives; "#" in every
//                 position when it does not fit.
//   S  string     "@S" width [B]: left-aligned, cut or padded with blanks.
//   P  pattern    "@P" pattern "P" [B]: "#" a digit, "<" a digit that is blank while
//                 a leading zero, anything else printed as it stands. The positions
//                 take the integer part of the magnitude, right-aligned; too many
//                 digits show "#" in every position. A text value is taken by its digits.
//   K  key-in     "@K" pattern "K" [B]: "#" a digit, "@" a letter (Latin or Cyrillic),
//                 "&" any character, "\x" the literal x, anything else literal. The
//                 value is the typed characters only; they fill the positions in order.
//   D  date       "@D" [0|_|*] number(1..18) [. - _ `] [>nn|<nn] [B]; 17 and 18 follow the
//                 regional short and long date formats, left-aligned in the width of
//                 their longest text. ">nn"/"<nn" moves the two-digit-year window nn
//                 years later/earlier when reading typed years.
//   T  time       "@T" [0|_|*] number(1..8) [. - _ `] [B]; 7 and 8 follow the regional
//                 time settings: hours and minutes (7) or with seconds (8), separator
//                 sTime, 24-hour when iTime is 1, else 12-hour followed by a blank and
//                 s1159/s2359; hours without a leading zero when iTLzero is 0.
//
// Month texts, day names (the English "Sun".."Sat", "Sunday".."Saturday"), AM/PM
// texts and the regional formats are taken from Locale() when the picture is
// parsed; a picture keeps them, so its width never changes afterwards.
//
// Examples:
//   Parse("@n_9.2b")->Format(Decimal::Parse("1234.5"))  == "  1234.50"
//   Parse("@n10.2")->Format(Decimal::Parse("1234.5"))   == "  1,234.50"
//   Parse("@n-9.2")->Format(-5)                          == "    -5.00"
//   Parse("@n4.2b")->Format(Decimal::Parse("123.4"))    == "#.##"
//   Parse("@d6.")->Format(Date(3, 5, 2004))              == " 5.03.2004"
//   Parse("@d6.")->Format(0)                             == "  .  .    "
//   Parse("@P###-###-### ##P")->FormatText("12345678901") == "123-456-789 01"
//   Parse("@t3")->Format(0)                              == "12:00AM"
//   Parse("@n10.2")->Deformat("(1,234.50)")->number      == Decimal::Parse("-1234.5")
//
// Picture is a small immutable value: copy it freely and use it from any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/decimal.h"
#include "runtime/picture_kinds.h"

namespace zelvo {

enum class PictureKind : std::uint8_t { Numeric, Scientific, String, Date, Time, Pattern, KeyIn };

// Why a picture text or a typed text could not be read.
struct PictureError {
  std::size_t offset = 0;  // byte offset in the text where the problem was found
  std::string message;     // UTF-8, for the user or the developer
};

// What Deformat reads from a typed text. Both forms are always filled:
//   N, E         number; text is its shortest form
//   D, T         the day number or time value; text is its shortest form
//   P            the integer; text its digits, zero-padded to the picture's digit positions
//   S, K         text (trailing blanks dropped); number is the text read as a number
struct PictureValue {
  Decimal number;
  std::string text;
};

class Picture {
 public:
  // Parses a picture text. On failure returns nullopt and fills `error`.
  [[nodiscard]] static std::optional<Picture> Parse(std::string_view text, PictureError* error = nullptr);

  PictureKind kind() const { return kind_; }
  int width() const { return width_; }  // characters every Format gives
  bool blankWhenZero() const { return blankWhenZero_; }
  const std::string& text() const { return text_; }

  // A number shown through the picture. D and T pictures take its integer part
  // as a day number or time value; S and K show its shortest text.
  std::string Format(const Decimal& value) const;
  // A text shown through the picture. S and K show it as it stands; P takes its
  // digits; the other kinds read it as a number first (Decimal::Parse).
  std::string FormatText(std::string_view value) const;

  // Reads text typed into an entry of this picture back into a value: the
  // inverse of Format, lenient about blanks, grouping and currency. Blank text
  // is zero (no date, no time, empty text). Unreadable text, or a number whose
  // integer part the picture cannot show, gives nullopt and fills `error`.
  [[nodiscard]] std::optional<PictureValue> Deformat(std::string_view typed,
                                                     PictureError* error = nullptr) const;

 private:
  Picture() = default;

  PictureKind kind_ = PictureKind::String;
  int width_ = 0;
  bool blankWhenZero_ = false;
  std::string text_;
  picture_detail::Layout layout_;
};

}  // namespace zelvo
