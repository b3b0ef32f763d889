#include "storage/dbase/internal/dbase_binding.h"

#include <algorithm>
#include <cmath>

#include "runtime/cp866.h"
#include "runtime/date_time.h"
#include "storage/dbase/internal/dbase_column.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperText(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
  return upper;
}

// "(len)", "(len.dec)", "(len,dec)" and nothing after it.
bool ParseNumberShape(std::string_view text, DbaseColumnRequest& request) {
  if (text.size() < 3 || text.front() != '(' || text.back() != ')') return false;
  text = text.substr(1, text.size() - 2);
  auto number = [](std::string_view digits) -> std::optional<int> {
    if (digits.empty() || digits.size() > 3) return std::nullopt;
    int value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    return value;
  };
  const std::size_t cut = text.find_first_of(".,");
  const std::optional<int> length = number(text.substr(0, cut));
  const std::optional<int> decimals = cut == std::string_view::npos ? 0 : number(text.substr(cut + 1));
  if (!length || !decimals || *length < 1 || *length > 20) return false;
  if (*decimals != 0 && *decimals > *length - 2) return false;
  request.length = static_cast<std::uint16_t>(*length);
  request.decimals = static_cast<std::uint8_t>(*decimals);
  return true;
}

bool Agrees(FieldType type, char column) {
  switch (type) {
    case FieldType::Byte: return column == 'L';
    case FieldType::Date: return column == 'D';
    case FieldType::Long: return column == 'M';
    case FieldType::Real:
    case FieldType::Decimal: return column == 'N' || column == 'F';
    case FieldType::String: return true;
    default: return false;
  }
}

bool SameKind(char a, char b) {
  auto kind = [](char c) { return c == 'F' ? 'N' : c; };
  return kind(a) == kind(b);
}

std::span<const std::uint8_t> ColumnBytes(const DbaseColumn& c, std::span<const std::uint8_t> row) {
  return row.subspan(c.offset, c.length);
}
std::span<std::uint8_t> ColumnBytes(const DbaseColumn& c, std::span<std::uint8_t> row) {
  return row.subspan(c.offset, c.length);
}

// Text between the program (CP1251) and an OEM file; a character the other
// side lacks becomes '?'.
std::uint8_t ToOem(std::uint8_t c) { return c < 0x80 ? c : WindowsCodeToOem(c).value_or('?'); }
std::uint8_t FromOem(std::uint8_t c) { return c < 0x80 ? c : OemCodeToWindows(c).value_or('?'); }

int ReadField(const FieldDeclaration& f, const DbaseColumn& c, std::span<const std::uint8_t> column,
              std::uint8_t* out, bool oem) {
  switch (f.type) {
    case FieldType::String: {
      const std::size_t n = std::min<std::size_t>(f.size, column.size());
      for (std::size_t i = 0; i < n; ++i) out[i] = oem && c.type == 'C' ? FromOem(column[i]) : column[i];
      std::fill(out + n, out + f.size, std::uint8_t{' '});
      return 0;
    }
    case FieldType::Date: {
      const DbaseDate date = ReadDbaseDate(column).value_or(DbaseDate{});
      out[0] = static_cast<std::uint8_t>(date.day);
      out[1] = static_cast<std::uint8_t>(date.month);
      out[2] = static_cast<std::uint8_t>(date.year);
      out[3] = static_cast<std::uint8_t>(date.year >> 8);
      return 0;
    }
    case FieldType::Real: WriteReal(out, ReadDbaseNumber(column).ToDouble()); return 0;
    case FieldType::Decimal:
      return WriteDecimal(f, out, ReadDbaseNumber(column)) == StoreResult::Ok ? 0 : kDbaseBadData;
    case FieldType::Byte: out[0] = ReadDbaseLogical(column); return 0;
    case FieldType::Long:
      return WriteInteger(FieldType::Long, out, ReadDbaseMemoBlock(column)) == StoreResult::Ok ? 0 : kDbaseBadData;
    default: return kDbaseBadData;
  }
}

int WriteField(const FieldDeclaration& f, const DbaseColumn& c, const std::uint8_t* in,
               std::span<std::uint8_t> column, bool oem) {
  switch (f.type) {
    case FieldType::String: {
      std::string_view text(reinterpret_cast<const char*>(in), f.size);
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      if (c.type != 'C') return WriteDbaseColumnText(c, text, column);
      const std::size_t n = std::min(text.size(), column.size());
      for (std::size_t i = 0; i < n; ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        column[i] = oem ? ToOem(byte) : byte;
      }
      std::fill(column.begin() + static_cast<std::ptrdiff_t>(n), column.end(), std::uint8_t{' '});
      return text.size() > column.size() ? kDbaseTextCut : 0;
    }
    case FieldType::Date:
      WriteDbaseDate({in[2] | in[3] << 8, in[1], in[0]}, column);
      return 0;
    case FieldType::Real: {
      const double value = ReadReal(in);
      if (!std::isfinite(value)) return kDbaseBadData;
      return WriteDbaseNumber(c, Decimal::FromDouble(value), column);
    }
    case FieldType::Decimal: return WriteDbaseNumber(c, ReadDecimal(f, in), column);
    case FieldType::Byte: {
      const std::uint8_t value = in[0];
      return WriteDbaseLogical(value == 1 ? '1' : value == 0 ? '0' : static_cast<char>(value), column);
    }
    case FieldType::Long: return WriteDbaseMemoBlock(ReadInteger(FieldType::Long, in), column);
    default: return kDbaseBadData;
  }
}

}  // namespace

std::optional<DbaseColumnRequest> ParseDbaseColumnRequest(const FieldDeclaration& field) {
  std::string_view text = field.externalName.empty() ? field.name : field.externalName;
  if (const std::size_t colon = text.find_last_of(':'); colon != std::string_view::npos)
    text.remove_prefix(colon + 1);
  DbaseColumnRequest request;
  const std::size_t equals = text.find('=');
  request.name = UpperText(text.substr(0, equals));
  if (equals == std::string_view::npos || equals + 1 == text.size()) return request;
  const std::string_view type = text.substr(equals + 1);
  request.type = Upper(type.front());
  const std::string_view rest = type.substr(1);
  switch (request.type) {
    case 'C': request.length = static_cast<std::uint16_t>(field.ElementBytes()); break;
    case 'D': request.length = 8; break;
    case 'L': request.length = 1; break;
    case 'M': request.length = 10; break;
    case 'N':
    case 'F':
      if (!ParseNumberShape(rest, request)) return std::nullopt;
      return request;
    default: return std::nullopt;
  }
  if (!rest.empty()) return std::nullopt;
  return request;
}

DbaseColumnsPlan PlanDbaseColumns(std::span<const FieldDeclaration> fields) {
  DbaseColumnsPlan plan;
  for (const FieldDeclaration& field : fields) {
    if (field.elements != 1) continue;
    std::optional<DbaseColumnRequest> request = ParseDbaseColumnRequest(field);
    if (!request) return {ErrorCode::InvalidFieldTypeDescriptor, {}};
    if (request->type == 0) {
      switch (field.type) {
        case FieldType::Byte: request->type = 'L', request->length = 1; break;
        case FieldType::Date: request->type = 'D', request->length = 8; break;
        case FieldType::Long: request->type = 'M', request->length = 10; break;
        case FieldType::Real: request->type = 'N', request->length = 9, request->decimals = 2; break;
        case FieldType::String:
          request->type = 'C', request->length = static_cast<std::uint16_t>(field.size);
          break;
        default: return {ErrorCode::InvalidFieldTypeDescriptor, {}};
      }
    }
    if (!Agrees(field.type, request->type)) return {ErrorCode::InvalidFieldTypeDescriptor, {}};
    plan.columns.push_back({.name = request->name, .type = request->type, .length = request->length,
                            .decimals = request->decimals});
  }
  return plan;
}

DbaseBindings BindDbaseFields(std::span<const FieldDeclaration> fields, std::span<const DbaseColumn> columns) {
  DbaseBindings result;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDeclaration& field = fields[i];
    if (field.elements != 1) continue;
    const std::optional<DbaseColumnRequest> request = ParseDbaseColumnRequest(field);
    if (!request) return {ErrorCode::InvalidFieldTypeDescriptor, {}};
    const auto found = std::find_if(columns.begin(), columns.end(),
                                    [&](const DbaseColumn& c) { return c.name == request->name; });
    if (found == columns.end()) return {ErrorCode::InvalidRecordDeclaration, {}};
    if (request->type != 0 && !SameKind(request->type, found->type))
      return {ErrorCode::InvalidFieldTypeDescriptor, {}};
    if (!Agrees(field.type, found->type)) return {ErrorCode::InvalidFieldTypeDescriptor, {}};
    result.bindings.push_back({i, static_cast<std::size_t>(found - columns.begin())});
  }
  return result;
}

int ReadDbaseRow(std::span<const FieldDeclaration> fields, std::span<const DbaseColumn> columns,
                 std::span<const DbaseBinding> bindings, std::span<const std::uint8_t> row,
                 std::span<std::uint8_t> record, bool oem) {
  for (const DbaseBinding& b : bindings) {
    const FieldDeclaration& f = fields[b.field];
    const DbaseColumn& c = columns[b.column];
    if (const int code = ReadField(f, c, ColumnBytes(c, row), record.data() + f.offset, oem); code != 0)
      return code;
  }
  return 0;
}

int WriteDbaseRow(std::span<const FieldDeclaration> fields, std::span<const DbaseColumn> columns,
                  std::span<const DbaseBinding> bindings, std::span<const std::uint8_t> record,
                  std::span<std::uint8_t> row, bool oem) {
  int status = 0;
  for (const DbaseBinding& b : bindings) {
    const FieldDeclaration& f = fields[b.field];
    const DbaseColumn& c = columns[b.column];
    const int code = WriteField(f, c, record.data() + f.offset, ColumnBytes(c, row), oem);
    if (code < 0) return code;
    if (code != 0) status = code;
  }
  return status;
}

}  // namespace zelvo
