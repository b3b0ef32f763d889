// `zelvo calc` through RunCalc, the entry point the binary runs: each case is
// a change to one month of one employee and the values that must come out.
#include "app/cli/calc_command.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/cli/json_document.h"

namespace zelvo {
namespace {

// Salary 10000.00, one line of 10 days, March 2024 with 21 working days, and
// constants that differ from each other, so that the rule applied shows.
constexpr const char* kBase = R"({
  "today": "2024-03-15",
  "employee": {"NUM": 7, "FAM": "Иванов", "POST": "водитель", "OKLAD": "10000.00",
               "KTU": "1.00", "UCHASTOK": "Гараж"},
  "constants": [
    {"NOM": 1, "NM": "Сумма льгот на 1 работающего", "VAL": "400.00"},
    {"NOM": 2, "VAL": "600.00"}, {"NOM": 3, "VAL": "40000.00"}, {"NOM": 4, "VAL": "2000.00"},
    {"NOM": 5, "VAL": "2000.00"}, {"NOM": 6, "VAL": "250.00"}, {"NOM": 7, "VAL": "3000.00"},
    {"NOM": 8, "VAL": "1000.00"}, {"NOM": 9, "VAL": "500.00"}, {"NOM": 0, "VAL": "100.00"},
    {"NOM": 12, "VAL": "1.00"}],
  "workingDays": [{"DATA": "2024-02-01", "D": 20}, {"DATA": "2024-03-01", "D": 21}],
  "request": "insert",
  "record": {"DATA": "2024-03-01"},
  "lines": [{"DNI": 10, "MESTO": "Склад"}]
})";

// Earlier months of the employee (and one of another employee) in physical order.
constexpr const char* kPayRecords = R"([
  {"NUM": 7, "DATA": "2024-01-10", "FOND": "4000.00", "BOLNICA": "100.00", "COMP": "50.00",
   "POMOSCH": "300.00"},
  {"NUM": 7, "DATA": "2024-03-01", "FOND": "3000.00", "FAM": "Прежняя", "N12": "1.00"},
  {"NUM": 8, "DATA": "2024-01-10", "FOND": "99999.00"},
  {"NUM": 7, "DATA": "2024-02-05", "FOND": "6000.00"}
])";

struct CalcCase {
  const char* name;
  std::string patch;  // merged into kBase (JSON merge patch: null removes a member)
  std::vector<std::pair<const char*, const char*>> expected;  // JSON pointer -> value shown
  const char* error = nullptr;  // when set: the whole error message
};

std::string Shown(const Json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string WithPayRecords(const std::string& patch) {
  const std::string records = R"({"payRecords": )" + std::string(kPayRecords);
  return patch == "{}" ? records + "}" : records + ", " + patch.substr(1);
}

std::vector<CalcCase> Cases() {
  return {
      {"salary part of a month: 10000 x 10 / 21",
       "{}",
       {{"/form/SUMOKLL", "4761.90"}, {"/form/DNR", "21"}, {"/record/SUMM", "4761.90"},
        {"/record/FOND", "4761.90"}, {"/record/SUMNG", "4761.90"}, {"/record/SUMLGL", "400.00"},
        {"/record/SUMLG", "0.00"}, {"/record/N12", "567.05"}, {"/form/F28", "952.38"},
        {"/form/VYCHETYL", "567.05"}, {"/form/KVYDACHEL", "4194.85"}, {"/form/DOLGL", "0.00"},
        {"/form/G1", "400.00"}, {"/form/G0", "100.00"}, {"/form/G8", "1000.00"},
        // StoreEmployeeCopy and the line form's own fields.
        {"/record/NUM", "7"}, {"/record/FAM", "Иванов"}, {"/record/POST", "водитель"},
        {"/record/OKLAD", "10000.00"}, {"/record/KTU", "1.00"}, {"/record/UCHASTOK", "Гараж"},
        {"/record/DATA", "2024-03-01"}, {"/lines/0/NUM", "7"}, {"/lines/0/DATA", "2024-03-01"},
        {"/lines/0/SUMM", "4761.90"}, {"/lines/0/MESTO", "Склад"}}},
      {"no working days for the month: no salary part, no tax",
       R"({"record": {"DATA": "2024-04-01"}})",
       {{"/form/DNR", "0"}, {"/form/SUMOKLL", "0.00"}, {"/record/SUMM", "0.00"},
        {"/record/N12", "0.00"}, {"/form/KVYDACHEL", "0.00"}, {"/form/DOLGL", "0.00"}}},
      {"a later constant record of a code wins",
       R"({"constants": [{"NOM": 1, "VAL": "1.00"}, {"NOM": 1, "VAL": "400.00"}]})",
       {{"/form/G1", "400.00"}, {"/form/G3", "0.00"}}},

      // Tax rules.
      {"T1: accrued below the deductions and under the limit: no tax, REG13 not added",
       R"({"employee": {"OKLAD": "300.00"}, "lines": [{"DNI": 21}], "REG13": "50.00"})",
       {{"/record/SUMM", "300.00"}, {"/record/N12", "0.00"}, {"/form/KVYDACHEL", "300.00"}}},
      {"T4: REG13 is added to the tax",
       R"({"REG13": "10.00"})",
       {{"/record/N12", "577.05"}}},
      {"T2: a labour-agreement payment of 0.01 leaves no deductions",
       R"({"lines": [{"DNI": 10, "TRUD": "0.01"}]})",
       {{"/record/SUMM", "4761.91"}, {"/record/SUMLGL", "0.00"}, {"/record/N12", "619.05"}}},
      {"T3: the month crossing the limit with a fund smaller than the deductions",
       R"({"payRecords": [{"NUM": 7, "DATA": "2024-02-01", "FOND": "39800.00"}],
          "employee": {"IGD1": "реб", "D1": "2015-03-01"}})",
       {{"/form/F", "39800.00"}, {"/record/SUMNG", "44561.90"}, {"/record/SUMLGL", "0.00"},
        {"/record/SUMLG", "600.00"}, {"/record/KLG", "1"}, {"/record/N12", "593.05"}}},
      {"T3 with a migrant: G0 given and subtracted",
       R"({"payRecords": [{"NUM": 7, "DATA": "2024-02-01", "FOND": "39800.00"}],
          "employee": {"IGD1": "реб", "D1": "2015-03-01", "P": 1}})",
       {{"/record/SUMLGL", "100.00"}, {"/record/SUMLG", "600.00"}, {"/record/N12", "580.05"}}},

      // Personal deductions: the first rule that applies.
      {"disabled before migrant", R"({"employee": {"I": 1, "P": 1}})",
       {{"/record/SUMLGL", "500.00"}, {"/record/N12", "554.05"}}},
      {"Afghanistan", R"({"employee": {"A": 1}})",
       {{"/record/SUMLGL", "250.00"}, {"/record/N12", "586.55"}, {"/lines/0/A", "1"}}},
      {"Chernobyl set for the month on the main tab, copied into the line",
       R"({"record": {"DATA": "2024-03-01", "HG": 1}})",
       {{"/record/SUMLGL", "3000.00"}, {"/record/N12", "229.05"}, {"/lines/0/H", "1"},
        {"/lines/0/A", "0"}}},
      {"income from a previous employer ends the personal deduction",
       R"({"employee": {"SUMPRED": "36000.00"}})",
       {{"/record/SUMLGL", "0.00"}, {"/record/N12", "619.05"}}},
      {"the month's participation coefficient typed on the main tab",
       R"({"record": {"DATA": "2024-03-01", "KTUG": "0.50"}})",
       {{"/form/SUMOKLL", "2380.95"}, {"/record/KTU", "0.50"}}},

      // Dependants: counted at `today`.
      {"single mother below twice the limit: twice G2 per dependant, and G1",
       R"({"employee": {"O": 1, "IGD1": "реб", "D1": "2015-03-01", "IGD2": "студ",
                        "D2": "2004-09-01", "IGD3": "реб", "D3": "2000-01-01",
                        "IGD4": "н/р.ч/с", "IGD5": "нет", "D5": "2020-01-01"}})",
       {{"/form/KIGD", "3"}, {"/record/KLG", "3"}, {"/record/SUMLG", "3600.00"},
        {"/record/SUMLGL", "400.00"}, {"/record/N12", "99.05"}}},
      {"a child counts until 6575 days have passed",
       R"({"today": "2024-03-15", "employee": {"IGD1": "реб", "D1": "2006-03-16"}})",
       {{"/form/KIGD", "1"}}},
      {"above twice the limit: no dependant deduction",
       R"({"employee": {"O": 1, "SUMPRED": "80000.00", "IGD1": "реб", "D1": "2015-03-01"}})",
       {{"/form/KIGD", "1"}, {"/record/KLG", "0"}, {"/record/SUMLG", "0.00"},
        {"/record/SUMLGL", "0.00"}}},

      // Alimony: of (accrued - income tax); its code also counts as dependants.
      {"alimony code 1: 25 per cent", R"({"employee": {"ALIMENT": 1}})",
       {{"/form/KIGD", "1"}, {"/record/N12", "489.05"}, {"/record/ALIMENT", "1068.21"}}},
      {"alimony code 2: 33 per cent, not a third", R"({"employee": {"ALIMENT": 2}})",
       {{"/record/SUMLG", "1200.00"}, {"/record/N12", "411.05"}, {"/record/ALIMENT", "1435.78"},
        {"/form/VYCHETYL", "1846.83"}, {"/form/KVYDACHEL", "2915.07"}}},
      {"alimony code 3: 50 per cent, rounded half away from zero",
       R"({"employee": {"ALIMENT": 3}})",
       {{"/record/N12", "333.05"}, {"/record/ALIMENT", "2214.43"}}},

      // Material aid against the yearly non-taxable amount G4 = 2000.
      {"aid partly taxable: 1500 earlier, 1000 now",
       R"({"payRecords": [{"NUM": 7, "DATA": "2024-02-01", "FOND": "5000.00", "POMOSCH": "1500.00"}],
          "lines": [{"DNI": 10, "POMOSCH": "1000.00"}]})",
       {{"/form/POMOSCHG", "1500.00"}, {"/form/OMPL", "500.00"}, {"/record/SUMM", "5761.90"},
        {"/record/FOND", "5261.90"}, {"/record/SUMNG", "10261.90"}, {"/record/N12", "632.05"},
        {"/form/F28", "1052.38"}}},
      {"one list event: the fund does not yet hold the taxable aid",
       R"({"payRecords": [{"NUM": 7, "DATA": "2024-02-01", "FOND": "5000.00", "POMOSCH": "1500.00"}],
          "lines": [{"DNI": 10, "POMOSCH": "1000.00"}], "computeRuns": 1})",
       {{"/form/OMPL", "500.00"}, {"/record/FOND", "4761.90"}, {"/form/F28", "952.38"}}},
      {"aid wholly taxable once the earlier aid reached G4",
       R"({"payRecords": [{"NUM": 7, "DATA": "2024-02-01", "POMOSCH": "2500.00"}],
          "lines": [{"DNI": 10, "POMOSCH": "1000.00"}]})",
       {{"/form/OMPL", "1000.00"}, {"/record/FOND", "5761.90"}, {"/record/N12", "697.05"}}},
      {"aid within G4 is not taxed",
       R"({"payRecords": [{"NUM": 7, "DATA": "2024-02-01", "POMOSCH": "500.00"}],
          "lines": [{"DNI": 10, "POMOSCH": "1000.00"}]})",
       {{"/form/OMPL", "0.00"}, {"/record/FOND", "4761.90"}, {"/record/N12", "567.05"}}},

      // Withheld against accrued.
      {"more withheld than accrued is a debt",
       R"({"lines": [{"DNI": 10, "AVANS": "5000.00"}]})",
       {{"/form/VYCHETYL", "5567.05"}, {"/form/DOLGL", "805.15"}, {"/form/KVYDACHEL", "0.00"}}},
      {"withheld equal to accrued: neither paid out nor owed",
       R"({"lines": [{"DNI": 10, "AVANS": "4194.85"}]})",
       {{"/form/VYCHETYL", "4761.90"}, {"/form/DOLGL", "0.00"}, {"/form/KVYDACHEL", "0.00"}}},

      // Lines.
      {"a line's tariff, minor's hours, class, washing and percentage bonus",
       R"({"employee": {"TARIF": "50.00", "KTU": "1.20", "KLASS": 10, "MOIKA": 5},
          "lines": [{"DNI": 10, "CASY": 100, "CASYP": 10, "PRPR": "10.0"}]})",
       {{"/lines/0/KLASS", "600.00"}, {"/lines/0/MOIKA", "300.00"},
        {"/lines/0/PREMIJPR", "1171.43"}, {"/lines/0/SUMM", "14385.72"},
        {"/form/SUMTARL", "6000.00"}, {"/form/SUMTARPL", "600.00"}, {"/form/SUMOKLL", "5714.29"},
        {"/record/CASY", "100"}, {"/record/SUMM", "14385.72"}, {"/record/N12", "1818.14"}}},
      {"lines summed into the month, kept in input order, their own fields filled by the form",
       R"({"lines": [{"DNI": 6, "MESTO": "Склад", "AVANS": "100.00", "NUM": 99,
                      "DATA": "2020-01-01", "A": 1},
                     {"DNI": 4, "MESTO": "Гараж", "PREMIJ": "250.00"}]})",
       {{"/record/DNI", "10"}, {"/record/AVANS", "100.00"}, {"/record/PREMIJ", "250.00"},
        {"/record/SUMM", "5011.90"}, {"/lines/0/SUMM", "2857.14"}, {"/lines/1/SUMM", "2154.76"},
        {"/lines/0/NUM", "7"}, {"/lines/0/DATA", "2024-03-01"}, {"/lines/0/A", "0"},
        {"/lines/1/MESTO", "Гараж"}}},

      // Insert and change.
      {"insert: the sums over every record of the employee",
       WithPayRecords("{}"),
       {{"/form/F", "13000.00"}, {"/form/BOLNG", "100.00"}, {"/form/COMPG", "50.00"},
        {"/form/POMOSCHG", "300.00"}, {"/record/SUMNG", "17761.90"}}},
      {"change: the selected record, and the sums over the months before it",
       WithPayRecords(R"({"request": "change", "selected": 1, "record": null})"),
       {{"/form/F", "10000.00"}, {"/form/BOLNG", "100.00"}, {"/form/POMOSCHG", "300.00"},
        {"/record/DATA", "2024-03-01"}, {"/record/FAM", "Иванов"}, {"/record/N12", "567.05"},
        {"/record/SUMNG", "14761.90"}}},
      {"change with the month's date typed anew",
       WithPayRecords(R"({"request": "change", "selected": 1, "record": {"DATA": "2024-02-01"},
                         "lines": [{"DNI": 10}]})"),
       {{"/record/DATA", "2024-02-01"}, {"/form/DNR", "20"}, {"/form/SUMOKLL", "5000.00"},
        {"/lines/0/DATA", "2024-02-01"}}},

      // Results that do not fit are refused, never wrapped.
      {"a salary part beyond its field", R"({"employee": {"OKLAD": "99999.99"},
          "lines": [{"DNI": 30}]})",
       {}, "SUMOKLL: the computed value does not fit its field"},

      // Bad input names the value.
      {"malformed JSON", "", {}, nullptr},
      {"unknown member", R"({"empolyee": {}})", {}, "empolyee: is not a member of the input"},
      {"unknown field", R"({"employee": {"SALARY": "1"}})", {}, "employee.SALARY: no such field"},
      {"not a number", R"({"employee": {"OKLAD": "10 000"}})", {},
       "employee.OKLAD: \"10 000\" is not a number"},
      {"too large for its field", R"({"employee": {"OKLAD": 100000}})", {},
       "employee.OKLAD: 100000 does not fit its field DECIMAL(7,2)"},
      {"not a date", R"({"record": {"DATA": "2024-13-01"}})", {},
       "record.DATA: \"2024-13-01\" is not a date (YYYY-MM-DD, or null for none)"},
      {"today not a date", R"({"today": "yesterday"})", {},
       "today: \"yesterday\" is not a date (YYYY-MM-DD, or null for none)"},
      {"a text too long", R"({"lines": [{"MESTO": "Строительная площадка 1"}]})", {},
       "lines[0].MESTO: the text is longer than its field STRING(20)"},
      {"a code beyond a BYTE", R"({"constants": [{"NOM": 1}, {"NOM": 300}]})", {},
       "constants[1].NOM: 300 does not fit its field BYTE"},
      {"a flag beyond a BYTE", R"({"record": {"DATA": "2024-03-01", "PG": 256}})", {},
       "record.PG: 256 does not fit its field BYTE"},
      {"no request", R"({"request": null})", {}, "request: is missing: \"insert\" or \"change\""},
      {"an unknown request", R"({"request": "delete"})", {},
       "request: \"delete\" is neither \"insert\" nor \"change\""},
      {"insert without a month", R"({"record": {"DATA": null, "DNI": 1}})", {},
       "record.DATA: is missing: a new pay record needs its month"},
      {"change without a selection", WithPayRecords(R"({"request": "change"})"), {},
       "selected: is missing: the pay record changed"},
      {"change of a record not there", WithPayRecords(R"({"request": "change", "selected": 4})"),
       {}, "selected: 4 is not the index of one of the 4 payRecords"},
      {"no list event", R"({"computeRuns": 0})", {}, "computeRuns: 0 is not from 1 to 100"},
      {"lines not an array", R"({"lines": {"DNI": 1}})", {}, "lines: is not an array of records"},
      {"a line not an object", R"({"lines": [7]})", {}, "lines[0]: is not an object of fields"},
  };
}

TEST(CalcCommand, MonthsComputedAsThePayFormComputesThem) {
  for (const CalcCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    std::string input;
    if (!c.patch.empty()) {
      const JsonDocument base = ParseJsonDocument(kBase);
      const JsonDocument patch = ParseJsonDocument(c.patch);
      ASSERT_TRUE(base.ok() && patch.ok()) << base.error << patch.error;
      Json merged = base.value;
      merged.merge_patch(patch.value);
      input = merged.dump();
    } else {
      input = R"({"request": "insert", )";  // cut short
    }
    const CalcOutcome outcome = RunCalc(input);
    if (c.error || c.patch.empty()) {
      if (outcome.ok()) {
        ADD_FAILURE() << "computed, expected an error";
        continue;
      }
      if (c.error)
        EXPECT_EQ(outcome.error, c.error);
      else
        EXPECT_TRUE(outcome.error.starts_with("malformed JSON: parse error")) << outcome.error;
      continue;
    }
    if (!outcome.ok()) {
      ADD_FAILURE() << outcome.error;
      continue;
    }
    const JsonDocument output = ParseJsonDocument(outcome.output);
    ASSERT_TRUE(output.ok()) << output.error;
    for (const auto& [pointer, value] : c.expected) {
      const Json::json_pointer at(pointer);
      if (!output.value.contains(at)) {
        ADD_FAILURE() << pointer << " missing";
        continue;
      }
      EXPECT_EQ(Shown(output.value.at(at)), value) << pointer;
    }
  }
}

TEST(CalcCommand, OutputHoldsEveryFieldInItsForm) {
  const CalcOutcome outcome = RunCalc(kBase);
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  const Json output = ParseJsonDocument(outcome.output).value;
  EXPECT_EQ(output["record"].size(), 51u);
  EXPECT_EQ(output["lines"][0].size(), 46u);
  EXPECT_EQ(output["form"].size(), 24u);
  // Amounts are strings with their field's places, small integers numbers.
  EXPECT_EQ(output["record"]["DNI"], "10");
  EXPECT_EQ(output["record"]["KLG"], 0);
  EXPECT_EQ(output["form"]["DNR"], 21);
  EXPECT_EQ(output["lines"][0]["PRPR"], "0.0");
}

}  // namespace
}  // namespace zelvo
