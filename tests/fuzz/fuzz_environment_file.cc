// Arbitrary bytes as an environment file: loading never fails hard, and the
// tables it leaves are consistent whatever the file said.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "runtime/cp1251.h"
#include "runtime/locale.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool IsPermutation(const std::array<std::uint8_t, 256>& weights) {
  return std::set<std::uint8_t>(weights.begin(), weights.end()).size() == 256;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LocaleTables t = LocaleTables::BuiltIn();
  std::vector<LocaleDiagnostic> diagnostics;
  ApplyEnvironmentFile(text, t, &diagnostics, "fuzz.ENV");

  const LocaleTables builtIn = LocaleTables::BuiltIn();
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t flags = t.classFlags[c];
    Check(flags == kOther || flags == kUpper || flags == kLower || flags == kDigit);
    if (c < 128) {
      Check(t.caseMap[c] == builtIn.caseMap[c] && flags == builtIn.classFlags[c]);
    } else if (const std::uint8_t other = t.caseMap[c]) {
      // A pair maps back, joins a capital with a small letter, stays above 127.
      Check(other >= 128 && t.caseMap[other] == c);
      Check((flags | t.classFlags[other]) == (kUpper | kLower));
      const auto code = static_cast<std::uint8_t>(c);
      Check(flags == kLower ? t.Lower(t.Upper(code)) == code : t.Upper(t.Lower(code)) == code);
    } else {
      Check(flags == kOther);
    }
  }
  Check(IsPermutation(t.collation) && IsPermutation(t.oemCollation));
  for (const std::string& name : t.monthNames) Check(!name.empty() && name.size() <= 12);
  for (const std::string& abbreviation : t.monthAbbreviations) Check(abbreviation.size() == 3);
  Check(t.am.size() <= 2 && t.pm.size() <= 2);
  Check(t.digraphs.size() <= 16);
  for (const LocaleDiagnostic& d : diagnostics) {
    Check(d.line >= 1 && IsValidUtf8(d.text) && d.source == "fuzz.ENV");
  }
  return 0;
}
