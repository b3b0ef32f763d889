#include "platform/field_binding.h"

#include "storage/field_codec.h"

namespace zelvo {
namespace {

bool IsText(FieldType type) {
  return type == FieldType::String || type == FieldType::CString || type == FieldType::PString;
}

}  // namespace

Decimal FieldBinding::Number() const {
  if (IsText(Declaration().type)) return Decimal{};
  return Decimal::Parse(ValueText());
}

bool FieldBinding::Assign(std::string_view valueText) const {
  return field_->AssignText(*record_, valueText) == StoreResult::Ok;
}

std::string FieldBinding::Show(const Picture& picture) const {
  if (IsText(Declaration().type)) return picture.FormatText(ValueText());
  return picture.Format(Number());
}

bool FieldBinding::Take(const Picture& picture, std::string_view typed, std::string* why) const {
  PictureError error;
  std::optional<PictureValue> value = picture.Deformat(typed, &error);
  if (!value) {
    if (why) *why = error.message;
    return false;
  }
  const bool stored = IsText(Declaration().type) ? Assign(value->text) : Assign(value->number.ToString());
  if (!stored && why) *why = "the value does not fit the field";
  return stored;
}

}  // namespace zelvo
