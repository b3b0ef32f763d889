#include "storage/field_declaration.h"

namespace zelvo {

std::string_view FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Byte: return "BYTE";
    case FieldType::Short: return "SHORT";
    case FieldType::UShort: return "USHORT";
    case FieldType::Long: return "LONG";
    case FieldType::ULong: return "ULONG";
    case FieldType::Real: return "REAL";
    case FieldType::Date: return "DATE";
    case FieldType::Time: return "TIME";
    case FieldType::Decimal: return "DECIMAL";
    case FieldType::String: return "STRING";
    case FieldType::CString: return "CSTRING";
    case FieldType::PString: return "PSTRING";
  }
  return "";
}

}  // namespace zelvo
