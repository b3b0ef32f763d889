// Typed field handles: `NBA.SUMM`, `BAS.FAM`, `SDE.NUM.At(i)`.
//
// A handle names one field of one layout (its offset and declaration, fixed at
// compile time) and reads or writes that field in any RecordBuffer of the same
// layout, so the same code runs over a table's own buffer and over records
// held in memory. Handles are constexpr values generated from the layout
// (storage/declare_fields.h); they hold no state and are free to copy.
//
//     Decimal pay = NBA.SUMM.Get(record);
//     if (NBA.SUMM.Set(record, pay + bonus) == StoreResult::Overflow) ...  // record unchanged
//     SDE.NUM.At(0).Get(job)                                                // first row
//
// Writes never wrap or lose digits silently: a value outside the field's range
// (an integer beyond its type, a decimal whose integer part needs more digits
// than the field has, a date or time that is not one, a text longer than the
// field) is refused with StoreResult::Overflow and the field keeps its bytes.
// A decimal is rounded half away from zero to the field's places first. Texts
// that may be cut on purpose (composed addresses and names) use SetCut.
//
// REQUIRES: the buffer is of the handle's layout and an element index is below
// Count(). Both are checked: in a debug build they assert; otherwise a read
// gives the cleared value and a write is refused, so a mistake never touches
// bytes outside the field.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "storage/field_codec.h"
#include "storage/field_declaration.h"
#include "storage/record_buffer.h"

namespace zelvo {

class FieldHandle {
 public:
  constexpr FieldHandle(std::span<const FieldDeclaration> layout, std::size_t index)
      : layout_(layout.data()), field_(&layout[index]), offset_(layout[index].offset) {}

  constexpr const FieldDeclaration& Declaration() const { return *field_; }
  constexpr std::string_view Name() const { return field_->name; }
  // The 1-based field number that keys, rules and checks use.
  constexpr std::size_t Number() const { return static_cast<std::size_t>(field_ - layout_) + 1; }

  // Gives the element (or, for an array handle, every element) its cleared value.
  void Clear(RecordBuffer& record) const {
    if (std::uint8_t* bytes = Element(record)) ClearElement(*field_, bytes);
  }
  // The value as a field rule compares it (storage/field_codec.h ValueText).
  std::string ValueText(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? zelvo::ValueText(*field_, bytes) : std::string{};
  }
  // Stores a value written as ValueText writes it (storage/field_codec.h AssignText).
  StoreResult AssignText(RecordBuffer& record, std::string_view text) const {
    std::uint8_t* bytes = Element(record);
    return bytes ? zelvo::AssignText(*field_, bytes, text) : StoreResult::Overflow;
  }

 protected:
  static constexpr std::uint32_t kOutside = std::numeric_limits<std::uint32_t>::max();

  // Element `index` of this field; an index beyond the field gives a handle
  // that refuses every access.
  constexpr FieldHandle ElementHandle(std::size_t index) const {
    FieldHandle element = *this;
    element.offset_ = index < field_->elements
                          ? offset_ + static_cast<std::uint32_t>(index) * field_->ElementBytes()
                          : kOutside;
    return element;
  }

  // The element's bytes; nullptr when the buffer is of another layout or the
  // element lies outside the field.
  const std::uint8_t* Element(const RecordBuffer& record) const {
    const bool usable = record.Layout().data() == layout_ && offset_ != kOutside;
    assert(usable && "field handle used on a record of another layout, or element out of range");
    return usable ? record.Bytes().data() + offset_ : nullptr;
  }
  std::uint8_t* Element(RecordBuffer& record) const {
    return const_cast<std::uint8_t*>(Element(static_cast<const RecordBuffer&>(record)));
  }

  const FieldDeclaration* layout_;
  const FieldDeclaration* field_;
  std::uint32_t offset_;
};

template <FieldType T>
class IntegerField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;
  constexpr explicit IntegerField(FieldHandle handle) : FieldHandle(handle) {}

  std::int64_t Get(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? ReadInteger(T, bytes) : 0;
  }
  StoreResult Set(RecordBuffer& record, std::int64_t value) const {
    std::uint8_t* bytes = Element(record);
    return bytes ? WriteInteger(T, bytes, value) : StoreResult::Overflow;
  }
};

class RealField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;
  constexpr explicit RealField(FieldHandle handle) : FieldHandle(handle) {}

  double Get(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? ReadReal(bytes) : 0.0;
  }
  // Every double fits; refused only on a wrong buffer.
  StoreResult Set(RecordBuffer& record, double value) const {
    std::uint8_t* bytes = Element(record);
    if (!bytes) return StoreResult::Overflow;
    WriteReal(bytes, value);
    return StoreResult::Ok;
  }
};

class DecimalField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;
  constexpr explicit DecimalField(FieldHandle handle) : FieldHandle(handle) {}

  Decimal Get(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? ReadDecimal(*field_, bytes) : Decimal{};
  }
  StoreResult Set(RecordBuffer& record, const Decimal& value) const {
    std::uint8_t* bytes = Element(record);
    return bytes ? WriteDecimal(*field_, bytes, value) : StoreResult::Overflow;
  }
};

class DateField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;
  constexpr explicit DateField(FieldHandle handle) : FieldHandle(handle) {}

  DayNumber Get(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? ReadDate(bytes) : kNoDate;
  }
  StoreResult Set(RecordBuffer& record, DayNumber day) const {
    std::uint8_t* bytes = Element(record);
    return bytes ? WriteDate(bytes, day) : StoreResult::Overflow;
  }
};

class TimeField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;
  constexpr explicit TimeField(FieldHandle handle) : FieldHandle(handle) {}

  TimeValue Get(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? ReadTime(bytes) : kNoTime;
  }
  StoreResult Set(RecordBuffer& record, TimeValue time) const {
    std::uint8_t* bytes = Element(record);
    return bytes ? WriteTime(bytes, time) : StoreResult::Overflow;
  }
};

// STRING, CSTRING and PSTRING fields; texts are CP1251.
template <FieldType T>
class TextField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;
  constexpr explicit TextField(FieldHandle handle) : FieldHandle(handle) {}

  // STRING: all its bytes, padding included; CSTRING, PSTRING: the text held.
  std::string Get(const RecordBuffer& record) const {
    const std::uint8_t* bytes = Element(record);
    return bytes ? ReadText(*field_, bytes) : std::string{};
  }
  // Trailing blanks removed.
  std::string Clipped(const RecordBuffer& record) const { return std::string(Clip(Get(record))); }
  StoreResult Set(RecordBuffer& record, std::string_view text) const {
    std::uint8_t* bytes = Element(record);
    return bytes ? WriteText(*field_, bytes, text) : StoreResult::Overflow;
  }
  // Stores as much of the text as the field holds.
  void SetCut(RecordBuffer& record, std::string_view text) const {
    if (std::uint8_t* bytes = Element(record)) (void)WriteText(*field_, bytes, text, TextFit::Cut);
  }
};

// A DIM field: At(i) is the handle of element i, counted from 0.
template <class Item>
class ArrayField : public FieldHandle {
 public:
  using FieldHandle::FieldHandle;

  constexpr std::size_t Count() const { return field_->elements; }
  constexpr Item At(std::size_t index) const { return Item(ElementHandle(index)); }
  constexpr Item operator[](std::size_t index) const { return At(index); }

  void Clear(RecordBuffer& record) const {
    for (std::size_t i = 0; i < Count(); ++i) At(i).Clear(record);
  }
};

namespace field_handle_detail {
template <FieldType T> struct ScalarOf { using type = IntegerField<T>; };
template <> struct ScalarOf<FieldType::Real> { using type = RealField; };
template <> struct ScalarOf<FieldType::Decimal> { using type = DecimalField; };
template <> struct ScalarOf<FieldType::Date> { using type = DateField; };
template <> struct ScalarOf<FieldType::Time> { using type = TimeField; };
template <> struct ScalarOf<FieldType::String> { using type = TextField<FieldType::String>; };
template <> struct ScalarOf<FieldType::CString> { using type = TextField<FieldType::CString>; };
template <> struct ScalarOf<FieldType::PString> { using type = TextField<FieldType::PString>; };
}  // namespace field_handle_detail

// The handle type of a declared field: its scalar handle, or an array of them.
template <FieldType T, std::size_t Elements>
using HandleFor = std::conditional_t<Elements == 1, typename field_handle_detail::ScalarOf<T>::type,
                                     ArrayField<typename field_handle_detail::ScalarOf<T>::type>>;

}  // namespace zelvo
