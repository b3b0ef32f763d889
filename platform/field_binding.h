// FieldBinding: where a control's value lives — one field, or one element of
// an array field, of a record buffer: a table's buffer (`DNI:DATA`), the
// program-wide variables (`dat`), or a procedure's own local values declared
// as a layout of their own (`DOLGL`). A control shows its value through its
// picture and reads typed text back through the same picture.
//
//     FieldBinding date("DNI:DATA", dni.Record(), DNI.DATA);
//     date.Show(*Picture::Parse("@d6."))           == " 1.03.2004"
//     date.Take(*Picture::Parse("@d6."), "1.4.04")  -> true, the field holds 1 April 2004
//     date.Take(picture, "31.02.2004")              -> false, the field keeps its value
//
// The binding holds references: the record must outlive it. Used only by the
// run token's holder, like every record buffer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/decimal.h"
#include "runtime/picture.h"
#include "storage/field_handle.h"
#include "storage/record_buffer.h"

namespace zelvo {

class FieldBinding {
 public:
  FieldBinding() = default;  // bound to nothing
  // `name` is how scripts, tests and messages name the value: "PREFIX:NAME"
  // for a table field, "PREFIX:NAME[i]" (1-based) for an element, the bare
  // name for a variable.
  FieldBinding(std::string name, RecordBuffer& record, FieldHandle field)
      : name_(std::move(name)), record_(&record), field_(field) {}

  bool IsBound() const { return record_ != nullptr; }
  const std::string& Name() const { return name_; }
  // REQUIRES: IsBound() for the rest.
  const FieldDeclaration& Declaration() const { return field_->Declaration(); }
  RecordBuffer& Record() const { return *record_; }

  // The value as a field rule compares it (numbers in their shortest form,
  // dates and times as their numbers, texts clipped).
  std::string ValueText() const { return field_->ValueText(*record_); }
  // The value as a number: numeric fields, dates and times; 0 for a text
  // that is no number.
  Decimal Number() const;
  // Stores a value written as ValueText writes it; false (field unchanged)
  // when the field cannot hold it.
  bool Assign(std::string_view valueText) const;

  // The value shown through `picture`: exactly picture.width() characters.
  std::string Show(const Picture& picture) const;
  // Reads `typed` through `picture` and stores the value. False, with the
  // field unchanged, when the picture cannot read the text or the field
  // cannot hold the value; `why` then says which (UTF-8).
  bool Take(const Picture& picture, std::string_view typed, std::string* why = nullptr) const;

 private:
  std::string name_;
  RecordBuffer* record_ = nullptr;
  std::optional<FieldHandle> field_;
};

}  // namespace zelvo
