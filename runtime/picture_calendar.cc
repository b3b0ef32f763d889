// Date ("@D") and time ("@T") pictures: a list of position groups (day, month,
// year, hour, minute, second, month and day texts, AM/PM, literals) built from
// the picture number or the regional format, shown and read by one engine.
#include <algorithm>
#include <span>

#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/picture.h"

namespace zelvo::picture_detail {
namespace {

using Item = CalendarItem;

constexpr std::string_view kDateForms[16] = {
    "Mm/dd/yy", "Mm/dd/yyyy", "NNN Dd, yyyy", "NNNNNNNNN Dd, yyyy", "Dd/mm/yy", "Dd/mm/yyyy",
    "Dd NNN yy", "Dd NNN yyyy", "yy/mm/dd", "yyyy/mm/dd", "yymmdd", "yyyymmdd",
    "Mm/yy", "Mm/yyyy", "yy/mm", "yyyy/mm",
};
constexpr std::string_view kTimeForms[6] = {"hh:mm", "hhmm", "Hh:mmPP", "hh:mm:ss", "hhmmss", "Hh:mm:ssPP"};

// Day names: the regional formats may ask for them and the locale tables hold none.
constexpr std::string_view kWeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};

bool IsWordCode(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;
}

bool IsNumberPart(Item::Part part) {
  return part == Item::Day || part == Item::Month || part == Item::Year || part == Item::Hour ||
         part == Item::Hour12 || part == Item::Minute || part == Item::Second || part == Item::MonthAbbrev ||
         part == Item::MonthName;
}

void AddLiteral(CalendarLayout& layout, std::string text) {
  if (text.empty()) return;
  // Letter runs of literals ("г." of a long date) are skipped when reading typed text.
  for (std::size_t i = 0; i < text.size();) {
    std::size_t j = i;
    while (j < text.size() && IsWordCode(text[j])) ++j;
    if (j > i) layout.literalWords.push_back(text.substr(i, j - i)), i = j;
    else ++i;
  }
  layout.items.push_back({Item::Literal, Item::Zero, static_cast<int>(text.size()), std::move(text)});
}

void AddField(CalendarLayout& layout, Item::Part part, Item::Lead lead, int width) {
  layout.items.push_back({part, lead, width, {}});
}

std::size_t LongestOf(const auto& texts) {
  std::size_t longest = 0;
  for (const auto& t : texts) longest = std::max(longest, std::string_view(t).size());
  return longest;
}

// The fixed forms of picture numbers 1..16 (dates) and 1..6 (times).
void BuildFixedForm(CalendarLayout& layout, std::string_view form, char separator) {
  struct Token {
    std::string_view text;
    Item::Part part;
    Item::Lead lead;
    int width;
  };
  const Token dateTokens[] = {
      {"NNNNNNNNN", Item::MonthName, Item::Zero, 9}, {"NNN", Item::MonthAbbrev, Item::Zero, 3},
      {"yyyy", Item::Year, Item::Zero, 4}, {"yy", Item::Year, Item::Zero, 2},
      {"Mm", Item::Month, Item::Fill, 2}, {"mm", Item::Month, Item::Zero, 2},
      {"Dd", Item::Day, Item::Fill, 2}, {"dd", Item::Day, Item::Zero, 2},
  };
  const Token timeTokens[] = {
      {"Hh", Item::Hour12, Item::Fill, 2}, {"hh", Item::Hour, Item::Zero, 2},
      {"mm", Item::Minute, Item::Zero, 2}, {"ss", Item::Second, Item::Zero, 2},
      {"PP", Item::AmPm, Item::Zero, 2},
  };
  std::span<const Token> tokens = layout.isDate ? std::span<const Token>(dateTokens) : std::span<const Token>(timeTokens);
  const char placeholder = layout.isDate ? '/' : ':';
  while (!form.empty()) {
    auto token = std::find_if(tokens.begin(), tokens.end(),
                              [&](const Token& t) { return form.substr(0, t.text.size()) == t.text; });
    if (token != tokens.end()) {
      AddField(layout, token->part, token->lead, token->width);
      form.remove_prefix(token->text.size());
      continue;
    }
    char c = form.front();
    AddLiteral(layout, std::string(1, c == placeholder && separator ? separator : c));
    form.remove_prefix(1);
  }
}

// A regional date format: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, 'quoted
// text' ('' inside a quote or outside is one quote), g (era, shown as nothing);
// an unquoted "/" takes the picture's separator when one is given.
void BuildRegionalDate(CalendarLayout& layout, std::string_view format, char separator) {
  const int monthAbbrevWidth = static_cast<int>(LongestOf(layout.monthAbbreviations));
  const int monthNameWidth = static_cast<int>(LongestOf(layout.monthNames));
  std::string literal;
  auto flush = [&] { AddLiteral(layout, std::move(literal)), literal.clear(); };
  for (std::size_t i = 0; i < format.size();) {
    char c = format[i];
    if (c == '\'') {
      if (i + 1 < format.size() && format[i + 1] == '\'') {
        literal += '\'', i += 2;
        continue;
      }
      for (++i; i < format.size(); ++i) {
        if (format[i] != '\'') literal += format[i];
        else if (i + 1 < format.size() && format[i + 1] == '\'') literal += '\'', ++i;
        else break;
      }
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (c == 'd' || c == 'M' || c == 'y') {
      flush();
      int r = static_cast<int>(std::min<std::size_t>(run, 4));
      if (c == 'd') {
        if (r <= 2) AddField(layout, Item::Day, r == 1 ? Item::Natural : Item::Zero, 2);
        else AddField(layout, r == 3 ? Item::WeekdayAbbrev : Item::WeekdayName, Item::Natural,
                      r == 3 ? 3 : static_cast<int>(LongestOf(kWeekdayNames)));
      } else if (c == 'M') {
        if (r <= 2) AddField(layout, Item::Month, r == 1 ? Item::Natural : Item::Zero, 2);
        else AddField(layout, r == 3 ? Item::MonthAbbrev : Item::MonthName, Item::Natural,
                      r == 3 ? monthAbbrevWidth : monthNameWidth);
      } else {
        AddField(layout, Item::Year, Item::Zero, r <= 2 ? 2 : 4);
      }
    } else if (c != 'g') {
      literal.append(run, c == '/' && separator ? separator : c);
    }
    i += run;
  }
  flush();
}

// The regional time: hours and minutes (and seconds), the sTime separator
// unless the picture gives one, AM/PM texts after a blank on a 12-hour clock.
void BuildRegionalTime(CalendarLayout& layout, const RegionalSettings& regional, bool seconds, char separator) {
  bool clock24 = regional.iTime == 1;
  std::string between = separator ? std::string(1, separator) : regional.sTime;
  AddField(layout, clock24 ? Item::Hour : Item::Hour12, regional.iTLzero ? Item::Zero : Item::Fill, 2);
  AddLiteral(layout, between);
  AddField(layout, Item::Minute, Item::Zero, 2);
  if (seconds) {
    AddLiteral(layout, between);
    AddField(layout, Item::Second, Item::Zero, 2);
  }
  layout.am = regional.s1159;
  layout.pm = regional.s2359;
  int width = static_cast<int>(std::max(layout.am.size(), layout.pm.size()));
  if (!clock24 && width > 0) {
    AddLiteral(layout, " ");
    AddField(layout, Item::AmPm, Item::Zero, width);
  }
}

// Fill, picture number and separator, shared by date and time pictures.
bool ParseCommon(Cursor& in, CalendarLayout& layout, int maxNumber, int& number, char& separator,
                 PictureError* error) {
  if (in.PeekIs('0') || in.PeekIs('_') || in.PeekIs('*')) {
    char fill = in.Next();
    layout.fill = fill == '_' ? ' ' : fill;
  }
  std::size_t at = in.pos();
  auto parsed = in.TakeNumber(maxNumber, error, "the picture number");
  if (!parsed) return false;
  if (*parsed < 1) return Fail(error, at, "the picture number must be at least 1");
  number = *parsed;
  separator = 0;
  switch (in.Peek()) {
    case '.': separator = '.'; break;
    case '-': separator = '-'; break;
    case '_': separator = ' '; break;
    case '`': separator = ','; break;
    default: return true;
  }
  in.Next();
  return true;
}

int Width(const CalendarLayout& layout) {
  int width = 0;
  for (const Item& item : layout.items) width += item.width;
  return width;
}

std::string Fitted(std::string_view text, int width) {
  std::string out(text.substr(0, static_cast<std::size_t>(width)));
  out.resize(static_cast<std::size_t>(width), ' ');
  return out;
}

std::string TwoDigits(int n, Item::Lead lead, char fill) {
  if (lead == Item::Natural) return std::to_string(n);
  std::string out{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
  if (lead == Item::Fill && n < 10) out[0] = fill;
  return out;
}

// Typed text split into runs of digits and of letters; everything else separates.
struct Run {
  std::string_view text;
  std::size_t offset;
  bool digits;
};

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Locale().ToUpper(a) == Locale().ToUpper(b);
}

std::vector<Run> Runs(const CalendarLayout& layout, std::string_view typed) {
  std::vector<Run> runs;
  for (std::size_t i = 0; i < typed.size();) {
    bool digits = IsDigit(typed[i]);
    if (!digits && !IsWordCode(typed[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < typed.size() && (digits ? IsDigit(typed[j]) : IsWordCode(typed[j]))) ++j;
    std::string_view text = typed.substr(i, j - i);
    bool literal = !digits && std::any_of(layout.literalWords.begin(), layout.literalWords.end(),
                                          [&](const std::string& w) { return SameWord(w, text); });
    if (!literal) runs.push_back({text, i, digits});
    i = j;
  }
  return runs;
}

// 1..12 for a month name, an abbreviation, or a word that begins like one; 0 if none.
int MatchMonth(const CalendarLayout& layout, std::string_view word) {
  for (int m = 0; m < 12; ++m)
    if (SameWord(word, layout.monthNames[m]) || SameWord(word, layout.monthAbbreviations[m])) return m + 1;
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    std::string_view name = layout.monthNames[m];
    if (name.size() >= word.size() && SameWord(word, name.substr(0, word.size()))) return m + 1;
    if (SameWord(word.substr(0, 3), layout.monthAbbreviations[m])) return m + 1;
  }
  return 0;
}

// A day name, or its first two letters or more.
bool IsWeekday(const Run& run) {
  if (run.digits || run.text.size() < 2) return false;
  return std::any_of(std::begin(kWeekdayNames), std::end(kWeekdayNames), [&](std::string_view name) {
    return name.size() >= run.text.size() && SameWord(run.text, name.substr(0, run.text.size()));
  });
}

// Reads the numbers and words of `typed` into the picture's fields in order.
// A run of digits longer than its field, with more fields to come, is split
// (so "05032004" reads as 05, 03, 2004). Returns false after an error.
struct Parts {
  int day = -1, month = -1, year = -1, hour = -1, minute = -1, second = -1;
  bool am = false, pm = false;
};

bool ReadParts(const CalendarLayout& layout, std::string_view typed, Parts& parts, bool& any, PictureError* error) {
  std::vector<Run> runs = Runs(layout, typed);
  // AM/PM words may stand anywhere in a time.
  if (!layout.isDate) {
    std::erase_if(runs, [&](const Run& r) {
      if (r.digits) return false;
      bool am = SameWord(r.text, layout.am) || SameWord(r.text, "AM") || SameWord(r.text, "A");
      bool pm = SameWord(r.text, layout.pm) || SameWord(r.text, "PM") || SameWord(r.text, "P");
      parts.am = parts.am || am;
      parts.pm = parts.pm || (pm && !am);
      return am || pm;
    });
    if (parts.am && parts.pm) return Fail(error, 0, "both AM and PM typed");
  }
  any = !runs.empty() || parts.am || parts.pm;
  std::vector<const Item*> fields;
  for (const Item& item : layout.items)
    if (item.part != Item::Literal && item.part != Item::AmPm) fields.push_back(&item);
  std::size_t next = 0;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const Item& item = *fields[f];
    if (item.part == Item::WeekdayAbbrev || item.part == Item::WeekdayName) {
      if (next < runs.size() && IsWeekday(runs[next])) ++next;  // the weekday follows from the date
      continue;
    }
    if (next >= runs.size()) break;
    Run& run = runs[next];
    if (!run.digits) {
      int month = item.part == Item::MonthAbbrev || item.part == Item::MonthName ? MatchMonth(layout, run.text) : 0;
      if (month == 0) return Fail(error, run.offset, layout.isDate && (item.part == Item::MonthAbbrev || item.part == Item::MonthName)
                                                         ? "unknown month" : "a number expected");
      parts.month = month;
      ++next;
      continue;
    }
    std::size_t most = item.part == Item::Year ? 4 : 2;
    std::size_t own = item.part == Item::Year ? static_cast<std::size_t>(item.width) : 2;
    bool moreFields = std::any_of(fields.begin() + static_cast<std::ptrdiff_t>(f) + 1, fields.end(),
                                  [](const Item* i) { return IsNumberPart(i->part); });
    std::string_view digits = run.text;
    if (digits.size() > own && moreFields) {
      digits = run.text.substr(0, own);
      run.text.remove_prefix(own);
      run.offset += own;
    } else {
      ++next;
    }
    if (digits.size() > most) return Fail(error, run.offset, "too many digits");
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    switch (item.part) {
      case Item::Day: parts.day = n; break;
      case Item::Month: case Item::MonthAbbrev: case Item::MonthName: parts.month = n; break;
      case Item::Year: parts.year = digits.size() <= 2 ? ExpandTwoDigitYear(n, layout.windowShift) : n; break;
      case Item::Hour: case Item::Hour12: parts.hour = n; break;
      case Item::Minute: parts.minute = n; break;
      case Item::Second: parts.second = n; break;
      default: break;
    }
  }
  if (next < runs.size()) return Fail(error, runs[next].offset, "unexpected text");
  return true;
}

}  // namespace

std::optional<CalendarLayout> ParseDate(Cursor& in, int& width, PictureError* error) {
  CalendarLayout layout;
  int number = 0;
  char separator = 0;
  if (!ParseCommon(in, layout, 18, number, separator, error)) return std::nullopt;
  if (in.PeekIs('>') || in.PeekIs('<')) {
    std::size_t at = in.pos();
    int sign = in.Next() == '>' ? 1 : -1;
    std::string_view rest = in.Rest();
    if (rest.size() < 2 || !IsDigit(rest[0]) || !IsDigit(rest[1]))
      return Fail(error, at, "two digits must follow the window shift"), std::nullopt;
    layout.windowShift = sign * ((in.Next() - '0') * 10 + (in.Next() - '0'));
  }
  const LocaleTables& locale = Locale();
  layout.monthNames = locale.monthNames;
  layout.monthAbbreviations = locale.monthAbbreviations;
  if (number <= 16) BuildFixedForm(layout, kDateForms[number - 1], separator);
  else BuildRegionalDate(layout, number == 17 ? locale.regional.sShortDate : locale.regional.sLongDate, separator);
  width = Width(layout);
  if (width < 1 || width > kMaxWidth) return Fail(error, 2, "the regional date format gives no usable width"), std::nullopt;
  return layout;
}

std::optional<CalendarLayout> ParseTime(Cursor& in, int& width, PictureError* error) {
  CalendarLayout layout;
  layout.isDate = false;
  int number = 0;
  char separator = 0;
  if (!ParseCommon(in, layout, 8, number, separator, error)) return std::nullopt;
  const LocaleTables& locale = Locale();
  layout.am = locale.am;
  layout.pm = locale.pm;
  if (number <= 6) BuildFixedForm(layout, kTimeForms[number - 1], separator);
  else BuildRegionalTime(layout, locale.regional, number == 8, separator);
  width = Width(layout);
  if (width > kMaxWidth) return Fail(error, 2, "the regional time format gives no usable width"), std::nullopt;
  return layout;
}

std::string FormatCalendar(const CalendarLayout& layout, int width, std::int64_t value) {
  if (!layout.isDate && value == kNoTime) value = 1;  // no time shows as midnight
  bool valid = layout.isDate ? value >= kFirstDay && value <= kLastDay : value >= 1 && value <= kLastTime;
  auto v = static_cast<std::int32_t>(valid ? value : 0);
  std::string out;
  for (const Item& item : layout.items) {
    if (item.part == Item::Literal) {
      out += item.literal;
      continue;
    }
    if (!valid) {
      out.append(static_cast<std::size_t>(item.width), ' ');
      continue;
    }
    int hour = Hour(v);
    switch (item.part) {
      case Item::Day: out += TwoDigits(Day(v), item.lead, layout.fill); break;
      case Item::Month: out += TwoDigits(Month(v), item.lead, layout.fill); break;
      case Item::Year:
        out += item.width == 4 ? std::to_string(Year(v)) : TwoDigits(Year(v) % 100, Item::Zero, ' ');
        break;
      case Item::Hour: out += TwoDigits(hour, item.lead, layout.fill); break;
      case Item::Hour12: out += TwoDigits(hour % 12 == 0 ? 12 : hour % 12, item.lead, layout.fill); break;
      case Item::Minute: out += TwoDigits(Minute(v), item.lead, layout.fill); break;
      case Item::Second: out += TwoDigits(Second(v), item.lead, layout.fill); break;
      case Item::AmPm: out += Fitted(hour < 12 ? layout.am : layout.pm, item.width); break;
      default: {
        std::string_view text;
        if (item.part == Item::MonthAbbrev) text = layout.monthAbbreviations[Month(v) - 1];
        else if (item.part == Item::MonthName) text = layout.monthNames[Month(v) - 1];
        else if (item.part == Item::WeekdayName) text = kWeekdayNames[v % 7];  // day 4 was a Thursday
        else text = kWeekdayNames[v % 7].substr(0, 3);
        text = text.substr(0, static_cast<std::size_t>(item.width));
        out += item.lead == Item::Natural ? std::string(text) : Fitted(text, item.width);
      }
    }
  }
  return Fitted(out, width);  // natural items leave room at the end
}

std::optional<std::int32_t> DeformatCalendar(const CalendarLayout& layout, std::string_view typed,
                                             PictureError* error) {
  Parts parts;
  bool any = false;
  if (!ReadParts(layout, typed, parts, any, error)) return std::nullopt;
  if (!any) return layout.isDate ? kNoDate : kNoTime;
  if (layout.isDate) {
    bool hasDay = std::any_of(layout.items.begin(), layout.items.end(), [](const Item& i) { return i.part == Item::Day; });
    if (!hasDay && parts.day < 0) parts.day = 1;
    if (parts.day < 0 || parts.month < 0 || parts.year < 0)
      return Fail(error, typed.size(), "the date is incomplete"), std::nullopt;
    if (parts.month < 1 || parts.month > 12 || parts.year < 1801 || parts.year > 9999 || parts.day < 1 ||
        parts.day > DaysInMonth(parts.month, parts.year))
      return Fail(error, 0, "not a valid date"), std::nullopt;
    return Date(parts.month, parts.day, parts.year);
  }
  if (parts.hour < 0) return Fail(error, 0, "the hour is missing"), std::nullopt;
  if (parts.am || parts.pm) {
    if (parts.hour < 1 || parts.hour > 12) return Fail(error, 0, "a 12-hour clock hour is 1 to 12"), std::nullopt;
    parts.hour = parts.hour % 12 + (parts.pm ? 12 : 0);
  }
  TimeValue time = TimeOf(parts.hour, std::max(parts.minute, 0), std::max(parts.second, 0), 0);
  if (time == kNoTime) return Fail(error, 0, "not a valid time"), std::nullopt;
  return time;
}

}  // namespace zelvo::picture_detail
