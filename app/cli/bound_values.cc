#include "app/cli/bound_values.h"

#include "core/program_variables.h"

#include <charconv>
#include <cstdio>

#include "runtime/cp1251.h"
#include "runtime/date_time.h"
#include "runtime/decimal.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "DECIMAL(9,2)" and the other declared types; nullopt for anything else.
std::optional<FieldDeclaration> ParseType(std::string_view text) {
  const std::string t = Upper(text);
  const std::size_t open = t.find('(');
  const std::string name = t.substr(0, open);
  std::vector<int> sizes;
  if (open != std::string::npos) {
    if (t.back() != ')') return std::nullopt;
    std::string_view inside(t);
    inside = inside.substr(open + 1, t.size() - open - 2);
    while (true) {
      const std::size_t comma = inside.find(',');
      const auto n = Number(inside.substr(0, comma));
      if (!n) return std::nullopt;
      sizes.push_back(*n);
      if (comma == std::string_view::npos) break;
      inside.remove_prefix(comma + 1);
    }
  }
  auto plain = [&](FieldDeclaration d) -> std::optional<FieldDeclaration> {
    if (!sizes.empty()) return std::nullopt;
    return d;
  };
  if (name == "BYTE") return plain(decl::Byte());
  if (name == "SHORT") return plain(decl::Short());
  if (name == "USHORT") return plain(decl::UShort());
  if (name == "LONG") return plain(decl::Long());
  if (name == "ULONG") return plain(decl::ULong());
  if (name == "REAL") return plain(decl::Real());
  if (name == "DATE") return plain(decl::Date());
  if (name == "TIME") return plain(decl::Time());
  if (name == "DECIMAL" && !sizes.empty() && sizes.size() <= 2) {
    const int digits = sizes[0], places = sizes.size() == 2 ? sizes[1] : 0;
    if (digits < 1 || digits > 31 || places < 0 || places > digits) return std::nullopt;
    return decl::Decimal(static_cast<std::uint16_t>(digits), static_cast<std::uint8_t>(places));
  }
  if ((name == "STRING" || name == "CSTRING" || name == "PSTRING") && sizes.size() == 1) {
    const int min = name == "STRING" ? 1 : 2;
    if (sizes[0] < min || sizes[0] > (name == "STRING" ? 65535 : 256)) return std::nullopt;
    const auto n = static_cast<std::uint16_t>(sizes[0]);
    return name == "STRING" ? decl::String(n) : name == "CSTRING" ? decl::CString(n) : decl::PString(n);
  }
  return std::nullopt;
}

bool IsWholeNumber(std::string_view v) {
  if (!v.empty() && v[0] == '-') v.remove_prefix(1);
  if (v.empty() || v.size() > 9) return false;
  for (char c : v)
    if (c < '0' || c > '9') return false;
  return true;
}

bool IsNumber(std::string_view v) {
  if (!v.empty() && v[0] == '-') v.remove_prefix(1);
  bool digit = false, point = false;
  for (char c : v) {
    if (c >= '0' && c <= '9') digit = true;
    else if (c == '.' && !point) point = true;
    else return false;
  }
  return digit;
}

std::optional<DayNumber> IsoDate(std::string_view v) {
  if (v.empty()) return kNoDate;
  if (v.size() != 10 || v[4] != '-' || v[7] != '-') return std::nullopt;
  const auto y = Number(v.substr(0, 4)), m = Number(v.substr(5, 2)), d = Number(v.substr(8, 2));
  if (!y || !m || !d || *m < 1 || *m > 12 || *d < 1 || *d > DaysInMonth(*m, *y)) return std::nullopt;
  const DayNumber day = Date(*m, *d, *y);
  if (!IsValidDay(day)) return std::nullopt;
  return day;
}

std::optional<TimeValue> ClockTime(std::string_view v) {
  if (v.empty()) return kNoTime;
  int h = 0, m = 0, s = 0, cc = 0;
  char extra = 0;
  const std::string text(v);
  const int n = std::sscanf(text.c_str(), "%2d:%2d:%2d.%2d%c", &h, &m, &s, &cc, &extra);
  if (n < 2 || n == 5) return std::nullopt;
  const TimeValue t = TimeOf(h, m, s, cc);
  if (t == kNoTime) return std::nullopt;
  return t;
}

}  // namespace

std::optional<std::string> BoundValues::Add(std::string_view binding) {
  const std::size_t equals = binding.find('=');
  if (equals == std::string_view::npos || equals == 0) return "\"" + std::string(binding) + "\" is not NAME=VALUE[:TYPE]";
  const std::string name(binding.substr(0, equals));
  if (FilterBindings::NamePart(name) != name) return "\"" + name + "\" is not a name";
  std::string_view value = binding.substr(equals + 1);
  std::optional<FieldDeclaration> type;
  if (const std::size_t colon = value.rfind(':'); colon != std::string_view::npos) {
    type = ParseType(value.substr(colon + 1));
    if (type) value = value.substr(0, colon);
  }
  const std::optional<std::string> text = Utf8ToCp1251(value);
  if (!text) return name + ": the value is not text this program can hold";
  if (!type) {
    if (IsWholeNumber(*text)) type = decl::Long();
    else if (IsNumber(*text)) type = decl::Real();
    else type = decl::String(static_cast<std::uint16_t>(std::clamp<std::size_t>(text->size(), 1, 65535)));
  }
  Value& v = values_.emplace_back();
  v.name = name;
  v.declaration = *type;
  v.bytes.assign(v.declaration.Bytes(), 0);
  v.declaration.name = v.name;
  ClearElement(v.declaration, v.bytes.data());
  auto refuse = [&](std::string why) -> std::optional<std::string> {
    values_.pop_back();
    return name + ": " + why;
  };
  switch (v.declaration.type) {
    case FieldType::Date: {
      const auto day = IsoDate(*text);
      if (!day) return refuse("\"" + std::string(value) + "\" is not a date YYYY-MM-DD");
      (void)WriteDate(v.bytes.data(), *day);
      return std::nullopt;
    }
    case FieldType::Time: {
      const auto time = ClockTime(*text);
      if (!time) return refuse("\"" + std::string(value) + "\" is not a time HH:MM[:SS[.hh]]");
      (void)WriteTime(v.bytes.data(), *time);
      return std::nullopt;
    }
    case FieldType::String:
    case FieldType::CString:
    case FieldType::PString:
      if (WriteText(v.declaration, v.bytes.data(), *text) != StoreResult::Ok) return refuse("the text is too long for its type");
      return std::nullopt;
    default:
      if (!IsNumber(*text)) return refuse("\"" + std::string(value) + "\" is not a number");
      if (AssignText(v.declaration, v.bytes.data(), *text) != StoreResult::Ok)
        return refuse("\"" + std::string(value) + "\" does not fit its type");
      return std::nullopt;
  }
}

void BoundValues::BindProgramVariables(FilterBindings& bindings) {
  for (const FieldDeclaration& variable : BoundVariableDeclarations())
    if (const auto bound = FindBoundVariable(variable.name)) bindings.Bind(bound->name, *bound->declaration, bound->address);
}

void BoundValues::Bind(FilterBindings& bindings) const {
  for (const Value& v : values_) bindings.Bind(v.name, v.declaration, v.bytes.data());
}

}  // namespace zelvo
