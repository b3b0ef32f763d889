#include "runtime/picture.h"

#include "runtime/date_time.h"

namespace zelvo {
namespace picture_detail {

bool Cursor::TakeLetter(char c) {
  char next = Peek();
  if (AtEnd() || (next != c && next != static_cast<char>(c ^ 0x20))) return false;
  ++pos_;
  return true;
}

bool Cursor::Take(char c) {
  if (!PeekIs(c)) return false;
  ++pos_;
  return true;
}

std::optional<int> Cursor::TakeNumber(int max, PictureError* error, const char* what) {
  std::size_t start = pos_;
  if (!IsDigit(Peek())) {
    Fail(error, start, std::string(what) + " expected");
    return std::nullopt;
  }
  long value = 0;
  while (IsDigit(Peek())) {
    value = value * 10 + (Next() - '0');
    if (value > max) {
      Fail(error, start, std::string(what) + " above " + std::to_string(max));
      return std::nullopt;
    }
  }
  return static_cast<int>(value);
}

bool Fail(PictureError* error, std::size_t offset, std::string message) {
  if (error) *error = {offset, std::move(message)};
  return false;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return text.substr(text.size());  // keeps its place for offsets
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string IntegerDigits(const Decimal& value) { return value.Abs().Int().ToString(); }

}  // namespace picture_detail

using namespace picture_detail;

namespace {

bool IsLetter(char c, char upper) { return c == upper || c == static_cast<char>(upper + 0x20); }

// The text between "@P"/"@K" and its closing letter, which may be followed by B.
std::optional<std::string_view> PatternBody(std::string_view text, bool& blank, PictureError* error) {
  char letter = static_cast<char>(text[1] & ~0x20);
  std::size_t end = text.size();
  blank = end >= 4 && IsLetter(text[end - 1], 'B') && IsLetter(text[end - 2], letter);
  std::size_t close = blank ? end - 2 : end - 1;
  if (close < 2 || !IsLetter(text[close], letter)) {
    Fail(error, end, std::string("the pattern must end with the letter ") + letter);
    return std::nullopt;
  }
  return text.substr(2, close - 2);
}

template <class T>
bool Store(std::optional<T> parsed, Layout& layout) {
  if (!parsed) return false;
  layout = std::move(*parsed);
  return true;
}

}  // namespace

std::optional<Picture> Picture::Parse(std::string_view text, PictureError* error) {
  if (text.size() < 2 || text[0] != '@') {
    Fail(error, 0, "a picture begins with @ and the letter of its kind");
    return std::nullopt;
  }
  Picture picture;
  picture.text_ = std::string(text);
  Cursor in(text, 2);
  bool ok = false;
  switch (text[1] & ~0x20) {
    case 'N':
      picture.kind_ = PictureKind::Numeric;
      ok = Store(ParseNumeric(in, picture.width_, error), picture.layout_);
      break;
    case 'E':
      picture.kind_ = PictureKind::Scientific;
      ok = Store(ParseScientific(in, picture.width_, error), picture.layout_);
      break;
    case 'D':
      picture.kind_ = PictureKind::Date;
      ok = Store(ParseDate(in, picture.width_, error), picture.layout_);
      break;
    case 'T':
      picture.kind_ = PictureKind::Time;
      ok = Store(ParseTime(in, picture.width_, error), picture.layout_);
      break;
    case 'S': {
      picture.kind_ = PictureKind::String;
      auto width = in.TakeNumber(kMaxWidth, error, "the width");
      ok = width && (*width > 0 || Fail(error, 2, "the width must be at least 1"));
      if (ok) picture.width_ = *width;
      break;
    }
    case 'P':
    case 'K': {
      bool pattern = (text[1] & ~0x20) == 'P';
      picture.kind_ = pattern ? PictureKind::Pattern : PictureKind::KeyIn;
      auto body = PatternBody(text, picture.blankWhenZero_, error);
      if (!body) return std::nullopt;
      if (body->size() > static_cast<std::size_t>(kMaxWidth)) {
        Fail(error, 2, "the pattern is longer than " + std::to_string(kMaxWidth));
        return std::nullopt;
      }
      ok = pattern ? Store(ParsePattern(*body, 2, error), picture.layout_)
                   : Store(ParseKeyIn(*body, 2, error), picture.layout_);
      if (!ok) return std::nullopt;
      picture.width_ = pattern ? static_cast<int>(body->size())
                               : static_cast<int>(std::get<KeyInLayout>(picture.layout_).slots.size());
      return picture;
    }
    default:
      Fail(error, 1, "unknown picture kind");
      return std::nullopt;
  }
  if (!ok) return std::nullopt;
  picture.blankWhenZero_ = in.TakeLetter('B');
  if (!in.AtEnd()) {
    Fail(error, in.pos(), "unexpected text after the picture");
    return std::nullopt;
  }
  return picture;
}

std::string Picture::Format(const Decimal& value) const {
  const std::string blanks(static_cast<std::size_t>(width_), ' ');
  switch (kind_) {
    case PictureKind::Numeric: {
      const auto& layout = std::get<NumericLayout>(layout_);
      if (blankWhenZero_ && value.Round(layout.decimals).IsZero()) return blanks;
      return FormatNumeric(layout, width_, value);
    }
    case PictureKind::Scientific:
      if (blankWhenZero_ && value.IsZero()) return blanks;
      return FormatScientific(std::get<ScientificLayout>(layout_), width_, value);
    case PictureKind::Date:
    case PictureKind::Time: {
      const auto& layout = std::get<CalendarLayout>(layout_);
      std::int64_t v = value.Int().ToInt64();
      bool shown = layout.isDate ? v >= kFirstDay && v <= kLastDay : v != 0;
      if (blankWhenZero_ && !shown) return blanks;
      return FormatCalendar(layout, width_, v);
    }
    case PictureKind::Pattern: {
      std::string digits = IntegerDigits(value);
      if (blankWhenZero_ && digits == "0") return blanks;
      return FormatPattern(std::get<PatternLayout>(layout_), digits);
    }
    case PictureKind::String:
    case PictureKind::KeyIn:
      break;
  }
  return FormatText(value.ToString());
}

std::string Picture::FormatText(std::string_view value) const {
  const std::string blanks(static_cast<std::size_t>(width_), ' ');
  switch (kind_) {
    case PictureKind::String: {
      if (blankWhenZero_ && TrimBlanks(value).empty()) return blanks;
      std::string shown(value.substr(0, static_cast<std::size_t>(width_)));
      shown.resize(static_cast<std::size_t>(width_), ' ');
      return shown;
    }
    case PictureKind::KeyIn:
      return FormatKeyIn(std::get<KeyInLayout>(layout_), value, blankWhenZero_);
    case PictureKind::Pattern: {
      std::string digits;
      for (char c : value)
        if (IsDigit(c) && !(digits.empty() && c == '0')) digits += c;
      if (digits.empty()) digits = "0";
      if (blankWhenZero_ && digits == "0") return blanks;
      return FormatPattern(std::get<PatternLayout>(layout_), digits);
    }
    default:
      return Format(Decimal::Parse(value));
  }
}

std::optional<PictureValue> Picture::Deformat(std::string_view typed, PictureError* error) const {
  PictureValue value;
  switch (kind_) {
    case PictureKind::Numeric:
    case PictureKind::Scientific: {
      auto number = kind_ == PictureKind::Numeric ? DeformatNumeric(std::get<NumericLayout>(layout_), typed, error)
                                                  : DeformatScientific(std::get<ScientificLayout>(layout_), typed, error);
      if (!number) return std::nullopt;
      value.number = *number;
      value.text = number->ToString();
      return value;
    }
    case PictureKind::Date:
    case PictureKind::Time: {
      auto number = DeformatCalendar(std::get<CalendarLayout>(layout_), typed, error);
      if (!number) return std::nullopt;
      value.number = *number;
      value.text = std::to_string(*number);
      return value;
    }
    case PictureKind::Pattern: {
      auto digits = DeformatPattern(std::get<PatternLayout>(layout_), typed, error);
      if (!digits) return std::nullopt;
      // A pattern longer than a Decimal's integer digits keeps its full value in the text only.
      std::string_view significant = *digits;
      while (significant.size() > 1 && significant.front() == '0') significant.remove_prefix(1);
      if (significant.size() <= static_cast<std::size_t>(Decimal::kIntegerDigits))
        value.number = Decimal::Parse(significant);
      value.text = std::move(*digits);
      return value;
    }
    case PictureKind::String: {
      std::string_view text = typed.substr(0, static_cast<std::size_t>(width_));
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      value.text = std::string(text);
      break;
    }
    case PictureKind::KeyIn: {
      auto text = DeformatKeyIn(std::get<KeyInLayout>(layout_), typed, error);
      if (!text) return std::nullopt;
      value.text = std::move(*text);
      break;
    }
  }
  value.number = Decimal::Parse(value.text);
  return value;
}

}  // namespace zelvo
