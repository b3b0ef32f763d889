#include "app/cli/calc_command.h"

#include <iostream>
#include <optional>
#include <vector>

#include "app/cli/input_file.h"
#include "app/cli/json_document.h"
#include "app/cli/record_json.h"
#include "core/dictionary.h"
#include "core/pay_calculation.h"
#include "core/pay_values.h"
#include "core/program_variables.h"
#include "core/record_source.h"
#include "runtime/date_time.h"

namespace zelvo {
namespace {

constexpr const char* kSummary = "the monthly pay calculation on records given as JSON";

constexpr const char* kHelpFooter = R"(
Reads one JSON document (standard input, or --input FILE) and writes one:
what the pay form would show and store for one employee's month.

Input members (all optional but "request"):
  today        "YYYY-MM-DD" dependants are counted at (default: today)
  employee     the BASA record by field name: {"OKLAD": "10000.00", "KTU": "1.00", ...}
  constants    KONST records: [{"NOM": 1, "NM": "...", "VAL": "400.00"}, ...]
  workingDays  DNI records: [{"DATA": "2024-03-01", "D": 21}, ...]
  payRecords   the employee's stored NBASA records, in physical order
  request      "insert" or "change"
  selected     for change: the index (from 0) in payRecords of the record changed
  record       fields typed on the main tab (insert: at least DATA), and the
               month's flags HG, AG, IG, OG, PG, KTUG when changed
  lines        the month's NZELVO lines as typed, MESTO included
  REG13        correction of the income tax (default 0)
  computeRuns  list events the form sees, 1..100 (default 2)

Output: {"record": {NBASA fields}, "lines": [{NZELVO fields}], "form": {"SUMOKLL",
"SUMTARL", "SUMTARPL", "OMPL", "VYCHETYL", "KVYDACHEL", "DOLGL", "F28", "F",
"BOLNG", "COMPG", "POMOSCHG", "DNR", "KIGD", "G1".."G9", "G0"}}.
Amounts are strings with exactly their field's places ("4761.90"); BYTE, SHORT
and LONG values numbers; dates "YYYY-MM-DD" or null; texts UTF-8.
Bad input, or a result too large for its field: one message, exit status 2.)";

// The members of the input and, in order, the values of the form shown.
constexpr std::string_view kInputMembers[] = {
    "today", "employee", "constants", "workingDays", "payRecords", "request",
    "selected", "record", "lines", "REG13", "computeRuns"};
constexpr std::string_view kFormOutput[] = {
    "SUMOKLL", "SUMTARL", "SUMTARPL", "OMPL", "VYCHETYL", "KVYDACHEL", "DOLGL", "F28", "F",
    "BOLNG", "COMPG", "POMOSCHG", "DNR", "KIGD", "G1", "G2", "G3", "G4", "G5", "G6", "G7",
    "G8", "G9", "G0"};
// Values of the month that the form's main tab lets the user change; they are
// pay values, not fields of the record.
constexpr std::string_view kMonthFlags[] = {"HG", "AG", "IG", "OG", "PG", "KTUG"};
// Fields the line form fills itself.
constexpr std::string_view kLineFilledFields[] = {"NUM", "DATA", "A", "H"};

// The input's own scalars, declared like fields so that they are read with
// the same forms and checks as every field.
#define ZELVO_CALC_SCALARS(FIELD) \
  FIELD(today, Date())            \
  FIELD(selected, Long())         \
  FIELD(computeRuns, Long())
ZELVO_DECLARE_FIELDS(CalcScalars, CALC, ZELVO_CALC_SCALARS);

constexpr long kMostComputeRuns = 100;

bool NamedIn(std::span<const std::string_view> names, std::string_view name) {
  for (std::string_view n : names)
    if (SameName(n, name)) return true;
  return false;
}

JsonReadResult Problem(std::string path, std::string problem) {
  return JsonValueError{std::move(path), std::move(problem)};
}

const Json* Member(const Json& input, std::string_view name) {
  const auto found = input.find(std::string(name));
  return found == input.end() ? nullptr : &*found;
}

// A JSON array of records of `table`, each read into a cleared buffer.
JsonReadResult ReadRecords(const Json* array, std::string_view path, RecordsInMemory& into) {
  if (!array) return std::nullopt;
  if (!array->is_array()) return Problem(std::string(path), "is not an array of records");
  for (std::size_t i = 0; i < array->size(); ++i) {
    RecordBuffer record(into.Table());
    const std::string recordPath = std::string(path) + "[" + std::to_string(i) + "]";
    if (JsonReadResult error = RecordFromJson((*array)[i], record, recordPath)) return error;
    (void)into.Add(record);  // of the table's own layout: always taken
  }
  return std::nullopt;
}

// The members of `object` that are (or are not) among `names`.
Json Members(const Json& object, std::span<const std::string_view> names, bool among) {
  Json part = Json::object();
  for (const auto& [name, value] : object.items())
    if (NamedIn(names, name) == among) part[name] = value;
  return part;
}

// Stores each of `object`'s members in the field of that name of `values`.
JsonReadResult ReadValues(const Json& object, RecordBuffer& values, std::string_view path) {
  for (const auto& [name, value] : object.items()) {
    const FieldDeclaration& field = values.Layout()[*FindField(values.Layout(), name)];
    if (JsonReadResult error = FieldFromJson(value, field, values, std::string(path) + "." + name))
      return error;
  }
  return std::nullopt;
}

// Everything one calculation reads, checked.
struct CalcInput {
  RecordBuffer scalars{kCalcScalarsFields};
  RecordBuffer employee{kBasaTable};
  RecordsInMemory constants{kKonstTable};
  RecordsInMemory workingDays{kDniTable};
  RecordsInMemory payRecords{kNbasaTable};
  PayRecordOpening opening = PayRecordOpening::Insert;
  const Json* record = nullptr;  // the typed fields, an object
  const Json* lines = nullptr;   // an array of objects
  const Json* reg13 = nullptr;
};

JsonReadResult ReadInput(const Json& input, CalcInput& in) {
  if (!input.is_object()) return Problem("input", "is not a JSON object");
  for (const auto& [name, value] : input.items())
    if (std::find(std::begin(kInputMembers), std::end(kInputMembers), name) == std::end(kInputMembers))
      return Problem(name, "is not a member of the input");

  (void)CALC.today.Set(in.scalars, TODAY());
  (void)CALC.computeRuns.Set(in.scalars, 2);
  for (const FieldDeclaration& field : kCalcScalarsFields)
    if (const Json* value = Member(input, field.name))
      if (JsonReadResult error = FieldFromJson(*value, field, in.scalars, field.name)) return error;

  if (const Json* employee = Member(input, "employee"))
    if (JsonReadResult error = RecordFromJson(*employee, in.employee, "employee")) return error;
  if (JsonReadResult error = ReadRecords(Member(input, "constants"), "constants", in.constants))
    return error;
  if (JsonReadResult error = ReadRecords(Member(input, "workingDays"), "workingDays", in.workingDays))
    return error;
  if (JsonReadResult error = ReadRecords(Member(input, "payRecords"), "payRecords", in.payRecords))
    return error;

  const Json* request = Member(input, "request");
  if (!request) return Problem("request", "is missing: \"insert\" or \"change\"");
  if (*request == "insert") {
    in.opening = PayRecordOpening::Insert;
  } else if (*request == "change") {
    in.opening = PayRecordOpening::Change;
  } else {
    return Problem("request", request->dump() + " is neither \"insert\" nor \"change\"");
  }

  in.record = Member(input, "record");
  if (in.record && !in.record->is_object()) return Problem("record", "is not an object of fields");
  if (in.opening == PayRecordOpening::Insert && !(in.record && Member(*in.record, "DATA")))
    return Problem("record.DATA", "is missing: a new pay record needs its month");
  if (in.opening == PayRecordOpening::Change) {
    if (!Member(input, "selected")) return Problem("selected", "is missing: the pay record changed");
    const std::int64_t selected = CALC.selected.Get(in.scalars);
    if (selected < 0 || static_cast<std::size_t>(selected) >= in.payRecords.Size())
      return Problem("selected", std::to_string(selected) + " is not the index of one of the " +
                                     std::to_string(in.payRecords.Size()) + " payRecords");
  }
  const std::int64_t runs = CALC.computeRuns.Get(in.scalars);
  if (runs < 1 || runs > kMostComputeRuns)
    return Problem("computeRuns", std::to_string(runs) + " is not from 1 to " +
                                      std::to_string(kMostComputeRuns));

  in.lines = Member(input, "lines");
  if (in.lines && !in.lines->is_array()) return Problem("lines", "is not an array of records");
  in.reg13 = Member(input, "REG13");
  return std::nullopt;
}

std::string Refused(const PayResult& result) {
  std::string names;
  for (const std::string& name : result.overflows) names += (names.empty() ? "" : ", ") + name;
  if (!names.empty()) return names + ": the computed value does not fit its field";
  for (const std::string& label : result.unreadable) names += (names.empty() ? "" : ", ") + label;
  return names + ": the records could not be read";
}

// The pay form's life for one month, as the windows drive it: the employee
// chosen, the browse's sums, the form opened on the record, the user's typing,
// each line computed on its OK, the list's events, OK.
CalcOutcome Calculate(const CalcInput& in) {
  RecordBuffer variables(kProgramVariablesFields);
  RecordBuffer pay(kPayValuesFields);
  const PayGlobals globals{variables, pay};
  PayResult result = ChooseEmployee(globals, &in.employee, CALC.today.Get(in.scalars));

  const bool change = in.opening == PayRecordOpening::Change;
  const auto selected = static_cast<std::size_t>(CALC.selected.Get(in.scalars));
  // Selecting a record in the browse makes its month datN before the sums.
  if (change) (void)VAR.datN.Set(variables, NBA.DATA.Get(in.payRecords.Records()[selected]));
  const YearToDateTotals totals = YearToDate(globals, in.payRecords);
  result.Merge(totals.result);
  result.Merge(CopyYearToDate(globals, totals, in.opening));

  RecordBuffer record = change ? in.payRecords.Records()[selected] : RecordBuffer(kNbasaTable);
  RecordBuffer form(kPayFormFields);
  result.Merge(OpenPayForm(globals, form, record, in.constants, in.workingDays));

  auto failed = [](const JsonValueError& error) { return CalcOutcome{{}, error.Message()}; };
  if (in.reg13)
    if (JsonReadResult error = FieldFromJson(*in.reg13, kPayFormFields[PayFormFields::Index::REG13],
                                             form, "REG13"))
      return failed(*error);
  if (in.record) {
    if (JsonReadResult error = RecordFromJson(Members(*in.record, kMonthFlags, false), record, "record"))
      return failed(*error);
    if (JsonReadResult error = ReadValues(Members(*in.record, kMonthFlags, true), pay, "record"))
      return failed(*error);
    if (Member(*in.record, "DATA")) result.Merge(ChangeMonthDate(globals, record, in.workingDays));
  }

  RecordsInMemory lines(kNzelvoTable);
  if (in.lines) {
    for (std::size_t i = 0; i < in.lines->size(); ++i) {
      const Json& typed = (*in.lines)[i];
      const std::string path = "lines[" + std::to_string(i) + "]";
      if (!typed.is_object()) return failed({path, "is not an object of fields"});
      RecordBuffer line(kNzelvoTable);
      result.Merge(PrimeNewLine(globals, line));
      if (JsonReadResult error = RecordFromJson(Members(typed, kLineFilledFields, false), line, path))
        return failed(*error);
      // The line form's object entry is MESTOG; its OK copies it into the line.
      (void)PAY.MESTOG.Set(pay, NPL.MESTO.Get(line));
      RecordBuffer lineForm(kPayLineFormFields);
      result.Merge(ComputeLine(globals, lineForm, line));
      (void)lines.Add(line);
    }
  }

  result.Merge(SumLines(globals, record, lines));
  const RecordBuffer* cursor = lines.Size() > 0 ? &lines.Records().front() : nullptr;
  for (std::int64_t run = 0; run < CALC.computeRuns.Get(in.scalars); ++run)
    result.Merge(ComputeMonth(globals, form, record, cursor));
  result.Merge(StoreEmployeeCopy(globals, record));
  if (!result.Ok()) return CalcOutcome{{}, Refused(result)};

  Json output = Json::object();
  output["record"] = RecordToJson(record);
  output["lines"] = Json::array();
  for (const RecordBuffer& line : lines.Records()) output["lines"].push_back(RecordToJson(line));
  Json shown = Json::object();
  for (std::string_view name : kFormOutput) {
    const RecordBuffer& values = FindField(kPayFormFields, name) ? form : pay;
    shown[std::string(name)] = FieldToJson(values, values.Layout()[*FindField(values.Layout(), name)]);
  }
  output["form"] = std::move(shown);
  return CalcOutcome{output.dump(2) + "\n", {}};
}

}  // namespace

CalcOutcome RunCalc(std::string_view input) {
  const JsonDocument document = ParseJsonDocument(input);
  if (!document.ok()) return CalcOutcome{{}, "malformed JSON: " + document.error};
  CalcInput in;
  if (JsonReadResult error = ReadInput(document.value, in)) return CalcOutcome{{}, error->Message()};
  return Calculate(in);
}

CalcCommand::CalcCommand(CLI::App& parent) : command_(parent.add_subcommand("calc", kSummary)) {
  command_->add_option("--input", inputFile_, "Read the input from FILE instead of standard input")
      ->type_name("FILE");
  command_->footer(kHelpFooter);
}

int CalcCommand::Run() const {
  const std::optional<std::string> input = ReadInput(inputFile_.empty() ? "-" : inputFile_, "zelvo calc");
  if (!input) return 2;
  const CalcOutcome outcome = RunCalc(*input);
  if (!outcome.ok()) {
    std::cerr << "zelvo calc: " << outcome.error << "\n";
    return 2;
  }
  std::cout << outcome.output;
  return 0;
}

}  // namespace zelvo
