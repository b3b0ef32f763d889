// The pay calculation's speed on payroll-sized data held in memory.
//
//   BM_MonthOfTenLines       SumLines and ComputeMonth of one month with ten
//                            lines: months computed per second.
//   BM_EnterpriseMonth       a whole month of 1000 employees with three lines
//                            each, as the windows run it: ChooseEmployee,
//                            YearToDate over the employee's year of records,
//                            CopyYearToDate, OpenPayForm, PrimeNewLine and
//                            ComputeLine per line, SumLines, ComputeMonth twice,
//                            StoreEmployeeCopy.
//   BM_EnterpriseMonthWholeTableYearToDate   the same, with YearToDate reading
//                            the whole NBASA table of all employees each time.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "core/pay_calculation.h"
#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "core/tables/nzelvo.h"
#include "core/tables/reference.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

constexpr int kEmployees = 1000;
constexpr int kLinesPerEmployee = 3;
const DayNumber kMonth = Date(12, 31, 2005);

Decimal D(const char* text) { return Decimal::Parse(text); }

void Check(StoreResult stored) {
  if (stored != StoreResult::Ok) std::abort();
}
void Check(const PayResult& result) {
  if (!result.Ok()) std::abort();
}

RecordsInMemory Constants() {
  RecordsInMemory konst(kKonstTable);
  const std::pair<int, const char*> values[] = {{1, "400"}, {2, "300"}, {3, "20000"},
                                                {4, "2000"}, {6, "500"}, {7, "3000"},
                                                {9, "500"}, {0, "400"}};
  for (auto [code, value] : values) {
    RecordBuffer r(kKonstTable);
    Check(KON.NOM.Set(r, code));
    Check(KON.VAL.Set(r, D(value)));
    konst.Add(r);
  }
  return konst;
}

RecordsInMemory WorkingDays() {
  RecordsInMemory dni(kDniTable);
  for (int month = 1; month <= 12; ++month) {
    RecordBuffer r(kDniTable);
    Check(DNI.DATA.Set(r, Date(month, 1, 2005)));
    Check(DNI.D.Set(r, Decimal(20 + month % 3)));
    dni.Add(r);
  }
  return dni;
}

RecordBuffer Employee(int number) {
  RecordBuffer e(kBasaTable);
  Check(BAS.NUM.Set(e, Decimal(number)));
  Check(BAS.FAM.Set(e, Cp1251Literal("Сидоров")));
  Check(BAS.POST.Set(e, Cp1251Literal("слесарь")));
  Check(BAS.OKLAD.Set(e, Decimal(8000 + number % 97 * 13)));
  Check(BAS.TARIF.Set(e, D("48.75")));
  Check(BAS.KTU.Set(e, D("1.1")));
  Check(BAS.KLASS.Set(e, Decimal(10)));
  Check(BAS.ALIMENT.Set(e, number % 4));
  Check(BAS.IGD1.Set(e, Cp1251Literal("реб")));
  Check(BAS.D1.Set(e, Date(5, 1, 1998)));
  Check(BAS.DATAN.Set(e, Date(1, 10, 2001)));
  return e;
}

RecordBuffer Line(int number, int object) {
  RecordBuffer r(kNzelvoTable);
  Check(NPL.NUM.Set(r, Decimal(number)));
  Check(NPL.DATA.Set(r, kMonth));
  Check(NPL.DNI.Set(r, Decimal(7)));
  Check(NPL.CASY.Set(r, Decimal(20 + object)));
  Check(NPL.PRPR.Set(r, D("12.5")));
  Check(NPL.PREMIJ.Set(r, D("350")));
  Check(NPL.AVANS.Set(r, D("1000")));
  Check(NPL.POMOSCH.Set(r, object == 0 ? D("1500") : Decimal()));
  Check(NPL.MESTO.Set(r, "Object"));
  return r;
}

// Eleven months of an employee before this one.
void AddYear(RecordsInMemory& months, int number) {
  for (int month = 1; month <= 11; ++month) {
    RecordBuffer r(kNbasaTable);
    Check(NBA.NUM.Set(r, Decimal(number)));
    Check(NBA.DATA.Set(r, Date(month, 28, 2005)));
    Check(NBA.FOND.Set(r, D("9876.54")));
    Check(NBA.POMOSCH.Set(r, month == 3 ? D("1000") : Decimal()));
    Check(NBA.BOLNICA.Set(r, month == 5 ? D("2345.67") : Decimal()));
    months.Add(r);
  }
}

// Everything one enterprise month needs, built outside the timing.
struct Enterprise {
  RecordsInMemory konst = Constants();
  RecordsInMemory dni = WorkingDays();
  std::vector<RecordBuffer> employees;
  std::vector<RecordsInMemory> yearOf;  // per employee, as the browse's key range gives it
  RecordsInMemory wholeYear{kNbasaTable};
  std::vector<std::vector<RecordBuffer>> linesOf;

  Enterprise() {
    for (int n = 1; n <= kEmployees; ++n) {
      employees.push_back(Employee(n));
      yearOf.emplace_back(kNbasaTable);
      AddYear(yearOf.back(), n);
      AddYear(wholeYear, n);
      linesOf.emplace_back();
      for (int l = 0; l < kLinesPerEmployee; ++l) linesOf.back().push_back(Line(n, l));
    }
  }
};

void ComputeEnterprise(const Enterprise& e, bool wholeTable) {
  RecordBuffer variables(kProgramVariablesFields), pay(kPayValuesFields);
  const PayGlobals globals{variables, pay};
  const DayNumber today = Date(1, 10, 2006);
  for (std::size_t i = 0; i < e.employees.size(); ++i) {
    Check(ChooseEmployee(globals, &e.employees[i], today));
    Check(VAR.datN.Set(variables, kMonth));
    const YearToDateTotals totals = YearToDate(globals, wholeTable ? e.wholeYear : e.yearOf[i]);
    Check(CopyYearToDate(globals, totals, PayRecordOpening::Insert));

    RecordBuffer form(kPayFormFields), record(kNbasaTable);
    Check(NBA.DATA.Set(record, kMonth));
    Check(OpenPayForm(globals, form, record, e.konst, e.dni));
    RecordsInMemory lines(kNzelvoTable);
    for (const RecordBuffer& typed : e.linesOf[i]) {
      RecordBuffer line = typed, lineForm(kPayLineFormFields);
      Check(PrimeNewLine(globals, line));
      Check(ComputeLine(globals, lineForm, line));
      lines.Add(line);
    }
    Check(SumLines(globals, record, lines));
    Check(ComputeMonth(globals, form, record, &lines.Records().front()));
    Check(ComputeMonth(globals, form, record, &lines.Records().front()));
    Check(StoreEmployeeCopy(globals, record));
    ClosePayForm(globals);
    benchmark::DoNotOptimize(record.Bytes().data());
  }
}

void BM_MonthOfTenLines(benchmark::State& state) {
  const Enterprise e;  // constants and days only are used from it
  RecordBuffer variables(kProgramVariablesFields), pay(kPayValuesFields);
  const PayGlobals globals{variables, pay};
  Check(ChooseEmployee(globals, &e.employees[0], Date(1, 10, 2006)));
  RecordBuffer form(kPayFormFields), record(kNbasaTable);
  Check(NBA.DATA.Set(record, kMonth));
  Check(OpenPayForm(globals, form, record, e.konst, e.dni));
  RecordsInMemory lines(kNzelvoTable);
  for (int l = 0; l < 10; ++l) lines.Add(Line(1, l));
  for (auto _ : state) {
    Check(SumLines(globals, record, lines));
    Check(ComputeMonth(globals, form, record, &lines.Records().front()));
    benchmark::DoNotOptimize(record.Bytes().data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MonthOfTenLines);

void BM_EnterpriseMonth(benchmark::State& state) {
  const Enterprise e;
  for (auto _ : state) ComputeEnterprise(e, false);
  state.SetItemsProcessed(state.iterations() * kEmployees);
}
BENCHMARK(BM_EnterpriseMonth)->Unit(benchmark::kMillisecond);

void BM_EnterpriseMonthWholeTableYearToDate(benchmark::State& state) {
  const Enterprise e;
  for (auto _ : state) ComputeEnterprise(e, true);
  state.SetItemsProcessed(state.iterations() * kEmployees);
}
BENCHMARK(BM_EnterpriseMonthWholeTableYearToDate)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo

BENCHMARK_MAIN();
