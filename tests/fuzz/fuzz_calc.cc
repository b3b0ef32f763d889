// Arbitrary bytes as the input of `zelvo calc`: every input is either computed
// or refused with one message, never both, and what is computed is one JSON
// document whose records read back into their tables.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/cli/calc_command.h"
#include "app/cli/json_document.h"
#include "app/cli/record_json.h"
#include "core/dictionary.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const CalcOutcome outcome = RunCalc(input);
  Check(outcome.ok() != outcome.output.empty());
  if (!outcome.ok()) {
    Check(outcome.error.find('\n') == std::string::npos);
    return 0;
  }
  const JsonDocument output = ParseJsonDocument(outcome.output);
  Check(output.ok());
  RecordBuffer record(kNbasaTable);
  Check(!RecordFromJson(output.value["record"], record, "record"));
  for (const Json& line : output.value["lines"]) {
    RecordBuffer back(kNzelvoTable);
    Check(!RecordFromJson(line, back, "line"));
  }
  return 0;
}
