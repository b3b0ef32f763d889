#include "storage/vxr/internal/vxr_oem_text.h"

#include <algorithm>
#include <optional>

#include "runtime/cp866.h"

namespace zelvo {

void ConvertVxrText(std::span<const FieldDeclaration> fields, std::span<std::uint8_t> record,
                    VxrTextDirection direction) {
  auto convert = [direction](std::uint8_t& byte) {
    const std::optional<std::uint8_t> other =
        direction == VxrTextDirection::ToOem ? WindowsCodeToOem(byte) : OemCodeToWindows(byte);
    if (other) byte = *other;
  };
  for (const FieldDeclaration& f : fields) {
    if (!IsTextType(f.type)) continue;
    const std::size_t size = f.ElementBytes();
    for (std::size_t e = 0; e < f.elements; ++e) {
      const std::size_t start = f.offset + e * size;
      if (start + size > record.size()) return;
      std::span<std::uint8_t> text = record.subspan(start, size);
      if (f.type == FieldType::CString) {
        text = text.first(static_cast<std::size_t>(std::find(text.begin(), text.end(), 0) - text.begin()));
      } else if (f.type == FieldType::PString) {
        text = text.subspan(1, std::min<std::size_t>(text[0], size - 1));
      }
      for (std::uint8_t& byte : text) convert(byte);
    }
  }
}

}  // namespace zelvo
