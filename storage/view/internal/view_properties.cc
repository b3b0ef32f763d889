// GET_PROPERTY and SET_PROPERTY of a view: the filter and order texts, the
// positioning values, the flag byte, the FILEs and the fields read.
#include <cstdlib>

#include "storage/view/internal/view_state.h"

namespace zelvo {
namespace {

constexpr std::uint32_t kFilterProperty = 0x7CB8;
constexpr std::uint32_t kOrderProperty = 0x7CE6;
constexpr std::uint32_t kPositioningProperty = 0x7345;
constexpr std::uint32_t kFlagProperty = 0x7327;
constexpr std::uint32_t kFileCountProperty = 0x7325;
constexpr std::uint32_t kFileProperty = 0x7326;
constexpr std::uint32_t kFieldCountProperty = 0x7312;
constexpr std::uint32_t kFieldProperty = 0x731F;
constexpr std::uint32_t kFieldNameProperty = 0x734A;

// "0x7345[2]=value" -> number 0x7345, index 2, value.
struct PropertyText {
  std::uint32_t number = 0;
  std::size_t index = 0;
  std::optional<std::string> value;
};

std::optional<PropertyText> ParseProperty(std::string_view text) {
  PropertyText p;
  const std::size_t equals = text.find('=');
  if (equals != std::string_view::npos) p.value = std::string(text.substr(equals + 1));
  std::string head(text.substr(0, equals));
  if (const std::size_t open = head.find('['); open != std::string::npos) {
    const std::size_t close = head.find(']', open);
    if (close == std::string::npos) return std::nullopt;
    char* end = nullptr;
    const std::string index = head.substr(open + 1, close - open - 1);
    p.index = static_cast<std::size_t>(std::strtoul(index.c_str(), &end, 10));
    if (index.empty() || *end != '\0') return std::nullopt;
    head.erase(open);
  }
  char* end = nullptr;
  p.number = static_cast<std::uint32_t>(std::strtoul(head.c_str(), &end, 0));
  if (head.empty() || *end != '\0') return std::nullopt;
  return p;
}

struct ReadField {
  std::string_view prefix, name;
};

// The fields the view reads: each FILE's projection, or all its fields.
std::vector<ReadField> FieldsRead(const ViewDeclaration& d) {
  std::vector<ReadField> out;
  auto add = [&](const ViewFile& f, const std::vector<std::string_view>& projection) {
    if (!projection.empty()) {
      for (std::string_view name : projection) {
        if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
        out.push_back({f.prefix, name});
      }
      return;
    }
    for (const FieldDeclaration& field : f.file->Record().Layout()) out.push_back({f.prefix, field.name});
  };
  add(d.primary, d.projection);
  auto walk = [&](auto& self, const std::vector<ViewJoin>& joins) -> void {
    for (const ViewJoin& j : joins) {
      add(j.file, j.projection);
      self(self, j.joins);
    }
  };
  walk(walk, d.joins);
  return out;
}

}  // namespace

ErrorCode ViewState::Property(bool set, std::string_view text, OperationAnswer& answer) {
  const std::optional<PropertyText> p = ParseProperty(text);
  if (!p) return ErrorCode::UnsupportedFileDriverFunction;
  if (set && !p->value) return ErrorCode::InvalidNumberOfParameters;
  switch (p->number) {
    case kFilterProperty:
      if (!set) return answer.text = filterText_, ErrorCode::Ok;
      filterText_ = *p->value;
      plan_.reset();
      return ErrorCode::Ok;
    case kOrderProperty:
      if (!set) return answer.text = orderText_, ErrorCode::Ok;
      orderText_ = *p->value;
      order_ = CompileOrder(orderText_);
      orderGiven_ = true;
      captured_.assign(order_.size(), std::nullopt);
      capturedCount_ = 0;
      plan_.reset();
      return ErrorCode::Ok;
    case kPositioningProperty: {
      if (p->index < 1 || p->index > order_.size()) return ErrorCode::InvalidNumberOfParameters;
      const std::size_t i = p->index - 1;
      if (captured_.size() < order_.size()) captured_.resize(order_.size());
      if (set) {
        captured_[i] = CapturedValue::OfText(*p->value);
        capturedCount_ = std::max(capturedCount_, p->index);
      } else {
        answer.text = captured_[i] ? captured_[i]->text : order_[i].text;
      }
      return ErrorCode::Ok;
    }
    case kFlagProperty:
      if (set) flags_ = static_cast<std::uint8_t>(std::strtoul(p->value->c_str(), nullptr, 0));
      else answer.text = std::to_string(flags_);
      return ErrorCode::Ok;
    case kFileCountProperty:
      if (set) return ErrorCode::UnsupportedFileDriverFunction;
      answer.text = std::to_string(files_.size());
      return ErrorCode::Ok;
    case kFileProperty:
      if (set || p->index < 1 || p->index > files_.size()) return ErrorCode::InvalidNumberOfParameters;
      answer.text = files_[p->index - 1].file->Name();
      return ErrorCode::Ok;
    case kFieldCountProperty:
      if (set) return ErrorCode::UnsupportedFileDriverFunction;
      answer.text = std::to_string(FieldsRead(declaration_).size());
      return ErrorCode::Ok;
    case kFieldProperty:
    case kFieldNameProperty: {
      const std::vector<ReadField> fields = FieldsRead(declaration_);
      if (set || p->index < 1 || p->index > fields.size()) return ErrorCode::InvalidNumberOfParameters;
      const ReadField& f = fields[p->index - 1];
      answer.text = p->number == kFieldProperty ? std::string(f.prefix) + ":" + std::string(f.name)
                                                : std::string(f.name);
      return ErrorCode::Ok;
    }
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

}  // namespace zelvo
