// Numeric ("@N") and scientific ("@E") pictures.
#include <algorithm>
#include <cstdlib>

#include "runtime/picture.h"

namespace zelvo::picture_detail {
namespace {

bool IsSeparator(char c) { return c == '.' || c == '`' || c == '_' || c == 'v' || c == 'V'; }

// What a separator character of the picture prints; 0 for the implied point.
char Printed(char separator) {
  switch (separator) {
    case '.': return '.';
    case '`': return ',';
    case '_': return ' ';
    default: return 0;
  }
}

// "$" or "~text~" ("~~" inside stands for "~"); false after reporting an error.
bool TakeCurrency(Cursor& in, std::string& out, PictureError* error) {
  if (in.Take('$')) {
    out = "$";
    return true;
  }
  std::size_t start = in.pos();
  if (!in.Take('~')) return true;
  for (;;) {
    if (in.AtEnd()) return Fail(error, start, "the currency text has no closing ~");
    char c = in.Next();
    if (c == '~' && !in.Take('~')) break;
    // Digits and signs in the currency would be read back as part of the number.
    if (IsDigit(c) || c == '-' || c == '(' || c == ')')
      return Fail(error, in.pos() - 1, "the currency text may not hold digits or signs");
    out += c;
  }
  return !out.empty() || Fail(error, start, "the currency text is empty");
}

// Digit positions among `positions` integer positions; every fourth one from
// the units holds a grouping separator.
int DigitSlots(const NumericLayout& layout) {
  return layout.groupMark ? layout.integerPositions - layout.integerPositions / 4 : layout.integerPositions;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view text, std::string_view suffix) {
  return !suffix.empty() && text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A plain decimal text of `digits` with the point after `point` of them (which
// may lie outside the digits), for Decimal::Parse.
std::string PlaceDigits(const std::string& digits, long point) {
  if (point <= 0) return "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  auto at = static_cast<std::size_t>(point);
  if (at >= digits.size()) return digits + std::string(at - digits.size(), '0');
  return digits.substr(0, at) + "." + digits.substr(at);
}

std::size_t OffsetIn(std::string_view whole, std::string_view part, std::size_t i = 0) {
  return static_cast<std::size_t>(part.data() - whole.data()) + i;
}

// Strips the picture's currency and the typed sign from both ends of `t`.
// Returns false (error reported) for unbalanced parentheses or two signs.
bool TakeSignAndCurrency(const NumericLayout& layout, std::string_view typed, std::string_view& t, bool& negative,
                         PictureError* error) {
  // The typed text has lost its outer blanks, so a currency text that begins
  // or ends with a blank ("~ руб.~") is matched without them.
  const std::string_view lead = TrimBlanks(layout.leadCurrency);
  const std::string_view trail = TrimBlanks(layout.trailCurrency);
  auto stripCurrency = [&] {
    if (StartsWith(t, lead)) t = TrimBlanks(t.substr(lead.size()));
    if (EndsWith(t, trail)) t = TrimBlanks(t.substr(0, t.size() - trail.size()));
  };
  stripCurrency();
  int signs = 0;
  bool open = false, close = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '(')) {
    if (t.front() == '-') ++signs;
    else open = true;
    t = TrimBlanks(t.substr(1));
  }
  if (!t.empty() && (t.back() == '-' || t.back() == ')')) {
    if (t.back() == '-') ++signs;
    else close = true;
    t = TrimBlanks(t.substr(0, t.size() - 1));
  }
  if (open != close) return Fail(error, OffsetIn(typed, t), "the parentheses do not match");
  if (open) ++signs;  // the pair is one sign
  if (signs > 1) return Fail(error, OffsetIn(typed, t), "the number has two signs");
  negative = signs > 0;
  stripCurrency();
  return true;
}

}  // namespace

std::optional<NumericLayout> ParseNumeric(Cursor& in, int& width, PictureError* error) {
  NumericLayout layout;
  if (!TakeCurrency(in, layout.leadCurrency, error)) return std::nullopt;
  if (in.Take('-')) layout.leadSign = '-';
  else if (in.Take('(')) layout.leadSign = '(';
  if (in.PeekIs('0') || in.PeekIs('_') || in.PeekIs('*')) layout.fill = in.Next();
  std::size_t widthAt = in.pos();
  auto parsedWidth = in.TakeNumber(kMaxWidth, error, "the width");
  if (!parsedWidth) return std::nullopt;
  if (*parsedWidth < 1) return Fail(error, widthAt, "the width must be at least 1"), std::nullopt;
  width = *parsedWidth;

  char separators[2] = {};
  int count = 0;
  while (count < 2 && IsSeparator(in.Peek())) separators[count++] = in.Next();
  int decimals = 0;
  if (IsDigit(in.Peek())) {
    auto parsed = in.TakeNumber(kMaxDecimals, error, "the decimals");
    if (!parsed) return std::nullopt;
    decimals = *parsed;
  } else if (count == 2) {
    return Fail(error, in.pos(), "the decimals must follow two separators"), std::nullopt;
  }
  char group = 0, point = 0;
  if (count == 2) {
    group = separators[0], point = separators[1];
    // The same mark for both could not be read back.
    if (Printed(group) != 0 && Printed(group) == Printed(point))
      return Fail(error, in.pos(), "the grouping and the decimal separator must differ"), std::nullopt;
  }
  else if (count == 1 && decimals > 0) point = separators[0];
  else if (count == 1) group = separators[0];  // a decimal separator without decimals groups
  layout.decimals = decimals;
  bool pointTakesPosition = decimals > 0 && Printed(point) != 0;
  layout.decimalMark = decimals > 0 ? Printed(point) : 0;
  if (group) layout.groupMark = Printed(group);
  else if (layout.fill == 0 || layout.fill == '*') layout.groupMark = layout.decimalMark == ',' ? '.' : ',';

  if (in.PeekIs('-')) {
    if (layout.leadSign) return Fail(error, in.pos(), "a picture has one sign"), std::nullopt;
    layout.trailSign = in.Next();
  } else if (in.PeekIs(')')) {
    if (layout.leadSign != '(') return Fail(error, in.pos(), "')' closes a leading '('"), std::nullopt;
    layout.trailSign = in.Next();
  }
  if (layout.leadSign == '(' && layout.trailSign != ')')
    return Fail(error, in.pos(), "a leading '(' needs a closing ')'"), std::nullopt;
  if ((in.PeekIs('$') || in.PeekIs('~')) && !layout.leadCurrency.empty())
    return Fail(error, in.pos(), "a picture has one currency"), std::nullopt;
  if (!TakeCurrency(in, layout.trailCurrency, error)) return std::nullopt;

  layout.integerPositions = width - static_cast<int>(layout.leadCurrency.size() + layout.trailCurrency.size()) -
                          (layout.leadSign ? 1 : 0) - (layout.trailSign ? 1 : 0) - (pointTakesPosition ? 1 : 0) -
                          decimals;
  if (layout.integerPositions < 1)
    return Fail(error, widthAt, "the width leaves no position for the units digit"), std::nullopt;
  return layout;
}

std::string FormatNumeric(const NumericLayout& layout, int width, const Decimal& value) {
  Decimal rounded = value.Round(layout.decimals);
  bool negative = rounded.Sign() < 0;
  std::string text = rounded.Abs().ToString(layout.decimals);
  std::size_t point = text.find('.');
  std::string integer = text.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
  if (integer.empty()) integer = "0";
  fraction.resize(static_cast<std::size_t>(layout.decimals), '0');

  const auto slots = static_cast<std::size_t>(DigitSlots(layout));
  bool overflow = integer.size() > slots;
  if (overflow) {
    integer.assign(slots, '#');
    fraction.assign(fraction.size(), '#');
    negative = false;
  } else if (layout.fill == '0') {
    integer.insert(0, slots - integer.size(), '0');
  }
  const char fill = layout.fill == '*' ? '*' : ' ';

  // The integer positions, filled from the units leftwards.
  const auto positions = static_cast<std::size_t>(layout.integerPositions);
  std::string field(positions, fill);
  std::size_t placed = 0;
  for (std::size_t i = 0; i < positions; ++i) {
    char& at = field[positions - 1 - i];
    if (layout.groupMark && i % 4 == 3) {
      if (placed < integer.size()) at = layout.groupMark;  // only between digits shown
    } else if (placed < integer.size()) {
      at = integer[integer.size() - 1 - placed++];
    }
  }

  std::string out = layout.leadCurrency;
  if (layout.leadSign) {
    // The leading sign sits just left of the first character shown, moving right over blanks.
    std::string signed_field = " " + field;
    if (negative) signed_field[signed_field.find_first_not_of(' ') - 1] = layout.leadSign;
    out += signed_field;
  } else {
    out += field;
  }
  if (layout.decimals > 0) {
    if (layout.decimalMark) out += layout.decimalMark;
    out += fraction;
  }
  if (layout.trailSign) out += negative ? layout.trailSign : ' ';
  out += layout.trailCurrency;
  (void)width;  // the layout adds up to the width by construction
  return out;
}

std::optional<Decimal> DeformatNumeric(const NumericLayout& layout, std::string_view typed, PictureError* error) {
  std::string_view t = TrimBlanks(typed);
  if (t.empty()) return Decimal();
  bool negative = false;
  if (!TakeSignAndCurrency(layout, typed, t, negative, error)) return std::nullopt;

  std::string integer, fraction;
  bool inFraction = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (IsDigit(c)) {
      (inFraction ? fraction : integer) += c;
    } else if ((c == layout.groupMark && !inFraction) || (c == '*' && layout.fill == '*' && integer.empty())) {
      // grouping is read wherever it stands, the asterisk fill before the digits
    } else if (!inFraction && ((layout.decimalMark && c == layout.decimalMark) || c == '.' || c == ',')) {
      inFraction = true;
    } else {
      Fail(error, OffsetIn(typed, t, i), "not a number");
      return std::nullopt;
    }
  }
  if (integer.empty() && fraction.empty()) {
    Fail(error, OffsetIn(typed, t), "digits expected");
    return std::nullopt;
  }
  // An implied point: the last digits typed are the decimals.
  if (!inFraction && layout.decimals > 0 && layout.decimalMark == 0) {
    auto places = static_cast<std::size_t>(layout.decimals);
    if (integer.size() < places) integer.insert(0, places - integer.size(), '0');
    fraction = integer.substr(integer.size() - places);
    integer.resize(integer.size() - places);
  }
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
  if (integer.size() > static_cast<std::size_t>(DigitSlots(layout))) {
    Fail(error, OffsetIn(typed, t), "the number is too large for the picture");
    return std::nullopt;
  }
  fraction.resize(std::min<std::size_t>(fraction.size(), Decimal::kFractionDigits));
  Decimal value = Decimal::Parse((negative ? "-" : "") + (integer.empty() ? "0" : integer) + "." + fraction);
  value = value.Round(layout.decimals);
  if (value.IntegerDigits() > DigitSlots(layout)) {  // reached by rounding up
    Fail(error, OffsetIn(typed, t), "the number is too large for the picture");
    return std::nullopt;
  }
  return value;
}

std::optional<ScientificLayout> ParseScientific(Cursor& in, int& width, PictureError* error) {
  ScientificLayout layout;
  std::size_t widthAt = in.pos();
  auto parsedWidth = in.TakeNumber(kMaxWidth, error, "the width");
  if (!parsedWidth) return std::nullopt;
  width = *parsedWidth;
  if (in.PeekIs('.') || in.PeekIs('`') || in.PeekIs('_')) {
    layout.decimalMark = Printed(in.Next());
    auto decimals = in.TakeNumber(kMaxDecimals, error, "the decimals");
    if (!decimals) return std::nullopt;
    layout.decimals = *decimals;
  }
  int smallest = 1 + (layout.decimals > 0 ? 1 + layout.decimals : 0) + 4;  // d.dddE+xx
  if (width < smallest)
    return Fail(error, widthAt, "the width must be at least " + std::to_string(smallest)), std::nullopt;
  return layout;
}

std::string FormatScientific(const ScientificLayout& layout, int width, const Decimal& value) {
  const auto significant = static_cast<std::size_t>(layout.decimals + 1);
  std::string mantissa(significant, '0');
  int exponent = 0;
  if (!value.IsZero()) {
    std::string text = value.Abs().ToString();
    std::size_t point = std::min(text.find('.'), text.size());
    std::string digits = text.substr(0, point) + (point < text.size() ? text.substr(point + 1) : "");
    std::size_t first = digits.find_first_not_of('0');
    exponent = static_cast<int>(point) - static_cast<int>(first) - 1;
    mantissa = digits.substr(first);
    bool up = mantissa.size() > significant && mantissa[significant] >= '5';
    mantissa.resize(significant, '0');
    if (up) {
      std::size_t i = significant;
      while (i > 0 && mantissa[i - 1] == '9') mantissa[--i] = '0';
      if (i == 0) mantissa.insert(mantissa.begin(), '1'), mantissa.pop_back(), ++exponent;
      else ++mantissa[i - 1];
    }
  }
  std::string out = value.Sign() < 0 ? "-" : "";
  out += mantissa[0];
  if (layout.decimals > 0) out += layout.decimalMark + mantissa.substr(1);
  int magnitude = std::abs(exponent);
  out += exponent < 0 ? "E-" : "E+";
  out += static_cast<char>('0' + magnitude / 10);
  out += static_cast<char>('0' + magnitude % 10);
  auto w = static_cast<std::size_t>(width);
  if (out.size() > w) return std::string(w, '#');
  return std::string(w - out.size(), ' ') + out;
}

std::optional<Decimal> DeformatScientific(const ScientificLayout& layout, std::string_view typed,
                                          PictureError* error) {
  std::string_view t = TrimBlanks(typed);
  if (t.empty()) return Decimal();
  std::size_t i = 0;
  bool negative = t[0] == '-';
  if (negative) ++i;
  std::string integer, fraction;
  bool inFraction = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (IsDigit(c)) (inFraction ? fraction : integer) += c;
    else if (!inFraction && (c == layout.decimalMark || c == '.' || c == ',')) inFraction = true;
    else break;
  }
  if (integer.empty() && fraction.empty()) {
    Fail(error, OffsetIn(typed, t, i), "digits expected");
    return std::nullopt;
  }
  long exponent = 0;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    bool negativeExponent = i < t.size() && t[i] == '-';
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    if (i >= t.size() || !IsDigit(t[i])) {
      Fail(error, OffsetIn(typed, t, i), "the exponent needs digits");
      return std::nullopt;
    }
    for (; i < t.size() && IsDigit(t[i]); ++i) exponent = std::min(exponent * 10 + (t[i] - '0'), 1000L);
    if (negativeExponent) exponent = -exponent;
  }
  if (i < t.size()) {
    Fail(error, OffsetIn(typed, t, i), "not a number");
    return std::nullopt;
  }
  std::string digits = integer + fraction;
  long point = static_cast<long>(integer.size()) + exponent;
  std::size_t lead = std::min(digits.find_first_not_of('0'), digits.size());
  digits.erase(0, lead);
  point -= static_cast<long>(lead);
  if (digits.empty()) return Decimal();
  if (point > Decimal::kIntegerDigits) {
    Fail(error, OffsetIn(typed, t), "the number is too large");
    return std::nullopt;
  }
  if (point < -Decimal::kFractionDigits) return Decimal();  // below the smallest fraction digit
  digits.resize(std::min<std::size_t>(digits.size(), static_cast<std::size_t>(point + Decimal::kFractionDigits)));
  Decimal value = Decimal::Parse(PlaceDigits(digits, point));
  return negative ? -value : value;
}

}  // namespace zelvo::picture_detail
