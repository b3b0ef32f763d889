// Arbitrary bytes as CSV input of `zelvo table load`: the reader never reads
// past its text, every row it accepts is written back by CsvRow to a text that
// reads as the same cells, and its line numbers never go backwards.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/cli/csv_text.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  const std::string input(reinterpret_cast<const char*>(data), size);
  CsvReader reader(input);
  std::size_t line = 1;
  while (std::optional<CsvRecord> row = reader.Next()) {
    Check(row->line >= line);
    line = row->line;
    if (!row->ok()) {
      Check(!reader.Next());
      break;
    }
    Check(!row->cells.empty());
    const std::string written = CsvRow(row->cells);
    CsvReader again(written);
    const std::optional<CsvRecord> back = again.Next();
    Check(back && back->ok() && back->cells == row->cells);
    Check(!again.Next());
  }
  return 0;
}
