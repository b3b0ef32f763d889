#include "app/cli/record_json.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>
#include <vector>

#include "storage/field_codec.h"
#include "runtime/cp1251.h"
#include "runtime/date_time.h"

namespace zelvo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// JSON's number grammar: -? digits (. digits)? ([eE] [+-]? digits)?, leading
// zeros allowed in strings. Rewritten without the exponent, by moving the
// point, so that Decimal::Parse reads it exactly; nullopt when it is no number.
std::optional<std::string> PlainNumber(std::string_view text) {
  std::size_t at = 0;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  std::string digits;
  long pointAfter = 0;  // how many of `digits` stand before the point
  while (at < text.size() && IsDigit(text[at])) digits += text[at++];
  if (digits.empty()) return std::nullopt;
  pointAfter = static_cast<long>(digits.size());
  if (at < text.size() && text[at] == '.') {
    ++at;
    const std::size_t before = digits.size();
    while (at < text.size() && IsDigit(text[at])) digits += text[at++];
    if (digits.size() == before) return std::nullopt;
  }
  long exponent = 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    bool exponentNegative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) exponentNegative = text[at++] == '-';
    if (at == text.size() || !IsDigit(text[at])) return std::nullopt;
    // Beyond a few hundred the value is far outside every field, or zero in
    // every field; the bound keeps the rewritten text small.
    while (at < text.size() && IsDigit(text[at])) {
      if (exponent < 1000) exponent = exponent * 10 + (text[at] - '0');
      ++at;
    }
    if (exponentNegative) exponent = -exponent;
  }
  if (at != text.size()) return std::nullopt;
  pointAfter += exponent;
  std::string plain = negative ? "-" : "";
  if (pointAfter <= 0) {
    plain += "0.";
    plain.append(static_cast<std::size_t>(-pointAfter), '0');
    plain += digits;
  } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
    plain += digits;
    plain.append(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
  } else {
    plain += digits.substr(0, static_cast<std::size_t>(pointAfter));
    plain += '.';
    plain += digits.substr(static_cast<std::size_t>(pointAfter));
  }
  return plain;
}

// The number text of a JSON number or of a string holding one.
std::optional<std::string> NumericText(const Json& value) {
  if (auto text = NumberText(value)) return PlainNumber(*text);
  if (value.is_string()) return PlainNumber(value.get_ref<const std::string&>());
  return std::nullopt;
}

// The value as the user wrote it, short enough for a message.
std::string Shown(const Json& value) {
  std::string text;
  if (auto number = NumberText(value)) {
    text = *number;
  } else {
    text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
  constexpr std::size_t kLongest = 40;
  if (text.size() > kLongest) text = text.substr(0, kLongest) + "...";
  return text;
}

std::string TypeText(const FieldDeclaration& field) {
  std::string text(FieldTypeName(field.type));
  if (field.type == FieldType::Decimal)
    text += "(" + std::to_string(field.size) + "," + std::to_string(field.places) + ")";
  else if (IsTextType(field.type))
    text += "(" + std::to_string(field.size) + ")";
  return text;
}

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

std::string DateText(DayNumber day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", Year(day), Month(day), Day(day));
  return text;
}

std::string TimeText(TimeValue time) {
  return TwoDigits(Hour(time)) + ":" + TwoDigits(Minute(time)) + ":" + TwoDigits(Second(time)) +
         "." + TwoDigits(Hundredths(time));
}

// Reads exactly `count` digits at `at`; -1 when they are not all digits.
int DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int n = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!IsDigit(text[i])) return -1;
    n = n * 10 + (text[i] - '0');
  }
  return n;
}

std::optional<DayNumber> ParseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2), day = DigitsAt(text, 8, 2);
  if (year < 1801 || month < 1 || day < 1 || day > DaysInMonth(month, year)) return std::nullopt;
  return Date(month, day, year);
}

// "hh:mm", "hh:mm:ss" or "hh:mm:ss.cc".
std::optional<TimeValue> ParseTime(std::string_view text) {
  if (text.size() != 5 && text.size() != 8 && text.size() != 11) return std::nullopt;
  if (text[2] != ':' || (text.size() >= 8 && text[5] != ':') || (text.size() == 11 && text[8] != '.'))
    return std::nullopt;
  const int hour = DigitsAt(text, 0, 2), minute = DigitsAt(text, 3, 2);
  const int second = text.size() >= 8 ? DigitsAt(text, 6, 2) : 0;
  const int hundredths = text.size() == 11 ? DigitsAt(text, 9, 2) : 0;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || hundredths < 0)
    return std::nullopt;
  return TimeOf(hour, minute, second, hundredths);
}

Json ElementToJson(const FieldDeclaration& field, const std::uint8_t* bytes) {
  switch (field.type) {
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::UShort:
    case FieldType::Long:
    case FieldType::ULong: return ReadInteger(field.type, bytes);
    case FieldType::Real: return ReadReal(bytes);
    case FieldType::Decimal: return ReadDecimal(field, bytes).ToString(field.places);
    case FieldType::Date: {
      const DayNumber day = ReadDate(bytes);
      return day == kNoDate ? Json(nullptr) : Json(DateText(day));
    }
    case FieldType::Time: {
      const TimeValue time = ReadTime(bytes);
      return time == kNoTime ? Json(nullptr) : Json(TimeText(time));
    }
    case FieldType::String:
    case FieldType::CString:
    case FieldType::PString: return Cp1251ToUtf8(Clip(ReadText(field, bytes)));
  }
  return nullptr;
}

JsonReadResult Problem(std::string_view path, std::string problem) {
  return JsonValueError{std::string(path), std::move(problem)};
}

JsonReadResult ElementFromJson(const Json& value, const FieldDeclaration& field,
                               std::uint8_t* bytes, std::string_view path) {
  if (IsTextType(field.type)) {
    if (!value.is_string()) return Problem(path, Shown(value) + " is not a text");
    const std::string& utf8 = value.get_ref<const std::string&>();
    if (utf8.find('\0') != std::string::npos) return Problem(path, "a text may not hold a zero character");
    Utf8Error error;
    const std::optional<std::string> text = Utf8ToCp1251(utf8, &error);
    if (!text) return Problem(path, error.Message());
    if (WriteText(field, bytes, *text) != StoreResult::Ok)
      return Problem(path, "the text is longer than its field " + TypeText(field));
    return std::nullopt;
  }
  if (field.type == FieldType::Date || field.type == FieldType::Time) {
    const bool isDate = field.type == FieldType::Date;
    if (value.is_null()) {
      ClearElement(field, bytes);
      return std::nullopt;
    }
    std::optional<std::int32_t> parsed;
    if (value.is_string()) {
      const std::string& text = value.get_ref<const std::string&>();
      parsed = isDate ? ParseIsoDate(text) : ParseTime(text);
    }
    if (!parsed)
      return Problem(path, Shown(value) + (isDate ? " is not a date (YYYY-MM-DD, or null for none)"
                                                  : " is not a time (hh:mm:ss.cc, or null for none)"));
    const StoreResult stored = isDate ? WriteDate(bytes, *parsed) : WriteTime(bytes, *parsed);
    if (stored != StoreResult::Ok) return Problem(path, Shown(value) + " is outside the calendar");
    return std::nullopt;
  }

  const std::optional<std::string> text = NumericText(value);
  if (!text) return Problem(path, Shown(value) + " is not a number");
  const Decimal number = Decimal::Parse(*text);
  const std::string tooLarge = Shown(value) + " does not fit its field " + TypeText(field);
  switch (field.type) {
    case FieldType::Decimal:
      if (WriteDecimal(field, bytes, number) != StoreResult::Ok) return Problem(path, tooLarge);
      return std::nullopt;
    case FieldType::Real: {
      double real = 0;
      const auto [end, failure] = std::from_chars(text->data(), text->data() + text->size(), real);
      if (failure != std::errc{} || end != text->data() + text->size()) return Problem(path, tooLarge);
      WriteReal(bytes, real);
      return std::nullopt;
    }
    default: {
      const Decimal whole = number.Round(0);
      if (whole.IntegerDigits() > 18 || WriteInteger(field.type, bytes, whole.ToInt64()) != StoreResult::Ok)
        return Problem(path, tooLarge);
      return std::nullopt;
    }
  }
}

}  // namespace

Json FieldToJson(const RecordBuffer& record, const FieldDeclaration& field) {
  const std::uint8_t* bytes = record.Bytes().data() + field.offset;
  if (field.elements == 1) return ElementToJson(field, bytes);
  Json elements = Json::array();
  for (std::size_t i = 0; i < field.elements; ++i)
    elements.push_back(ElementToJson(field, bytes + i * field.ElementBytes()));
  return elements;
}

Json RecordToJson(const RecordBuffer& record) {
  Json object = Json::object();
  for (const FieldDeclaration& field : record.Layout())
    object[std::string(field.name)] = FieldToJson(record, field);
  return object;
}

JsonReadResult FieldFromJson(const Json& value, const FieldDeclaration& field, RecordBuffer& record,
                             std::string_view path) {
  std::uint8_t* bytes = record.Bytes().data() + field.offset;
  if (field.elements == 1) return ElementFromJson(value, field, bytes, path);
  if (!value.is_array() || value.size() > field.elements)
    return Problem(path, "is not an array of at most " + std::to_string(field.elements) + " elements");
  // Read into a copy so that an error leaves the whole field as it was.
  std::vector<std::uint8_t> elements(bytes, bytes + field.Bytes());
  for (std::size_t i = 0; i < field.elements; ++i) {
    std::uint8_t* element = elements.data() + i * field.ElementBytes();
    if (i >= value.size()) {
      ClearElement(field, element);
      continue;
    }
    const std::string elementPath = std::string(path) + "[" + std::to_string(i) + "]";
    if (JsonReadResult error = ElementFromJson(value[i], field, element, elementPath)) return error;
  }
  std::copy(elements.begin(), elements.end(), bytes);
  return std::nullopt;
}

JsonReadResult RecordFromJson(const Json& object, RecordBuffer& record, std::string_view path) {
  if (!object.is_object()) return Problem(path, Shown(object) + " is not an object of fields");
  const std::span<const FieldDeclaration> layout = record.Layout();
  std::vector<bool> named(layout.size(), false);
  for (const auto& [name, value] : object.items()) {
    const std::string fieldPath = std::string(path) + "." + name;
    const std::optional<std::size_t> index = FindField(layout, name);
    if (!index) return Problem(fieldPath, "no such field");
    if (named[*index]) return Problem(fieldPath, "the field is named twice");
    named[*index] = true;
    if (JsonReadResult error = FieldFromJson(value, layout[*index], record, fieldPath)) return error;
  }
  return std::nullopt;
}

std::optional<Decimal> JsonDecimal(const Json& value) {
  const std::optional<std::string> text = NumericText(value);
  if (!text) return std::nullopt;
  return Decimal::Parse(*text);
}

}  // namespace zelvo
