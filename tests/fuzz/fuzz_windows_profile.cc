// Arbitrary bytes as the Windows profile: parsing never fails hard and every
// lookup answers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/cp1251.h"
#include "runtime/windows_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  const auto profile = WindowsProfile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const char* section : {"intl", "ZRQUILLSET", "ZRdBase4", "ZRASCII", "ZRVIEW", "a", ""}) {
    for (const char* key : {"iTime", "sTime", "Trace", "a", ""}) {
      (void)profile.GetString(section, key, "-");
      (void)profile.GetInt(section, key, 7);
      if (!profile.Has(section, key) && profile.GetInt(section, key, 7) != 7) __builtin_trap();
    }
  }
  for (const ProfileProblem& problem : profile.Problems()) {
    if (problem.line < 1 || !IsValidUtf8(problem.text)) __builtin_trap();
  }
  return 0;
}
