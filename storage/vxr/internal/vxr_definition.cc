#include "storage/vxr/internal/vxr_definition.h"

#include <algorithm>

#include "storage/vxr/internal/vxr_key.h"
#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo {
namespace {

constexpr std::uint8_t kDecimal = 10;
constexpr std::uint8_t kPrimaryBit = 0x10;

std::uint8_t TypeCode(FieldType t) {
  switch (t) {
    case FieldType::Byte: return 1;
    case FieldType::Short: return 2;
    case FieldType::UShort: return 3;
    case FieldType::Date: return 4;
    case FieldType::Time: return 5;
    case FieldType::Long: return 6;
    case FieldType::ULong: return 7;
    case FieldType::Real: return 9;
    case FieldType::Decimal: return kDecimal;
    case FieldType::String: return 18;
    case FieldType::CString: return 19;
    case FieldType::PString: return 20;
  }
  return 0;
}

bool IsTextCode(std::uint8_t code) { return code >= 18 && code <= 20; }
bool IsKnownCode(std::uint8_t code) { return (code >= 1 && code <= 10) || IsTextCode(code) || code == 22; }

class Writer {
 public:
  void Byte(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void Number(std::size_t v) {
    Byte(static_cast<std::uint8_t>(v & 0xFF));
    Byte(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  void Text(const VxrDefinition::Text& t) {
    if (t.absent || t.bytes.empty()) {
      Byte(0);
      Byte(t.absent ? 1 : 0);
      return;
    }
    out_ += t.bytes;
    Byte(0);
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool Byte(std::uint8_t& v) {
    if (pos_ >= in_.size()) return false;
    v = static_cast<std::uint8_t>(in_[pos_++]);
    return true;
  }
  bool Number(std::uint16_t& v) {
    std::uint8_t lo = 0, hi = 0;
    if (!Byte(lo) || !Byte(hi)) return false;
    v = static_cast<std::uint16_t>(lo | hi << 8);
    return true;
  }
  bool Text(VxrDefinition::Text& t) {
    const std::size_t end = in_.find('\0', pos_);
    if (end == std::string_view::npos) return false;
    t.bytes.assign(in_.substr(pos_, end - pos_));
    pos_ = end + 1;
    t.absent = false;
    if (!t.bytes.empty()) return true;
    std::uint8_t mark = 0;
    if (!Byte(mark) || mark > 1) return false;
    t.absent = mark == 1;
    return true;
  }
  bool AtEnd() const { return pos_ == in_.size(); }

 private:
  std::string_view in_;
  std::size_t pos_ = 0;
};

}  // namespace

VxrDefinition VxrDefinitionOf(std::span<const FieldDeclaration> fields,
                              std::span<const KeyDeclaration> keys) {
  VxrDefinition d;
  std::size_t size = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDeclaration& f = fields[i];
    VxrDefinition::Field out;
    out.type = TypeCode(f.type);
    out.offset = static_cast<std::uint16_t>(f.offset);
    out.name.bytes = std::string(f.name);
    out.elements = f.elements;
    out.size = static_cast<std::uint16_t>(f.Bytes());
    out.position = static_cast<std::uint16_t>(i);
    if (f.type == FieldType::Decimal) {
      out.digits = static_cast<std::uint8_t>(f.size);
      out.places = f.places;
    }
    if (IsTextType(f.type)) out.picture.absent = true;
    d.fields.push_back(std::move(out));
    size = std::max<std::size_t>(size, f.offset + f.Bytes());
  }
  d.recordSize = static_cast<std::uint16_t>(size);
  for (const KeyDeclaration& k : keys) {
    VxrDefinition::Key out;
    out.externalName.absent = true;
    out.label.bytes = std::string(k.name);
    out.attributes = StoredKeyAttributes(k);
    for (const KeyComponent& c : k.Components()) {
      const auto it = std::find_if(fields.begin(), fields.end(),
                                   [&](const FieldDeclaration& f) { return f.name == c.field; });
      out.components.push_back({static_cast<std::uint16_t>(it - fields.begin()),
                                static_cast<std::uint16_t>(c.ascending ? 0 : 1)});
    }
    d.keys.push_back(std::move(out));
  }
  return d;
}

std::string EncodeVxrDefinition(const VxrDefinition& d) {
  Writer w;
  w.Number(d.version);
  w.Number(d.recordSize);
  w.Number(d.fields.size());
  w.Number(d.memos.size());
  w.Number(d.keys.size());
  for (const VxrDefinition::Field& f : d.fields) {
    w.Byte(f.type);
    w.Number(f.offset);
    w.Text(f.name);
    w.Number(f.elements);
    w.Number(f.size);
    w.Number(f.overlay);
    w.Number(f.position);
    if (f.type == kDecimal) {
      w.Byte(f.digits);
      w.Byte(f.places);
    } else if (IsTextCode(f.type)) {
      w.Number(f.textValue);
      w.Text(f.picture);
    }
  }
  for (const VxrDefinition::Memo& m : d.memos) {
    w.Text(m.externalName);
    w.Text(m.label);
    w.Number(m.size);
    w.Number(m.flags);
  }
  for (const VxrDefinition::Key& k : d.keys) {
    w.Text(k.externalName);
    w.Text(k.label);
    w.Byte(k.attributes);
    w.Number(k.components.size());
    for (const VxrDefinition::Component& c : k.components) {
      w.Number(c.field);
      w.Number(c.flags);
    }
  }
  return w.Take();
}

std::optional<VxrDefinition> DecodeVxrDefinition(std::string_view stream) {
  Reader r(stream);
  VxrDefinition d;
  std::uint16_t fields = 0, memos = 0, keys = 0;
  if (!r.Number(d.version) || !r.Number(d.recordSize) || !r.Number(fields) || !r.Number(memos) ||
      !r.Number(keys)) {
    return std::nullopt;
  }
  // Every entry takes some bytes: a count beyond the stream is damage, not a reason to allocate.
  if (std::size_t{fields} + memos + keys > stream.size()) return std::nullopt;
  for (std::uint16_t i = 0; i < fields; ++i) {
    VxrDefinition::Field f;
    if (!r.Byte(f.type) || !IsKnownCode(f.type) || !r.Number(f.offset) || !r.Text(f.name) ||
        !r.Number(f.elements) || !r.Number(f.size) || !r.Number(f.overlay) || !r.Number(f.position)) {
      return std::nullopt;
    }
    if (f.type == kDecimal && (!r.Byte(f.digits) || !r.Byte(f.places))) return std::nullopt;
    if (IsTextCode(f.type) && (!r.Number(f.textValue) || !r.Text(f.picture))) return std::nullopt;
    d.fields.push_back(std::move(f));
  }
  for (std::uint16_t i = 0; i < memos; ++i) {
    VxrDefinition::Memo m;
    if (!r.Text(m.externalName) || !r.Text(m.label) || !r.Number(m.size) || !r.Number(m.flags)) {
      return std::nullopt;
    }
    d.memos.push_back(std::move(m));
  }
  for (std::uint16_t i = 0; i < keys; ++i) {
    VxrDefinition::Key k;
    std::uint16_t count = 0;
    if (!r.Text(k.externalName) || !r.Text(k.label) || !r.Byte(k.attributes) || !r.Number(count) ||
        count > stream.size()) {
      return std::nullopt;
    }
    for (std::uint16_t c = 0; c < count; ++c) {
      VxrDefinition::Component comp;
      if (!r.Number(comp.field) || !r.Number(comp.flags)) return std::nullopt;
      k.components.push_back(comp);
    }
    d.keys.push_back(std::move(k));
  }
  if (!r.AtEnd()) return std::nullopt;
  return d;
}

VxrDefinitionMatch CompareVxrDefinitions(const VxrDefinition& a, const VxrDefinition& b) {
  using M = VxrDefinitionMatch;
  if (a.version != b.version || a.recordSize != b.recordSize || a.fields.size() != b.fields.size() ||
      a.memos.size() != b.memos.size() || a.keys.size() != b.keys.size()) {
    return M::Different;
  }
  bool names = false;
  for (std::size_t i = 0; i < a.fields.size(); ++i) {
    const auto& x = a.fields[i];
    const auto& y = b.fields[i];
    if (x.type != y.type || x.offset != y.offset || x.elements != y.elements || x.size != y.size ||
        x.overlay != y.overlay || x.position != y.position || x.digits != y.digits ||
        x.places != y.places) {
      return M::Different;
    }
    names |= !(x.name == y.name) || x.textValue != y.textValue || !(x.picture == y.picture);
  }
  for (std::size_t i = 0; i < a.memos.size(); ++i) {
    const auto& x = a.memos[i];
    const auto& y = b.memos[i];
    if (x.size != y.size || x.flags != y.flags) return M::Different;
    names |= !(x.externalName == y.externalName) || !(x.label == y.label);
  }
  for (std::size_t i = 0; i < a.keys.size(); ++i) {
    const auto& x = a.keys[i];
    const auto& y = b.keys[i];
    if ((x.attributes & ~kPrimaryBit) != (y.attributes & ~kPrimaryBit) || x.components != y.components) {
      return M::Different;
    }
    names |= !(x.externalName == y.externalName) || !(x.label == y.label);
  }
  return names ? M::NamesOnly : M::Same;
}

std::string VxrDefinitionChunkKey(std::uint32_t table, std::uint16_t chunk) {
  std::string key;
  AppendBigEndian32(key, table);
  key.push_back(static_cast<char>(kVxrDefinitionMark));
  key.push_back(static_cast<char>(chunk & 0xFF));
  key.push_back(static_cast<char>(chunk >> 8));
  return key;
}

}  // namespace zelvo
