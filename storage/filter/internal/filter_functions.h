// The built-in functions and operator words of filter expressions: the
// outermost binding scope, the same for every thread, and the call nodes.
//
// Every function of the table below is built in; argument counts are maxima,
// and missing arguments take the defaults said (a missing number is 0, a
// missing text empty). The result class decides how comparisons treat it.
//
//   ABS ACOS ASIN ATAN COS SIN TAN LOG10 LOGE SQRT (x)   real; radians; the
//       logarithm or root of a number out of range is 0
//   AGE(date [, base TODAY()])         string: "60 DAYS", "2 MOS", "24 YRS"; a
//       date after the base counts 100 years earlier; still after it, a day
//       that does not exist, or no valid date at all: 255 asterisks
//   ALL(text [, length 255])           text repeated to the length
//   BAND BOR BXOR(a, b), BSHIFT(a, n)  integer: 32-bit; n > 0 shifts left,
//       n < 0 right (no sign kept), 32 places or more give 0
//   CENTER(text [, length])            text centred; the length defaults to the text's
//   CHOOSE(n, v1 ... v24)              string: vn for 1 <= n <= count, else the last;
//       no values: n as text
//   CHR(code) CLIP(text) LEN(text) VAL(text) LOWER(text) UPPER(text)
//   CLOCK() TODAY()                    integer: the time value, the day number
//   DATE(month, day, year)             integer: the day number, 0 when none results
//   DAY MONTH YEAR(date)               integer
//   DEFORMAT(text [, picture])         string: the typed text read back through the
//       picture (its value's text); without a picture the digits, sign and point
//       kept; a text the picture cannot read gives ""
//   FORMAT(value, picture)             string: the value shown through the picture; a
//       picture that does not parse gives ""
//   GETINI(section, entry [, default [, file]])  string: from the profile file; the
//       Windows profile when no file is named
//   INLIST(text, v1 ... v24)           integer: the first equal value's number (blank
//       padded), 0 when none
//   INRANGE(x, low, high)              integer: low <= x <= high as reals
//   INSTRING(sought, text [, step 1 [, start]])  integer: the 1-based position where
//       sought begins, trying start, start + step, ...; a negative step walks
//       back from the end; 0 when absent. Without its text: 800, 0
//   INT(x)                             integer, toward zero
//   LEFT RIGHT(text [, length])        string: leading (trailing) blanks moved to the
//       other end, in the length when one is given
//   LONGPATH SHORTPATH PATH([path])    string: the absolute form of the path (Linux has
//       no short names); the current directory when none is given
//   MATCH(text, pattern [, mode 0])    integer: 1 when the text matches
//   STRPOS(text, pattern [, mode 0])   integer: the first position where it matches
//       Modes: bit 1 (1) compares without case, bit 2 (2) takes the pattern as plain
//       text; otherwise '*' stands for any run and '?' for one character. MATCH
//       asks the whole text (trailing blanks of both ignored) to match, STRPOS a
//       part beginning at the position.
//   MEMORY(x)                          800, 0
//   NULL(x) NUMERIC(text)              integer
//   RANDOM(low, high)                  integer, both ends included
//   ROUND(x [, order 1.0])             real: the nearest multiple of order, halves
//       away from zero
//   SUB(text, start, length)           string; a negative start counts from the end
//   SQL(raw text)                      800, 0: no driver of this program serves it
// Texts built by ALL, CENTER, LEFT and RIGHT are at most 4096 characters.
//
// Immutable tables; the call nodes follow storage/filter/filter_node.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "storage/filter/filter_bindings.h"
#include "storage/filter/filter_node.h"

namespace zelvo {

enum class OperatorWord : std::uint8_t { And, Or, Xor, Not };

struct BuiltInFunction {
  std::string_view name;
  std::uint8_t id;
  std::uint8_t maxArguments;
  ValueClass result;
};

std::optional<OperatorWord> FindOperatorWord(std::string_view name);
const BuiltInFunction* FindBuiltInFunction(std::string_view name);
// The function whose argument is raw text up to its closing parenthesis.
bool TakesRawText(const BuiltInFunction& function);

NodePointer MakeFunctionCall(const BuiltInFunction& function, std::vector<NodePointer> arguments,
                             EvaluationStatus* status);
// A program-bound callable: arguments as texts, a text back.
NodePointer MakeCallableCall(const BoundCallable& callable, std::vector<NodePointer> arguments);

constexpr std::size_t kMostCallArguments = 25;

}  // namespace zelvo
