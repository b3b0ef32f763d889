#include "framework/browse/view_filter_text.h"

#include "storage/field_codec.h"

namespace zelvo {
namespace {

bool IsUpperName(std::string_view name) { return name.find("UPPER(") != std::string_view::npos; }

void Join(std::string& text, std::string_view part) {
  if (!text.empty()) text += " AND ";
  text += part;
}

}  // namespace

std::string QuotedText(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string KeyComponentName(std::string_view prefix, const KeyDeclaration& key, std::size_t component) {
  std::string name = std::string(prefix) + ":" + std::string(key.components[component].field);
  return key.Has(kKeyNoCase) ? "UPPER(" + name + ")" : name;
}

std::string ValueLiteral(LinkedFieldPairs::Side value, std::string_view name) {
  const std::string text = ValueText(*value.field, value.record->Bytes().data() + value.field->offset);
  if (!IsTextType(value.field->type)) return text;
  const std::string quoted = QuotedText(text);
  return IsUpperName(name) ? "UPPER(" + quoted + ")" : quoted;
}

std::string ViewFilterText(const SortEntry& entry, std::string_view prefix, const KeyDeclaration* key) {
  std::string text;
  if (key != nullptr && entry.limitType != LimitType::None) {
    const LinkedFieldPairs& range = entry.rangeList;
    const std::size_t equalities = entry.EqualityPairs();
    for (std::size_t i = 0; i < equalities && i < key->count; ++i) {
      const std::string name = KeyComponentName(prefix, *key, i);
      Join(text, name + " = " + ValueLiteral(range.Left(i), name));
    }
    if (entry.limitType == LimitType::Pair && range.Size() >= 2 && equalities < key->count) {
      const std::string name = KeyComponentName(prefix, *key, equalities);
      Join(text, name + " >= " + ValueLiteral(range.Left(equalities), name));
      Join(text, name + " <= " + ValueLiteral(range.Left(equalities + 1), name));
    }
  }
  for (const auto& [id, filter] : entry.filters) Join(text, "(" + filter + ")");
  return text;
}

}  // namespace zelvo
