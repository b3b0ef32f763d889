#include "storage/record_buffer.h"

#include "storage/field_codec.h"

namespace zelvo {

RecordBuffer::RecordBuffer(std::span<const FieldDeclaration> layout)
    : layout_(layout), bytes_(RecordSize(layout)) {
  Clear();
}

void RecordBuffer::Clear() {
  for (std::size_t i = 0; i < layout_.size(); ++i) ClearField(i);
}

void RecordBuffer::ClearField(std::size_t index) {
  if (index >= layout_.size()) return;
  const FieldDeclaration& field = layout_[index];
  for (std::uint32_t e = 0; e < field.elements; ++e)
    ClearElement(field, bytes_.data() + field.offset + e * field.ElementBytes());
}

}  // namespace zelvo
