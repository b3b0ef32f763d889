// `zelvo calc`: the monthly pay calculation of one employee on records given
// as JSON, computing what the pay form would show and store.
//
// RunCalc is the whole command on texts (the tests call it); CalcCommand
// adds the subcommand to the binary's command line and runs it on a file or
// standard input. The input, in brief (every member but `request` optional):
//
//   today        ISO date that dependants are counted at (default: the computer's date)
//   employee     the BASA record, fields by name ("OKLAD": "10000.00", "D1": "2015-03-01")
//   constants    KONST records in physical order {"NOM": 1, "NM": "...", "VAL": "400.00"}
//   workingDays  DNI records in physical order {"DATA": "2024-03-01", "D": 21}
//   payRecords   the employee's stored NBASA records in physical order
//   request      "insert" or "change"
//   selected     for change: index (from 0) in payRecords of the record changed
//   record       the fields typed on the form's main tab (for insert at least DATA),
//                and the month's flags HG, AG, IG, OG, PG, KTUG when changed
//   lines        the month's NZELVO lines as typed, MESTO included; NUM, DATA,
//                A and H are filled by the line form and ignored here
//   REG13        the correction of the income tax (default 0)
//   computeRuns  list events the form sees, 1..100 (default 2)
//
// The output: {"record": every NBASA field as written, "lines": [every NZELVO
// field of each line as written, in input order], "form": {"SUMOKLL", ...,
// "G0"}}. Values take the forms of app/cli/record_json.h.
//
// Bad input, and a result that does not fit its field, is an error: one
// message naming the value ("employee.OKLAD: ...", "NBA:SUMM: ..."), exit 2.
//
// Not thread-safe in the sense of the program state: it runs on buffers of
// its own, but reads the process-wide locale tables.
#pragma once

#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace zelvo {

struct [[nodiscard]] CalcOutcome {
  std::string output;  // the output document, when ok
  std::string error;   // one line naming what is wrong, when not
  bool ok() const { return error.empty(); }
};

CalcOutcome RunCalc(std::string_view input);

class CalcCommand {
 public:
  // Registers `calc` and its options with the binary's command line.
  explicit CalcCommand(CLI::App& parent);

  bool Chosen() const { return command_->parsed(); }
  // Reads the input, writes the output to stdout or the message to stderr;
  // the exit status: 0, or 2 for bad input.
  int Run() const;

 private:
  CLI::App* command_;
  std::string inputFile_;
};

}  // namespace zelvo
