#include "storage/filter/filter_bindings.h"

#include <algorithm>

#include "runtime/locale.h"

namespace zelvo {
namespace {

bool IsNameCharacter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || Locale().IsAlpha(c);
}

}  // namespace

bool FilterBindings::NameOrder::operator()(const std::string& a, const std::string& b) const {
  const auto& weight = Locale().collation;
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
    return weight[static_cast<unsigned char>(x)] < weight[static_cast<unsigned char>(y)];
  });
}

std::string FilterBindings::Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    const auto u = static_cast<unsigned char>(c);
    c = static_cast<char>(u >= 'a' && u <= 'z' ? u - 'a' + 'A' : Locale().Upper(u));
  }
  return folded;
}

std::string_view FilterBindings::NamePart(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && IsNameCharacter(static_cast<unsigned char>(text[n]))) ++n;
  if (n < text.size() && (text[n] == '#' || text[n] == '$' || text[n] == '"')) ++n;
  return text.substr(0, n);
}

void FilterBindings::Push(bool stop) { scopes_.push_back(Scope{stop, {}}); }

ErrorCode FilterBindings::Pop() {
  if (scopes_.empty()) return ErrorCode::MismatchedScope;
  scopes_.pop_back();
  return ErrorCode::Ok;
}

void FilterBindings::Bind(std::string_view name, const FieldDeclaration& declaration,
                          const std::uint8_t* bytes) {
  name = NamePart(name);
  if (name.empty()) return;
  if (scopes_.empty()) Push();
  Entry entry;
  entry.name.declaration = &declaration;
  entry.name.bytes = bytes;
  scopes_.back().names[Folded(name)] = entry;
}

void FilterBindings::BindRecord(std::string_view prefix, const RecordBuffer& record) {
  const std::uint8_t* base = record.Bytes().data();
  for (const FieldDeclaration& field : record.Layout())
    Bind(std::string(prefix) + ":" + std::string(field.name), field, base + field.offset);
}

void FilterBindings::BindCallable(std::string_view name, BoundCallable callable) {
  name = NamePart(name);
  if (name.empty()) return;
  if (scopes_.empty()) Push();
  // Callables live as long as the bindings: a compiled expression may call
  // one after its scope was popped.
  callables_.push_back(std::make_unique<BoundCallable>(std::move(callable)));
  Entry entry;
  entry.name.kind = BoundName::Kind::Callable;
  entry.name.callable = callables_.back().get();
  scopes_.back().names[Folded(name)] = entry;
}

std::optional<BoundName> FilterBindings::Find(std::string_view name) const {
  const std::string folded = Folded(name);
  for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
    if (auto it = scope->names.find(folded); it != scope->names.end()) return it->second.name;
    if (scope->stop) break;
  }
  return std::nullopt;
}

FilterBindings& CurrentBindings() {
  thread_local FilterBindings bindings;
  return bindings;
}

}  // namespace zelvo
