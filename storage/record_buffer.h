// RecordBuffer: the bytes of one record of a declared layout, exactly as the
// drivers store them (fields end to end, no padding).
//
// A buffer is bound to its layout for life and owns its bytes; it copies as a
// value (a saved copy of a record is just a copy of the buffer). A new buffer
// is cleared. Clear() gives every field the value of a cleared record: numbers,
// decimals, dates and times zero, STRING fields all blanks, CSTRING and
// PSTRING fields empty (zero bytes).
//
// Typed reading and writing goes through field handles (storage/field_handle.h);
// Bytes() is for the drivers. Not thread-safe: like all program state, a
// buffer is touched only by the thread holding the run token.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "storage/field_declaration.h"

namespace zelvo {

class RecordBuffer {
 public:
  explicit RecordBuffer(std::span<const FieldDeclaration> layout);

  std::span<const FieldDeclaration> Layout() const { return layout_; }
  std::size_t Size() const { return bytes_.size(); }
  std::span<std::uint8_t> Bytes() { return bytes_; }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

  void Clear();
  // Clears field `index` (all its elements). An index outside the layout is ignored.
  void ClearField(std::size_t index);

  // Same layout and same bytes.
  friend bool operator==(const RecordBuffer& a, const RecordBuffer& b) {
    return a.layout_.data() == b.layout_.data() && a.bytes_ == b.bytes_;
  }

 private:
  std::span<const FieldDeclaration> layout_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace zelvo
