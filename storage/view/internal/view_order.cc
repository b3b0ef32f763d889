#include "storage/view/internal/view_order.h"

#include <bit>
#include <cstring>

#include "runtime/locale.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

// The primary field a component names alone: "NBA:FAM", in any case.
std::optional<std::size_t> NamedField(std::string_view text, std::string_view prefix,
                                      std::span<const FieldDeclaration> fields) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || !SameName(text.substr(0, colon), prefix)) return std::nullopt;
  return FindField(fields, text.substr(colon + 1));
}

void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::vector<OrderComponent> CompileOrder(std::string_view text, const FilterBindings& bindings,
                                         std::string_view primaryPrefix,
                                         std::span<const FieldDeclaration> primaryFields) {
  std::vector<OrderComponent> order;
  std::string_view rest = text;
  while (!rest.empty()) {
    rest = SkipBlanks(rest);
    bool descending = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
      descending = rest.front() == '-';
      rest = SkipBlanks(rest.substr(1));
    }
    FilterCompilation compiled = FilterExpression::Compile(rest, bindings);
    if (!compiled.ok()) break;
    const std::string_view component = rest.substr(0, compiled.end);
    order.push_back({std::string(component), descending, NamedField(component, primaryPrefix, primaryFields),
                     std::move(*compiled.expression)});
    rest = SkipBlanks(rest.substr(compiled.end));
    if (rest.empty() || rest.front() != ',') break;
    rest.remove_prefix(1);
  }
  return order;
}

KeyChoice ChooseKey(std::span<const OrderComponent> order, std::span<const FieldDeclaration> fields,
                    std::span<const KeyDeclaration> keys) {
  struct Candidate {
    std::size_t key;
    bool backwards;
  };
  std::vector<Candidate> candidates;
  for (std::size_t k = 0; k < keys.size(); ++k) candidates.push_back({k, false});
  auto sameField = [&](const KeyComponent& part, std::size_t field) {
    return SameName(part.field, fields[field].name);
  };
  std::size_t delivered = 0;
  for (std::size_t place = 0; place < order.size(); ++place) {
    const OrderComponent& component = order[place];
    if (!component.field) break;
    std::vector<Candidate> matching;
    for (Candidate c : candidates) {
      const auto parts = keys[c.key].Components();
      if (place >= parts.size() || !sameField(parts[place], *component.field)) continue;
      const bool keyDescending = !parts[place].ascending;
      if (place == 0) c.backwards = keyDescending != component.descending;
      else if ((keyDescending != c.backwards) != component.descending) continue;
      matching.push_back(c);
    }
    if (matching.empty()) break;
    candidates = std::move(matching);
    ++delivered;
  }
  if (delivered == 0) return {};
  return {candidates.front().key + 1, candidates.front().backwards, delivered};
}

void AppendSortValue(const OrderComponent& component, std::string& key) {
  const std::size_t start = key.size();
  const FilterExpression& e = component.expression;
  switch (e.Class()) {
    case ValueClass::Integer:
      AppendBigEndian(key, static_cast<std::uint32_t>(e.Integer()) ^ 0x80000000u, 4);
      break;
    case ValueClass::Real: {
      double value = e.Real();
      if (value == 0.0) value = 0.0;  // -0 sorts as 0
      std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
      bits = (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
      AppendBigEndian(key, bits, 8);
      break;
    }
    case ValueClass::String: {
      // Blank padding: trailing blanks do not count. Weights are escaped so
      // that the terminator sorts below every character.
      const auto& weight = Locale().collation;
      for (char c : Clip(e.Text())) {
        const std::uint8_t w = weight[static_cast<unsigned char>(c)];
        if (w <= 1) key.push_back('\x01');
        key.push_back(static_cast<char>(w <= 1 ? w + 1 : w));
      }
      key.push_back('\0');
      break;
    }
  }
  if (component.descending)
    for (std::size_t i = start; i < key.size(); ++i) key[i] = static_cast<char>(~static_cast<unsigned char>(key[i]));
}

}  // namespace zelvo
