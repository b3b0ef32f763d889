#include "storage/filter/internal/filter_functions.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>

#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/picture.h"
#include "runtime/windows_profile.h"
#include "storage/field_codec.h"
#include "storage/filter/internal/filter_nodes.h"

namespace zelvo {
namespace {

enum Id : std::uint8_t {
  kAbs, kAcos, kAsin, kAtan, kCos, kSin, kTan, kAge, kAll, kBand, kBor, kBxor, kBshift, kCenter,
  kChoose, kChr, kClip, kClock, kDate, kDay, kMonth, kYear, kDeformat, kFormat, kGetini, kInlist,
  kInrange, kInstring, kInt, kLeft, kLen, kLog10, kLoge, kLongpath, kShortpath, kPath, kLower,
  kUpper, kMatch, kMemory, kNull, kNumeric, kRandom, kRight, kRound, kSqrt, kStrpos, kSub, kToday,
  kVal, kSql,
};

constexpr ValueClass I = ValueClass::Integer, R = ValueClass::Real, S = ValueClass::String;

constexpr BuiltInFunction kFunctions[] = {
    {"ABS", kAbs, 1, R},         {"ACOS", kAcos, 1, R},       {"AGE", kAge, 2, S},
    {"ALL", kAll, 2, S},         {"ASIN", kAsin, 1, R},       {"ATAN", kAtan, 1, R},
    {"BAND", kBand, 2, I},       {"BOR", kBor, 2, I},         {"BSHIFT", kBshift, 2, I},
    {"BXOR", kBxor, 2, I},       {"CENTER", kCenter, 2, S},   {"CHOOSE", kChoose, 25, S},
    {"CHR", kChr, 1, S},         {"CLIP", kClip, 1, S},       {"CLOCK", kClock, 0, I},
    {"COS", kCos, 1, R},         {"DATE", kDate, 3, I},       {"DAY", kDay, 1, I},
    {"DEFORMAT", kDeformat, 2, S}, {"FORMAT", kFormat, 2, S}, {"GETINI", kGetini, 4, S},
    {"INLIST", kInlist, 25, I},  {"INRANGE", kInrange, 3, I}, {"INSTRING", kInstring, 4, I},
    {"INT", kInt, 1, I},         {"LEFT", kLeft, 2, S},       {"LEN", kLen, 1, I},
    {"LOG10", kLog10, 1, R},     {"LOGE", kLoge, 1, R},       {"LONGPATH", kLongpath, 1, S},
    {"LOWER", kLower, 1, S},     {"MATCH", kMatch, 3, I},     {"MEMORY", kMemory, 1, I},
    {"MONTH", kMonth, 1, I},     {"NULL", kNull, 1, I},       {"NUMERIC", kNumeric, 1, I},
    {"PATH", kPath, 1, S},       {"RANDOM", kRandom, 2, I},   {"RIGHT", kRight, 2, S},
    {"ROUND", kRound, 2, R},     {"SHORTPATH", kShortpath, 1, S}, {"SIN", kSin, 1, R},
    {"SQL", kSql, 1, I},         {"SQRT", kSqrt, 1, R},       {"STRPOS", kStrpos, 3, I},
    {"SUB", kSub, 3, S},         {"TAN", kTan, 1, R},         {"TODAY", kToday, 0, I},
    {"UPPER", kUpper, 1, S},     {"VAL", kVal, 1, I},         {"YEAR", kYear, 1, I},
};

constexpr std::size_t kLongestBuiltText = 4096;

bool SameWord(std::string_view a, std::string_view b) { return SameName(a, b); }

std::size_t LengthArgument(std::int32_t length) {
  return static_cast<std::size_t>(std::clamp<std::int32_t>(length, 0, kLongestBuiltText));
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return Clip(text.substr(first));
}

bool IsNumber(std::string_view text) {
  text = Trimmed(text);
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    std::size_t exponent = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == text.size();
}

unsigned char Folded(char c, bool noCase) {
  const auto u = static_cast<unsigned char>(c);
  return noCase ? Locale().Upper(u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 32) : u) : u;
}

// '*' any run, '?' one character; `prefix`: a match may end before the text does.
bool Wildcard(std::string_view text, std::string_view pattern, bool noCase, bool prefix) {
  std::size_t t = 0, p = 0, star = std::string_view::npos, starText = 0;
  while (t < text.size()) {
    if (p == pattern.size() && prefix) return true;
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      starText = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || Folded(pattern[p], noCase) == Folded(text[t], noCase))) {
      ++t;
      ++p;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool PlainEqual(std::string_view a, std::string_view b, bool noCase) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Folded(a[i], noCase) != Folded(b[i], noCase)) return false;
  return true;
}

std::int32_t Matches(std::string_view text, std::string_view pattern, std::int32_t mode) {
  text = Clip(text);
  pattern = Clip(pattern);
  const bool noCase = (mode & 1) != 0;
  if (mode & 2) return PlainEqual(text, pattern, noCase);
  return Wildcard(text, pattern, noCase, false);
}

std::int32_t FirstMatch(std::string_view text, std::string_view pattern, std::int32_t mode) {
  text = Clip(text);
  pattern = Clip(pattern);
  const bool noCase = (mode & 1) != 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::string_view rest = text.substr(at);
    const bool found = (mode & 2) ? rest.size() >= pattern.size() &&
                                        PlainEqual(rest.substr(0, pattern.size()), pattern, noCase)
                                  : Wildcard(rest, pattern, noCase, true);
    if (found) return static_cast<std::int32_t>(at + 1);
  }
  return 0;
}

// Age between a date and a base date, as the payroll's forms print it.
std::string Age(DayNumber date, DayNumber base) {
  const std::string stars(255, '*');
  if (!IsValidDay(date) || !IsValidDay(base)) return stars;
  int year = Year(date), month = Month(date), day = Day(date);
  if (date > base) {
    year -= 100;
    if (year < 1801 || day > DaysInMonth(month, year)) return stars;
    date = Date(month, day, year);
    if (date < 0 || date > base) return stars;
  }
  const int baseYear = Year(base), baseMonth = Month(base), baseDay = Day(base);
  const int days = base - date;
  if (days < 61) return std::to_string(days) + " DAYS";
  int months = 12 * (baseYear - year) + (baseMonth - month);
  if (baseDay < day) --months;
  if (months <= 24) return std::to_string(months) + " MOS";
  int years = baseYear - year;
  if (baseMonth < month || (baseMonth == month && baseDay < day)) --years;
  return std::to_string(years) + " YRS";
}

std::string AbsolutePath(std::string_view path) {
  std::error_code error;
  if (path.empty()) {
    const auto current = std::filesystem::current_path(error);
    return error ? std::string{} : current.string();
  }
  const auto absolute = std::filesystem::weakly_canonical(std::filesystem::path(std::string(path)), error);
  return error ? std::string(path) : absolute.string();
}

std::int32_t RandomBetween(std::int32_t low, std::int32_t high) {
  thread_local std::minstd_rand engine(
      static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  if (low > high) std::swap(low, high);
  return static_cast<std::int32_t>(std::uniform_int_distribution<std::int64_t>(low, high)(engine));
}

class FunctionCall final : public FilterNode {
 public:
  FunctionCall(const BuiltInFunction& f, std::vector<NodePointer> arguments, EvaluationStatus* status)
      : FilterNode(f.result), id_(f.id), arguments_(std::move(arguments)), status_(status) {
    if ((id_ == kFormat || id_ == kDeformat) && Count() >= 2 && arguments_[1]->IsConstant())
      picture_ = Picture::Parse(arguments_[1]->Text());
  }

  std::int32_t Integer() const override {
    if (Class() == ValueClass::Integer) return IntegerValue();
    if (Class() == ValueClass::Real) return RealToInteger(RealValue());
    return RealToInteger(TextToReal(TextValue()));
  }
  double Real() const override {
    if (Class() == ValueClass::Integer) return IntegerValue();
    if (Class() == ValueClass::Real) return RealValue();
    return TextToReal(TextValue());
  }
  std::string_view Text() const override {
    if (Class() == ValueClass::Integer) return IntegerToText(IntegerValue(), text_);
    if (Class() == ValueClass::Real) return RealToText(RealValue(), text_);
    return TextValue();
  }

 private:
  std::size_t Count() const { return arguments_.size(); }
  bool Has(std::size_t i) const { return i < arguments_.size(); }
  std::int32_t Int(std::size_t i, std::int32_t otherwise = 0) const {
    return Has(i) ? arguments_[i]->Integer() : otherwise;
  }
  double Num(std::size_t i, double otherwise = 0.0) const { return Has(i) ? arguments_[i]->Real() : otherwise; }
  std::string_view Str(std::size_t i) const { return Has(i) ? arguments_[i]->Text() : std::string_view{}; }
  std::int32_t Fail() const {
    if (status_) status_->code = ErrorCode::InvalidExpression;
    return 0;
  }

  std::int32_t IntegerValue() const {
    switch (id_) {
      case kBand: return Int(0) & Int(1);
      case kBor: return Int(0) | Int(1);
      case kBxor: return Int(0) ^ Int(1);
      case kBshift: {
        const auto a = static_cast<std::uint32_t>(Int(0));
        const std::int32_t n = Int(1);
        if (n >= 32 || n <= -32) return 0;
        return static_cast<std::int32_t>(n >= 0 ? a << n : a >> -n);
      }
      case kClock: return CLOCK();
      case kToday: return TODAY();
      case kDate: return zelvo::Date(Int(0), Int(1), Int(2));
      case kDay: return zelvo::Day(Int(0));
      case kMonth: return zelvo::Month(Int(0));
      case kYear: return zelvo::Year(Int(0));
      case kInlist: {
        const std::string_view text = Str(0);
        for (std::size_t i = 1; i < Count(); ++i)
          if (CompareTexts(text, arguments_[i]->Text()) == 0) return static_cast<std::int32_t>(i);
        return 0;
      }
      case kInrange: {
        const double x = Num(0);
        return Num(1) <= x && x <= Num(2);
      }
      case kInstring: {
        if (!Has(1)) return Fail();
        const std::string_view sought = Str(0);
        const std::string_view text = Str(1);
        std::int32_t step = Int(2, 1);
        if (step == 0) step = 1;
        if (sought.empty() || sought.size() > text.size()) return 0;
        const auto last = static_cast<std::int64_t>(text.size() - sought.size()) + 1;
        std::int64_t at = Has(3) ? Int(3) : (step > 0 ? 1 : last);
        for (; at >= 1 && at <= last; at += step)
          if (text.substr(static_cast<std::size_t>(at - 1), sought.size()) == sought)
            return static_cast<std::int32_t>(at);
        return 0;
      }
      case kInt: return RealToInteger(std::trunc(Num(0)));
      case kLen: return static_cast<std::int32_t>(Str(0).size());
      case kMatch: return Matches(Str(0), Str(1), Int(2));
      case kStrpos: return FirstMatch(Str(0), Str(1), Int(2));
      case kMemory: return Fail();
      case kSql: return Fail();
      case kNull: return Int(0) == 0;
      case kNumeric: return IsNumber(Str(0));
      case kRandom: return RandomBetween(Int(0), Int(1));
      case kVal: {
        const std::string_view text = Str(0);
        return text.empty() ? 0 : static_cast<unsigned char>(text[0]);
      }
      default: return 0;
    }
  }

  double RealValue() const {
    const double x = Num(0);
    auto inRange = [](double value, bool ok) { return ok ? Finite(value) : 0.0; };
    switch (id_) {
      case kAbs: return std::fabs(x);
      case kAcos: return inRange(std::acos(x), x >= -1 && x <= 1);
      case kAsin: return inRange(std::asin(x), x >= -1 && x <= 1);
      case kAtan: return std::atan(x);
      case kCos: return Finite(std::cos(x));
      case kSin: return Finite(std::sin(x));
      case kTan: return Finite(std::tan(x));
      case kLog10: return inRange(std::log10(x), x > 0);
      case kLoge: return inRange(std::log(x), x > 0);
      case kSqrt: return inRange(std::sqrt(x), x >= 0);
      case kRound: {
        const double order = Num(1, 1.0);
        if (order == 0.0) return x;
        return Finite(std::round(x / order) * order);
      }
      default: return 0.0;
    }
  }

  std::string_view TextValue() const {
    switch (id_) {
      case kAge: text_ = Age(Int(0), Has(1) ? Int(1) : TODAY()); return text_;
      case kAll: {
        const std::string_view text = Str(0);
        const std::size_t length = LengthArgument(Int(1, 255));
        text_.clear();
        if (text.empty()) return text_.assign(length, ' ');
        while (text_.size() < length) text_.append(text.substr(0, length - text_.size()));
        return text_;
      }
      case kCenter: {
        const std::string_view text = Trimmed(Str(0));
        const std::size_t length = Has(1) ? LengthArgument(Int(1)) : Str(0).size();
        const std::string_view shown = text.substr(0, std::min(text.size(), length));
        const std::size_t before = (length - shown.size()) / 2;
        text_.assign(before, ' ');
        text_.append(shown);
        text_.append(length - before - shown.size(), ' ');
        return text_;
      }
      case kChoose: {
        if (Count() <= 1) return Has(0) ? arguments_[0]->Text() : std::string_view{};
        const std::int32_t n = Int(0);
        const std::size_t values = Count() - 1;
        const std::size_t chosen = n >= 1 && static_cast<std::size_t>(n) <= values ? static_cast<std::size_t>(n) : values;
        return arguments_[chosen]->Text();
      }
      case kChr: text_.assign(1, static_cast<char>(Int(0) & 0xFF)); return text_;
      case kClip: return Clip(Str(0));
      case kDeformat: {
        const std::string_view typed = Str(0);
        if (!Has(1)) {
          text_.clear();
          for (char c : typed)
            if ((c >= '0' && c <= '9') || c == '-' || c == '.') text_.push_back(c);
          return text_;
        }
        const std::optional<Picture> parsed = picture_ ? picture_ : Picture::Parse(Str(1));
        std::optional<PictureValue> value = parsed ? parsed->Deformat(typed) : std::nullopt;
        text_ = value ? std::move(value->text) : std::string{};
        return text_;
      }
      case kFormat: {
        const std::optional<Picture> parsed = picture_ ? picture_ : Picture::Parse(Str(1));
        if (!parsed || !Has(0)) return text_.assign("");
        const FilterNode& value = *arguments_[0];
        text_ = value.Class() == ValueClass::String ? parsed->FormatText(value.Text()) : parsed->Format(value.Exact());
        return text_;
      }
      case kGetini: {
        const std::string file = Has(3) ? std::string(Str(3)) : WindowsProfilePath();
        text_ = WindowsProfile::Load(file).GetString(Str(0), Str(1), Str(2));
        return text_;
      }
      case kLeft:
      case kRight: {
        const std::string_view whole = Str(0);
        const std::size_t first = whole.find_first_not_of(' ');
        const std::string_view text =
            id_ == kRight ? Clip(whole) : first == std::string_view::npos ? std::string_view{} : whole.substr(first);
        const std::size_t length = Has(1) ? LengthArgument(Int(1)) : whole.size();
        const std::string_view shown = text.substr(0, std::min(text.size(), length));
        if (id_ == kLeft) {
          text_.assign(shown);
          text_.append(length - shown.size(), ' ');
        } else {
          text_.assign(length - shown.size(), ' ');
          text_.append(text.substr(text.size() - shown.size()));
        }
        return text_;
      }
      case kLongpath:
      case kShortpath:
      case kPath: text_ = AbsolutePath(Str(0)); return text_;
      case kLower: text_ = Locale().ToLower(Str(0)); return text_;
      case kUpper: text_ = Locale().ToUpper(Str(0)); return text_;
      case kSub: {
        const std::string_view text = Str(0);
        const auto size = static_cast<std::int64_t>(text.size());
        std::int64_t start = Int(1);
        if (start < 0) start = size + start + 1;
        if (start < 1) start = 1;
        const std::int64_t length = Has(2) ? Int(2) : size;
        if (start > size || length <= 0) return {};
        return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(std::min(length, size - start + 1)));
      }
      default: return {};
    }
  }

  std::uint8_t id_;
  std::vector<NodePointer> arguments_;
  EvaluationStatus* status_;
  std::optional<Picture> picture_;
  mutable std::string text_;
};

class CallableCall final : public FilterNode {
 public:
  CallableCall(const BoundCallable& callable, std::vector<NodePointer> arguments)
      : FilterNode(ValueClass::String), callable_(callable), arguments_(std::move(arguments)) {}
  std::int32_t Integer() const override { return RealToInteger(Real()); }
  double Real() const override { return TextToReal(Text()); }
  std::string_view Text() const override {
    std::array<std::string_view, kMostCallArguments> texts;
    for (std::size_t i = 0; i < arguments_.size(); ++i) texts[i] = arguments_[i]->Text();
    text_ = callable_(std::span<const std::string_view>(texts.data(), arguments_.size()));
    return text_;
  }

 private:
  const BoundCallable& callable_;
  std::vector<NodePointer> arguments_;
  mutable std::string text_;
};

}  // namespace

std::optional<OperatorWord> FindOperatorWord(std::string_view name) {
  if (SameWord(name, "AND")) return OperatorWord::And;
  if (SameWord(name, "OR")) return OperatorWord::Or;
  if (SameWord(name, "XOR")) return OperatorWord::Xor;
  if (SameWord(name, "NOT")) return OperatorWord::Not;
  return std::nullopt;
}

const BuiltInFunction* FindBuiltInFunction(std::string_view name) {
  const auto it = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                               [&](const BuiltInFunction& f) { return SameWord(f.name, name); });
  return it == std::end(kFunctions) ? nullptr : it;
}

bool TakesRawText(const BuiltInFunction& function) { return function.id == kSql; }

NodePointer MakeFunctionCall(const BuiltInFunction& function, std::vector<NodePointer> arguments,
                             EvaluationStatus* status) {
  return std::make_unique<FunctionCall>(function, std::move(arguments), status);
}

NodePointer MakeCallableCall(const BoundCallable& callable, std::vector<NodePointer> arguments) {
  return std::make_unique<CallableCall>(callable, std::move(arguments));
}

}  // namespace zelvo
