// Arbitrary bytes as UTF-8 and as CP1251: conversions round-trip and a
// failure points at the first byte that cannot be converted.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/cp1251.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Every byte string is CP1251 text and comes back unchanged.
  const std::string utf8 = Cp1251ToUtf8(bytes);
  Check(IsValidUtf8(utf8));
  const auto back = Utf8ToCp1251(utf8);
  Check(back && *back == bytes);

  Utf8Error error;
  if (const auto cp1251 = Utf8ToCp1251(bytes, &error)) {
    Check(IsValidUtf8(bytes) && Cp1251ToUtf8(*cp1251) == bytes);
  } else {
    Check(error.offset < size);
    if (error.codePoint == 0) Check(!IsValidUtf8(bytes));
    if (error.codePoint != 0) Check(!UnicodeToCp1251(error.codePoint));
    // Everything before the offending character converts.
    Check(Utf8ToCp1251(bytes.substr(0, error.offset)).has_value());
    Check(IsValidUtf8(error.Message()));
  }
  return 0;
}
