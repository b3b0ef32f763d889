// The values of a dBase table's columns as the text the file holds: every
// column is characters, never NUL-terminated.
//
//   C     text, left-justified, blank-padded
//   N, F  a number right-justified in the width: an optional '-', digits,
//         and when the column has decimals a '.' and exactly that many digits
//         (a negative fraction too wide with its units zero goes without it:
//         -0.5 in N(4.2) is "-.50")
//   D     YYYYMMDD; no date is 8 blanks
//   L     'T', 'F', or a blank when not set
//   M     the memo block number, "%10lu"; blank when there is no memo
//
// Every write fills the whole column or leaves it untouched and answers
// -233 (bad data). Numbers are rounded half away from zero to the column's
// decimals; a value that then needs more characters than the width, or is
// larger than the column's largest storable value (as many nines as the
// width, with the decimals after a '.': N(4.2) 9.99, N(10.0) 9999999999), is
// refused.
//
// Examples:
//     123.4 into N(7.2) gives " 123.40"; 100000 into N(7.2) gives -233
//     31 December 2004 into D gives "20041231"
//
// Stateless; safe from any thread on distinct bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/decimal.h"
#include "storage/dbase/internal/dbase_header.h"

namespace zelvo {

inline constexpr int kDbaseBadData = -233;

std::string DbaseLargestValue(const DbaseColumn& column);

// REQUIRES for all: `bytes` is the column's `column.length` bytes.
[[nodiscard]] int WriteDbaseNumber(const DbaseColumn& column, const Decimal& value, std::span<std::uint8_t> bytes);
// The number the text stands for; blanks and text without digits read as 0.
Decimal ReadDbaseNumber(std::span<const std::uint8_t> bytes);

struct DbaseDate {
  int year = 0, month = 0, day = 0;
};
// Parts written as they come after clamping to 9999, 12 and 31; all zero
// parts give 8 blanks.
void WriteDbaseDate(DbaseDate date, std::span<std::uint8_t> bytes);
// The digits as they stand, not checked against the calendar; nullopt for
// blanks, and for anything but eight digits.
std::optional<DbaseDate> ReadDbaseDate(std::span<const std::uint8_t> bytes);

// 'T', 't', 'Y', 'y' or '1' store T; 'F', 'f', 'N', 'n' or '0' store F; a
// blank or '?' stores a blank; any other character is refused.
[[nodiscard]] int WriteDbaseLogical(char value, std::span<std::uint8_t> bytes);
// 1 for T/t/Y/y, 0 for F/f/N/n, 63 ('?') for anything else (a blank: not set).
std::uint8_t ReadDbaseLogical(std::span<const std::uint8_t> bytes);

// 0 gives blanks; a negative block or one that needs more than 10 digits is refused.
[[nodiscard]] int WriteDbaseMemoBlock(std::int64_t block, std::span<std::uint8_t> bytes);
std::int64_t ReadDbaseMemoBlock(std::span<const std::uint8_t> bytes);

// A text stored by the rules of a column that is not C: N/F a number (all
// blanks: a blank column), D YYYYMMDD or DD.MM.YYYY (all blanks: no date), L
// its first character, M a block number.
[[nodiscard]] int WriteDbaseColumnText(const DbaseColumn& column, std::string_view text,
                                       std::span<std::uint8_t> bytes);

}  // namespace zelvo
