// Arbitrary bytes through the run-length compression of page records: the
// decoder never reads or writes out of bounds and answers exactly the bytes
// expected or nothing; compressing any bytes gives a smaller text that
// decodes back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "storage/vxr/internal/vxr_run_length.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (size >= 2) {
    const std::size_t expected = (std::size_t{data[0]} << 8 | data[1]) % 0x3B00;
    if (const auto decoded = DecompressVxrRuns(bytes.substr(2), expected)) {
      Check(decoded->size() == expected);
    }
  }
  if (const auto compressed = CompressVxrRuns(bytes)) {
    Check(compressed->size() < bytes.size());
    const auto back = DecompressVxrRuns(*compressed, bytes.size());
    Check(back && *back == bytes);
  }
  return 0;
}
