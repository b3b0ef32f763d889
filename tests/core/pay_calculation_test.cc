#include "core/pay_calculation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "core/tables/nzelvo.h"
#include "core/tables/reference.h"
#include "runtime/cp1251.h"
#include "runtime/locale.h"

namespace zelvo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

Decimal D(const char* text) { return Decimal::Parse(text); }

RecordBuffer Constant(int code, const char* value) {
  RecordBuffer r(kKonstTable);
  EXPECT_EQ(KON.NOM.Set(r, code), StoreResult::Ok);
  EXPECT_EQ(KON.VAL.Set(r, D(value)), StoreResult::Ok);
  return r;
}

RecordBuffer WorkingDays(DayNumber month, int days) {
  RecordBuffer r(kDniTable);
  EXPECT_EQ(DNI.DATA.Set(r, month), StoreResult::Ok);
  EXPECT_EQ(DNI.D.Set(r, Decimal(days)), StoreResult::Ok);
  return r;
}

// A source that breaks off after its first record, as a damaged table would.
class BrokenSource final : public RecordSource {
 public:
  explicit BrokenSource(RecordsInMemory records) : records_(std::move(records)) {}
  const TableDeclaration& Table() const override { return records_.Table(); }
  bool ForEach(const std::function<void(const RecordBuffer&)>& visit) const override {
    if (records_.Size() > 0) visit(records_.Records().front());
    return false;
  }

 private:
  RecordsInMemory records_;
};

// Fresh program-wide values, one pay form and its record, and the constants
// of a year: personal deduction 400, 300 per dependant, limit 20000, free
// material aid 2000, privileges 500 (Afghanistan), 3000 (Chernobyl), 500
// (disabled), 400 (migrant).
class PayCalculationTest : public ::testing::Test {
 protected:
  PayCalculationTest() {
    for (auto [code, value] : std::vector<std::pair<int, const char*>>{
             {1, "400"}, {2, "300"}, {3, "20000"}, {4, "2000"}, {6, "500"},
             {7, "3000"}, {9, "500"}, {0, "400"}})
      EXPECT_TRUE(konst.Add(Constant(code, value)));
    EXPECT_TRUE(dni.Add(WorkingDays(Date(3, 1, 2005), 21)));
    EXPECT_EQ(NBA.DATA.Set(record, Date(3, 31, 2005)), StoreResult::Ok);
    EXPECT_TRUE(OpenPayForm(globals, form, record, konst, dni).Ok());
  }

  void SetPay(const DecimalField& value, const char* text) {
    ASSERT_EQ(value.Set(pay, D(text)), StoreResult::Ok);
  }
  void SetPay(const IntegerField<FieldType::Byte>& value, int number) {
    ASSERT_EQ(value.Set(pay, number), StoreResult::Ok);
  }
  void SetMonth(const DecimalField& field, const char* text) {
    ASSERT_EQ(field.Set(record, D(text)), StoreResult::Ok);
  }
  PayResult Compute() { return ComputeMonth(globals, form, record, nullptr); }

  RecordBuffer variables{kProgramVariablesFields};
  RecordBuffer pay{kPayValuesFields};
  PayGlobals globals{variables, pay};
  RecordBuffer form{kPayFormFields};
  RecordBuffer record{kNbasaTable};
  RecordsInMemory konst{kKonstTable};
  RecordsInMemory dni{kDniTable};
};

// --- Pay by salary, on the line and in the month -----------------------------------------

TEST_F(PayCalculationTest, PayBySalaryIsRoundedOnceOnStore) {
  struct Case {
    const char* salary;
    const char* ktu;
    int days;
    int workingDays;
    const char* expected;
  } cases[] = {
      {"10000.00", "1", 10, 21, "4761.90"},  // 4761.904..., half away from zero
      {"10000.00", "1", 10, 0, "0"},         // no working days: the salary part is 0
      {"10000.00", "0.75", 7, 20, "2625.00"},
      {"333.33", "1.5", 1, 8, "62.50"},      // 62.499375
      {"100.00", "1", 1, 8, "12.50"},        // 12.5 exactly
      {"10.05", "1", 1, 2, "5.03"},          // 5.025 rounds up
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    SetPay(PAY.OKLADG, c.salary);
    SetPay(PAY.KTUG, c.ktu);
    SetPay(PAY.DNR, c.workingDays);
    SetMonth(NBA.DNI, std::to_string(c.days).c_str());
    EXPECT_TRUE(Compute().Ok());
    EXPECT_EQ(FORM.SUMOKLL.Get(form), D(c.expected));

    RecordBuffer line(kNzelvoTable), lineForm(kPayLineFormFields);
    ASSERT_EQ(NPL.DNI.Set(line, Decimal(c.days)), StoreResult::Ok);
    EXPECT_TRUE(ComputeLine(globals, lineForm, line).Ok());
    EXPECT_EQ(LINE.SUMOKLL.Get(lineForm), D(c.expected));
    EXPECT_EQ(NPL.SUMM.Get(line), D(c.expected));
  }
}

TEST_F(PayCalculationTest, LineAddsItsRoundedPartsAndTakesTheObjectAndFlags) {
  SetPay(PAY.OKLADG, "10000");
  SetPay(PAY.TARIFG, "50.25");
  SetPay(PAY.KTUG, "1");
  SetPay(PAY.KLASSG, "10");
  SetPay(PAY.MOIKAG, "5");
  SetPay(PAY.DNR, 21);
  SetPay(PAY.AG, 1);
  ASSERT_EQ(PAY.MESTOG.Set(pay, "Stand 4"), StoreResult::Ok);
  RecordBuffer line(kNzelvoTable), lineForm(kPayLineFormFields);
  ASSERT_EQ(NPL.CASY.Set(line, Decimal(100)), StoreResult::Ok);
  ASSERT_EQ(NPL.CASYP.Set(line, Decimal(4)), StoreResult::Ok);
  ASSERT_EQ(NPL.DNI.Set(line, Decimal(10)), StoreResult::Ok);
  ASSERT_EQ(NPL.PRPR.Set(line, D("10")), StoreResult::Ok);
  ASSERT_EQ(NPL.SRED.Set(line, D("0.01")), StoreResult::Ok);
  ASSERT_EQ(NPL.H.Set(line, 1), StoreResult::Ok);

  EXPECT_TRUE(ComputeLine(globals, lineForm, line).Ok());
  EXPECT_EQ(LINE.SUMTARL.Get(lineForm), D("5025.00"));
  EXPECT_EQ(LINE.SUMTARPL.Get(lineForm), D("201.00"));
  EXPECT_EQ(LINE.SUMOKLL.Get(lineForm), D("4761.90"));
  EXPECT_EQ(NPL.KLASS.Get(line), D("502.50"));
  EXPECT_EQ(NPL.MOIKA.Get(line), D("251.25"));
  EXPECT_EQ(NPL.PREMIJPR.Get(line), D("978.69"));  // 502.5 + 476.190...
  // The sum of the stored parts (unrounded parts would give 11720.36).
  EXPECT_EQ(NPL.SUMM.Get(line), D("11720.35"));
  EXPECT_EQ(NPL.MESTO.Clipped(line), "Stand 4");
  EXPECT_EQ(NPL.A.Get(line), 1);
  EXPECT_EQ(NPL.H.Get(line), 0);
}

TEST_F(PayCalculationTest, NewLineIsPrimedWithTheEmployeeMonthAndFlags) {
  ASSERT_EQ(VAR.numG.Set(variables, Decimal(17)), StoreResult::Ok);
  SetPay(PAY.HG, 1);
  RecordBuffer line(kNzelvoTable);
  EXPECT_TRUE(PrimeNewLine(globals, line).Ok());
  EXPECT_EQ(NPL.NUM.Get(line), Decimal(17));
  EXPECT_EQ(NPL.DATA.Get(line), Date(3, 31, 2005));  // dat, set when the form opened
  EXPECT_EQ(NPL.H.Get(line), 1);
  EXPECT_EQ(NPL.A.Get(line), 0);
}

// --- Deductions and the income tax -----------------------------------------------------------

TEST_F(PayCalculationTest, DeductionsAndIncomeTaxFollowTheFirstRuleThatApplies) {
  struct Case {
    const char* name;
    const char* accrued;  // the month's pay (held in SRED)
    const char* trud = "0";
    const char* fundBefore = "0";
    const char* earnedElsewhere = "0";
    int dependants = 0;
    int single = 0, disabled = 0, migrant = 0, chernobyl = 0, afghan = 0;
    const char* correction = "0";
    const char* personal;
    const char* perDependants;
    int counted;
    const char* tax;
  } cases[] = {
      {.name = "ordinary month: (10000 - 300 - 400) x 0.13", .accrued = "10000", .dependants = 1,
       .personal = "400", .perDependants = "300", .counted = 1, .tax = "1209.00"},
      {.name = "the correction is added", .accrued = "10000", .dependants = 1, .correction = "-9.5",
       .personal = "400", .perDependants = "300", .counted = 1, .tax = "1199.50"},
      {.name = "below the deductions and the limit: 0, correction not added", .accrued = "500",
       .dependants = 1, .correction = "50", .personal = "400", .perDependants = "300", .counted = 1,
       .tax = "0"},
      {.name = "labour agreement of 0.01: no deductions reduce the base", .accrued = "10000",
       .trud = "0.01", .dependants = 1, .correction = "10", .personal = "0",
       .perDependants = "300", .counted = 1, .tax = "1310.00"},
      {.name = "labour agreement below the deductions is still taxed", .accrued = "100",
       .trud = "100", .dependants = 1, .personal = "0", .perDependants = "300", .counted = 1,
       .tax = "26.00"},
      {.name = "limit reached: no personal deduction", .accrued = "10000", .fundBefore = "15000",
       .dependants = 1, .personal = "0", .perDependants = "300", .counted = 1, .tax = "1261.00"},
      {.name = "income elsewhere lowers the limit", .accrued = "6000",
       .earnedElsewhere = "15000", .personal = "0", .perDependants = "0", .counted = 0,
       .tax = "780.00"},
      {.name = "twice the limit reached: no dependant deduction", .accrued = "10000",
       .fundBefore = "35000", .dependants = 2, .personal = "0", .perDependants = "0",
       .counted = 0, .tax = "1300.00"},
      {.name = "single mother below the limit: G1 and twice G2 each", .accrued = "10000",
       .dependants = 2, .single = 1, .personal = "400", .perDependants = "1200", .counted = 2,
       .tax = "1092.00"},
      {.name = "single mother above the limit: twice G2 each, no G1", .accrued = "10000",
       .fundBefore = "15000", .dependants = 2, .single = 1, .personal = "0",
       .perDependants = "1200", .counted = 2, .tax = "1144.00"},
      {.name = "single mother above twice the limit", .accrued = "10000", .fundBefore = "35000",
       .dependants = 2, .single = 1, .personal = "0", .perDependants = "0", .counted = 0,
       .tax = "1300.00"},
      {.name = "disabled: G9 whatever the income", .accrued = "10000", .fundBefore = "50000",
       .disabled = 1, .personal = "500", .perDependants = "0", .counted = 0, .tax = "1235.00"},
      {.name = "disabled before migrant", .accrued = "10000", .disabled = 1, .migrant = 1,
       .personal = "500", .perDependants = "0", .counted = 0, .tax = "1235.00"},
      {.name = "Chernobyl: G7", .accrued = "10000", .chernobyl = 1, .personal = "3000",
       .perDependants = "0", .counted = 0, .tax = "910.00"},
      {.name = "Afghanistan: G6", .accrued = "10000", .afghan = 1, .personal = "500",
       .perDependants = "0", .counted = 0, .tax = "1235.00"},
      // F 19000 + fund 1500 crosses 20000; 1500 - 500 < 400 + 900:
      // (20500 - 20000 - G0 400) x 0.13.
      {.name = "migrant in the month that crosses the limit", .accrued = "1500",
       .fundBefore = "19000", .dependants = 3, .migrant = 1, .personal = "400",
       .perDependants = "900", .counted = 3, .tax = "13.00"},
      // A base below zero owes no tax: (300 - 300 - 500) would be -65.
      {.name = "deductions above the pay after the limit", .accrued = "300",
       .fundBefore = "25000", .dependants = 1, .disabled = 1, .personal = "500",
       .perDependants = "300", .counted = 1, .tax = "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetMonth(NBA.SRED, c.accrued);
    SetMonth(NBA.TRUD, c.trud);
    SetPay(PAY.F, c.fundBefore);
    SetPay(PAY.SPR, c.earnedElsewhere);
    SetPay(PAY.KIGD, c.dependants);
    SetPay(PAY.OG, c.single);
    SetPay(PAY.IG, c.disabled);
    SetPay(PAY.PG, c.migrant);
    SetPay(PAY.HG, c.chernobyl);
    SetPay(PAY.AG, c.afghan);
    ASSERT_EQ(FORM.REG13.Set(form, D(c.correction)), StoreResult::Ok);

    EXPECT_TRUE(Compute().Ok());
    EXPECT_EQ(NBA.SUMLGL.Get(record), D(c.personal));
    EXPECT_EQ(NBA.SUMLG.Get(record), D(c.perDependants));
    EXPECT_EQ(NBA.KLG.Get(record), c.counted);
    EXPECT_EQ(NBA.N12.Get(record), D(c.tax));
  }
}

TEST_F(PayCalculationTest, FundContributionAlimonyAndAmountToPay) {
  SetPay(PAY.KIGD, 1);
  SetMonth(NBA.SRED, "9000");
  SetMonth(NBA.BOLNICA, "1200");
  SetMonth(NBA.POSOBIE, "100");
  SetMonth(NBA.VOZVRAT, "50");
  SetMonth(NBA.AVANS, "3000");
  SetMonth(NBA.SSUDA, "100");
  SetPay(PAY.F, "1000");
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(NBA.SUMM.Get(record), D("10350"));
  EXPECT_EQ(NBA.FOND.Get(record), D("9000"));  // 10350 - 1200 - 100 - 50
  EXPECT_EQ(NBA.SUMNG.Get(record), D("10000"));
  EXPECT_EQ(PAY.F28.Get(pay), D("1800.00"));
  // (10350 - 300 - 400 - 50 - 100) x 0.13
  EXPECT_EQ(NBA.N12.Get(record), D("1235.00"));
  EXPECT_EQ(FORM.VYCHETYL.Get(form), D("4335.00"));
  EXPECT_EQ(FORM.KVYDACHEL.Get(form), D("6015.00"));
  EXPECT_EQ(FORM.DOLGL.Get(form), D("0"));
}

TEST_F(PayCalculationTest, AlimonyIsAShareOfThePayAfterTax) {
  struct Case {
    int code;
    const char* alimony;
  } cases[] = {
      {0, "0"}, {1, "2197.75"}, {2, "2901.03"},  // 33 per cent, not a third (2930.33)
      {3, "4395.50"}, {4, "0"},
  };
  SetPay(PAY.KIGD, 1);
  SetMonth(NBA.SRED, "10000");  // tax 1209.00, so 8791.00 after tax
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    SetPay(PAY.ALIMG, c.code);
    EXPECT_TRUE(Compute().Ok());
    EXPECT_EQ(NBA.ALIMENT.Get(record), D(c.alimony));
    EXPECT_EQ(FORM.VYCHETYL.Get(form), D("1209.00") + D(c.alimony));
  }
}

TEST_F(PayCalculationTest, WithheldAgainstAccrued) {
  struct Case {
    const char* advance;
    const char* toPay;
    const char* debt;
  } cases[] = {{"400", "100.00", "0"}, {"500", "0", "0"}, {"650", "0", "150.00"}};
  SetPay(PAY.KIGD, 1);
  SetMonth(NBA.SRED, "500");  // below the deductions: no tax
  for (const Case& c : cases) {
    SCOPED_TRACE(c.advance);
    SetMonth(NBA.AVANS, c.advance);
    EXPECT_TRUE(Compute().Ok());
    EXPECT_EQ(NBA.N12.Get(record), D("0"));
    EXPECT_EQ(FORM.KVYDACHEL.Get(form), D(c.toPay));
    EXPECT_EQ(FORM.DOLGL.Get(form), D(c.debt));
  }
}

TEST_F(PayCalculationTest, TaxableMaterialAid) {
  struct Case {
    const char* earlier;
    const char* now;
    const char* taxable;
  } cases[] = {
      {"1500", "1000", "500"},   // 2500 is 500 above the free 2000
      {"2500", "1000", "1000"},  // the free part was used up earlier
      {"2000", "1000", "1000"},
      {"0", "1000", "0"},
      {"1000", "1000", "0"},     // exactly 2000: nothing taxable
  };
  SetMonth(NBA.SRED, "10000");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.earlier) + " + " + c.now);
    ASSERT_EQ(FORM.OMPL.Set(form, Decimal()), StoreResult::Ok);
    SetPay(PAY.POMOSCHG, c.earlier);
    SetMonth(NBA.POMOSCH, c.now);
    EXPECT_TRUE(Compute().Ok());
    EXPECT_EQ(FORM.OMPL.Get(form), D(c.taxable));
  }
}

TEST_F(PayCalculationTest, FundTakesTheTaxableAidFromTheSecondRunOn) {
  SetPay(PAY.POMOSCHG, "1500");
  SetMonth(NBA.SRED, "10000");
  SetMonth(NBA.POMOSCH, "1000");
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(NBA.FOND.Get(record), D("10000"));
  // The tax of the first run already sees this run's OMPL: (11000 - 1000 - 400 + 500) x 0.13.
  EXPECT_EQ(NBA.N12.Get(record), D("1313.00"));
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(NBA.FOND.Get(record), D("10500"));
  EXPECT_EQ(PAY.F28.Get(pay), D("2100.00"));
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(NBA.FOND.Get(record), D("10500"));  // steady from then on

  // A new form starts again from OMPL 0.
  EXPECT_TRUE(OpenPayForm(globals, form, record, konst, dni).Ok());
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(NBA.FOND.Get(record), D("10000"));
}

TEST_F(PayCalculationTest, RecomputeTaxAppliesTheCorrectionAlone) {
  SetPay(PAY.KIGD, 1);
  SetMonth(NBA.SRED, "10000");
  EXPECT_TRUE(Compute().Ok());
  // A changed field is not taken into the totals: steps 1 to 8 do not run again.
  SetMonth(NBA.SRED, "20000");
  ASSERT_EQ(FORM.REG13.Set(form, D("1")), StoreResult::Ok);
  EXPECT_TRUE(RecomputeTax(globals, form, record).Ok());
  EXPECT_EQ(NBA.SUMM.Get(record), D("10000"));
  EXPECT_EQ(NBA.N12.Get(record), D("1210.00"));
  EXPECT_EQ(FORM.KVYDACHEL.Get(form), D("8790.00"));
}

TEST_F(PayCalculationTest, WorkObjectOfTheLineUnderTheCursor) {
  RecordBuffer line(kNzelvoTable);
  ASSERT_EQ(NPL.MESTO.Set(line, "Yard"), StoreResult::Ok);
  EXPECT_TRUE(ComputeMonth(globals, form, record, &line).Ok());
  EXPECT_EQ(PAY.MESTOG.Clipped(pay), "Yard");
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(PAY.MESTOG.Clipped(pay), "");
}

// --- Results that do not fit ----------------------------------------------------------------

TEST_F(PayCalculationTest, TargetsThatDoNotFitAreRefusedAndNamed) {
  SetMonth(NBA.PREMIJ, "9999999");
  SetMonth(NBA.SRED, "1");
  SetMonth(NBA.AVANS, "150000");
  ASSERT_EQ(NBA.SUMM.Set(record, D("12.34")), StoreResult::Ok);
  ASSERT_EQ(FORM.VYCHETYL.Set(form, D("7")), StoreResult::Ok);
  const PayResult result = Compute();
  EXPECT_FALSE(result.Ok());
  EXPECT_THAT(result.overflows, ElementsAre("NBA:SUMM", "VYCHETYL"));
  EXPECT_EQ(NBA.SUMM.Get(record), D("12.34"));   // unchanged, not wrapped
  EXPECT_EQ(FORM.VYCHETYL.Get(form), D("7"));

  // A month of 699999.99: the record's fields hold it, the values of
  // DECIMAL(7,2) do not (F28 139999.998, KVYDACHEL 608999.99).
  SetMonth(NBA.AVANS, "0");
  SetMonth(NBA.SRED, "99999.99");
  SetMonth(NBA.PREMIJ, "600000");
  EXPECT_THAT(Compute().overflows, ElementsAre("F28", "KVYDACHEL"));
  EXPECT_EQ(NBA.N12.Get(record), D("91000.00"));
}

// --- Loading the constants and the working days --------------------------------------------------

TEST_F(PayCalculationTest, ConstantsByCode) {
  RecordsInMemory later(kKonstTable);
  EXPECT_TRUE(later.Add(Constant(1, "450")));
  EXPECT_TRUE(later.Add(Constant(1, "500")));  // a later record of a code wins
  EXPECT_TRUE(later.Add(Constant(12, "7")));   // no such code: ignored
  EXPECT_TRUE(later.Add(Constant(8, "1000000")));
  EXPECT_TRUE(LoadConstants(globals, later).Ok());
  EXPECT_EQ(PAY.G1.Get(pay), D("500"));
  EXPECT_EQ(PAY.G8.Get(pay), D("1000000"));
  EXPECT_EQ(PAY.G3.Get(pay), D("20000"));  // not in the table: keeps its value

  RecordBuffer freshPay(kPayValuesFields);
  PayGlobals fresh{variables, freshPay};
  RecordsInMemory none(kKonstTable);
  EXPECT_TRUE(LoadConstants(fresh, none).Ok());
  EXPECT_EQ(PAY.G2.Get(freshPay), D("0"));
}

TEST_F(PayCalculationTest, MissingConstantsLeaveTheDeductionsAtZero) {
  RecordBuffer freshPay(kPayValuesFields);
  PayGlobals fresh{variables, freshPay};
  ASSERT_EQ(PAY.KIGD.Set(freshPay, 2), StoreResult::Ok);
  RecordsInMemory onlyRate(kKonstTable);
  EXPECT_TRUE(onlyRate.Add(Constant(3, "20000")));
  EXPECT_TRUE(OpenPayForm(fresh, form, record, onlyRate, dni).Ok());
  SetMonth(NBA.SRED, "1000");
  EXPECT_TRUE(ComputeMonth(fresh, form, record, nullptr).Ok());
  EXPECT_EQ(NBA.SUMLGL.Get(record), D("0"));
  EXPECT_EQ(NBA.SUMLG.Get(record), D("0"));
  EXPECT_EQ(NBA.KLG.Get(record), 2);
  EXPECT_EQ(NBA.N12.Get(record), D("130.00"));
}

TEST_F(PayCalculationTest, WorkingDaysOfTheMonth) {
  RecordsInMemory days(kDniTable);
  EXPECT_TRUE(days.Add(WorkingDays(Date(4, 1, 2005), 20)));
  EXPECT_TRUE(days.Add(WorkingDays(Date(4, 15, 2004), 19)));  // another year
  EXPECT_TRUE(days.Add(WorkingDays(Date(4, 30, 2005), 22)));  // the last of the month wins
  EXPECT_TRUE(days.Add(WorkingDays(kNoDate, 5)));

  struct Case {
    DayNumber month;
    int expected;
  } cases[] = {
      {Date(4, 10, 2005), 22},
      {Date(4, 10, 2004), 19},
      {Date(5, 10, 2005), 21},  // no record: keeps the value of before
      {kNoDate, 21},            // no month: the dateless record matches nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.month);
    SetPay(PAY.DNR, 21);
    EXPECT_TRUE(LoadWorkingDays(globals, days, c.month).Ok());
    EXPECT_EQ(PAY.DNR.Get(pay), c.expected);
  }

  RecordsInMemory tooMany(kDniTable);
  EXPECT_TRUE(tooMany.Add(WorkingDays(Date(4, 1, 2005), 300)));
  EXPECT_THAT(LoadWorkingDays(globals, tooMany, Date(4, 1, 2005)).overflows, ElementsAre("DNR"));
  EXPECT_EQ(PAY.DNR.Get(pay), 21);
}

TEST_F(PayCalculationTest, OpeningChangingTheDateAndClosingTheForm) {
  EXPECT_EQ(VAR.dat.Get(variables), Date(3, 31, 2005));
  EXPECT_EQ(PAY.DNR.Get(pay), 21);
  EXPECT_EQ(PAY.G3.Get(pay), D("20000"));

  ASSERT_EQ(NBA.DATA.Set(record, Date(7, 1, 2005)), StoreResult::Ok);
  EXPECT_TRUE(ChangeMonthDate(globals, record, dni).Ok());
  EXPECT_EQ(VAR.dat.Get(variables), Date(7, 1, 2005));
  EXPECT_EQ(PAY.DNR.Get(pay), 21);  // July has no record: kept

  SetPay(PAY.F, "5000");
  SetPay(PAY.F28, "12");
  ClosePayForm(globals);
  EXPECT_EQ(PAY.F.Get(pay), D("0"));
  EXPECT_EQ(PAY.DNR.Get(pay), 0);

  // No working days for the month now: the salary part is 0.
  RecordsInMemory noDays(kDniTable);
  ASSERT_EQ(FORM.REG13.Set(form, D("3")), StoreResult::Ok);
  EXPECT_TRUE(OpenPayForm(globals, form, record, konst, noDays).Ok());
  EXPECT_EQ(PAY.F28.Get(pay), D("0"));
  EXPECT_EQ(FORM.REG13.Get(form), D("0"));
  SetPay(PAY.OKLADG, "10000");
  SetPay(PAY.KTUG, "1");
  SetMonth(NBA.DNI, "10");
  EXPECT_TRUE(Compute().Ok());
  EXPECT_EQ(FORM.SUMOKLL.Get(form), D("0"));
}

TEST_F(PayCalculationTest, ATableNotReadToItsEndIsNamed) {
  RecordsInMemory days(kDniTable);
  EXPECT_TRUE(days.Add(WorkingDays(Date(3, 1, 2005), 18)));
  EXPECT_TRUE(days.Add(WorkingDays(Date(3, 1, 2005), 23)));
  const PayResult result = LoadWorkingDays(globals, BrokenSource(days), Date(3, 1, 2005));
  EXPECT_THAT(result.unreadable, ElementsAre("DNI"));
  EXPECT_FALSE(result.Ok());
  EXPECT_EQ(PAY.DNR.Get(pay), 18);  // what was read is applied

  RecordBuffer employee(kBasaTable);
  EXPECT_FALSE(days.Add(employee));  // a record of another table is refused
  EXPECT_EQ(days.Size(), 2u);
}

// --- Summing the lines ------------------------------------------------------------------------

TEST_F(PayCalculationTest, MonthTotalsAreTheSumsOfItsLines) {
  ASSERT_EQ(VAR.numG.Set(variables, Decimal(5)), StoreResult::Ok);
  const DayNumber month = VAR.dat.Get(variables);
  auto line = [&](int employee, DayNumber day, const char* average, int hours, int sickDays) {
    RecordBuffer r(kNzelvoTable);
    EXPECT_EQ(NPL.NUM.Set(r, Decimal(employee)), StoreResult::Ok);
    EXPECT_EQ(NPL.DATA.Set(r, day), StoreResult::Ok);
    EXPECT_EQ(NPL.SRED.Set(r, D(average)), StoreResult::Ok);
    EXPECT_EQ(NPL.CASY.Set(r, Decimal(hours)), StoreResult::Ok);
    EXPECT_EQ(NPL.AVANS.Set(r, D("10.5")), StoreResult::Ok);
    EXPECT_EQ(NPL.BTXT.Set(r, sickDays), StoreResult::Ok);
    EXPECT_EQ(NPL.SUMM.Set(r, D("999")), StoreResult::Ok);
    return r;
  };
  RecordsInMemory lines(kNzelvoTable);
  EXPECT_TRUE(lines.Add(line(5, month, "100.25", 40, 2)));
  EXPECT_TRUE(lines.Add(line(5, month, "200.50", 60, 3)));
  EXPECT_TRUE(lines.Add(line(6, month, "1000", 1, 1)));           // another employee
  EXPECT_TRUE(lines.Add(line(5, month - 1, "1000", 1, 1)));       // another date, same month
  ASSERT_EQ(NBA.SUMM.Set(record, D("1")), StoreResult::Ok);

  EXPECT_TRUE(SumLines(globals, record, lines).Ok());
  EXPECT_EQ(NBA.SRED.Get(record), D("300.75"));
  EXPECT_EQ(NBA.CASY.Get(record), Decimal(100));
  EXPECT_EQ(NBA.AVANS.Get(record), D("21"));
  EXPECT_EQ(NBA.BTXT.Get(record), 5);
  EXPECT_EQ(NBA.SUMM.Get(record), D("1"));  // the lines' totals are not summed

  RecordsInMemory empty(kNzelvoTable);
  EXPECT_TRUE(SumLines(globals, record, empty).Ok());
  EXPECT_EQ(NBA.SRED.Get(record), D("0"));
  EXPECT_EQ(NBA.BTXT.Get(record), 0);

  // 1000 hours do not fit DECIMAL(3,0).
  RecordsInMemory longHours(kNzelvoTable);
  EXPECT_TRUE(longHours.Add(line(5, month, "1", 600, 0)));
  EXPECT_TRUE(longHours.Add(line(5, month, "1", 400, 0)));
  EXPECT_THAT(SumLines(globals, record, longHours).overflows, ElementsAre("NBA:CASY"));
}

// --- The employee and the year to date ---------------------------------------------------------------

RecordBuffer Employee() {
  RecordBuffer e(kBasaTable);
  EXPECT_EQ(BAS.NUM.Set(e, Decimal(42)), StoreResult::Ok);
  EXPECT_EQ(BAS.FAM.Set(e, Cp1251Literal("Иванова")), StoreResult::Ok);
  EXPECT_EQ(BAS.NOM.Set(e, Cp1251Literal("Анна")), StoreResult::Ok);
  EXPECT_EQ(BAS.PER.Set(e, Cp1251Literal("Петровна")), StoreResult::Ok);
  EXPECT_EQ(BAS.POST.Set(e, Cp1251Literal("кассир")), StoreResult::Ok);
  EXPECT_EQ(BAS.UCHASTOK.Set(e, Cp1251Literal("склад")), StoreResult::Ok);
  EXPECT_EQ(BAS.OKLAD.Set(e, D("8500.50")), StoreResult::Ok);
  EXPECT_EQ(BAS.TARIF.Set(e, D("45.10")), StoreResult::Ok);
  EXPECT_EQ(BAS.KTU.Set(e, D("1.25")), StoreResult::Ok);
  EXPECT_EQ(BAS.KLASS.Set(e, Decimal(15)), StoreResult::Ok);
  EXPECT_EQ(BAS.MOIKA.Set(e, Decimal(3)), StoreResult::Ok);
  EXPECT_EQ(BAS.O.Set(e, 1), StoreResult::Ok);
  EXPECT_EQ(BAS.A.Set(e, 1), StoreResult::Ok);
  EXPECT_EQ(BAS.ALIMENT.Set(e, 2), StoreResult::Ok);
  EXPECT_EQ(BAS.DATAN.Set(e, Date(2, 1, 2003)), StoreResult::Ok);
  EXPECT_EQ(BAS.DATAK.Set(e, Date(12, 31, 2005)), StoreResult::Ok);
  EXPECT_EQ(BAS.SUMPRED.Set(e, D("12000")), StoreResult::Ok);
  EXPECT_EQ(BAS.IGD1.Set(e, Cp1251Literal("реб")), StoreResult::Ok);
  EXPECT_EQ(BAS.D1.Set(e, Date(1, 1, 2000)), StoreResult::Ok);
  return e;
}

TEST_F(PayCalculationTest, ChoosingAnEmployeeCopiesTheRegisterData) {
  SetPay(PAY.F, "100");
  SetPay(PAY.BOLNG, "100");
  SetPay(PAY.COMPG, "100");
  SetPay(PAY.POMOSCHG, "100");
  EXPECT_TRUE(ChooseEmployee(globals, nullptr, Date(6, 1, 2005)).Ok());
  EXPECT_EQ(PAY.F.Get(pay), D("0"));
  EXPECT_EQ(PAY.BOLNG.Get(pay), D("0"));
  EXPECT_EQ(PAY.COMPG.Get(pay), D("0"));
  EXPECT_EQ(PAY.POMOSCHG.Get(pay), D("100"));  // not among the values reset
  EXPECT_EQ(VAR.numG.Get(variables), D("0"));  // no choice, no copy

  const RecordBuffer employee = Employee();
  EXPECT_TRUE(ChooseEmployee(globals, &employee, Date(6, 1, 2005)).Ok());
  EXPECT_EQ(VAR.numG.Get(variables), Decimal(42));
  EXPECT_EQ(PAY.FAMG.Clipped(pay), Cp1251Literal("Иванова"));
  EXPECT_EQ(PAY.NOMG.Clipped(pay), Cp1251Literal("Анна"));
  EXPECT_EQ(PAY.PERG.Clipped(pay), Cp1251Literal("Петровна"));
  EXPECT_EQ(PAY.POSTG.Clipped(pay), Cp1251Literal("кассир"));
  EXPECT_EQ(VAR.uchastokg.Clipped(variables), Cp1251Literal("склад"));
  EXPECT_EQ(PAY.OKLADG.Get(pay), D("8500.50"));
  EXPECT_EQ(PAY.TARIFG.Get(pay), D("45.10"));
  EXPECT_EQ(PAY.KTUG.Get(pay), D("1.25"));
  EXPECT_EQ(PAY.KLASSG.Get(pay), Decimal(15));
  EXPECT_EQ(PAY.MOIKAG.Get(pay), Decimal(3));
  EXPECT_EQ(PAY.OG.Get(pay), 1);
  EXPECT_EQ(PAY.AG.Get(pay), 1);
  EXPECT_EQ(PAY.HG.Get(pay), 0);
  EXPECT_EQ(VAR.datN.Get(variables), Date(2, 1, 2003));
  EXPECT_EQ(PAY.DATK.Get(pay), Date(12, 31, 2005));
  EXPECT_EQ(PAY.SPR.Get(pay), D("12000"));
  EXPECT_EQ(PAY.IGD1G.Get(pay), 1);
  EXPECT_EQ(PAY.ALIMG.Get(pay), 2);
  EXPECT_EQ(PAY.KIGD.Get(pay), 3);  // one child and alimony code 2

  // Back into the record when the form is accepted.
  EXPECT_TRUE(StoreEmployeeCopy(globals, record).Ok());
  EXPECT_EQ(NBA.NUM.Get(record), Decimal(42));
  EXPECT_EQ(NBA.FAM.Clipped(record), Cp1251Literal("Иванова"));
  EXPECT_EQ(NBA.POST.Clipped(record), Cp1251Literal("кассир"));
  EXPECT_EQ(NBA.UCHASTOK.Clipped(record), Cp1251Literal("склад"));
  EXPECT_EQ(NBA.OKLAD.Get(record), D("8500.50"));
  EXPECT_EQ(NBA.TARIF.Get(record), D("45.10"));
  EXPECT_EQ(NBA.KTU.Get(record), D("1.25"));

  // The form may change TARIFG beyond what the record's DECIMAL(5,2) holds.
  SetPay(PAY.TARIFG, "1234.5");
  EXPECT_THAT(StoreEmployeeCopy(globals, record).overflows, ElementsAre("NBA:TARIF"));
  EXPECT_EQ(NBA.TARIF.Get(record), D("45.10"));
}

TEST_F(PayCalculationTest, DependantsCountByKindAndAge) {
  const DayNumber today = Date(6, 15, 2005);
  struct Case {
    const char* kind;
    DayNumber born;
    int counts;
  } cases[] = {
      {"реб", today - 6574, 1},
      {"реб", today - 6575, 0},  // 18 years: no longer
      {"студ", today - 8765, 1},
      {"студ", today - 8766, 0},
      {"студ", today - 7000, 1},
      {"реб", today - 7000, 0},
      {"н/р.ч/с", kNoDate, 1},   // whatever the age
      {"реб    ", today, 1},     // trailing blanks ignored
      {" реб", today, 0},
      {"", today, 0},
      {"сын", today, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    RecordBuffer employee(kBasaTable);
    for (const auto& [kind, born] : {std::pair{BAS.IGD2, BAS.D2}, std::pair{BAS.IGD5, BAS.D5}}) {
      ASSERT_EQ(kind.Set(employee, Cp1251Literal(c.kind)), StoreResult::Ok);
      ASSERT_EQ(born.Set(employee, c.born), StoreResult::Ok);
    }
    ASSERT_EQ(BAS.ALIMENT.Set(employee, 1), StoreResult::Ok);
    EXPECT_TRUE(CountDependants(globals, employee, today).Ok());
    EXPECT_EQ(PAY.IGD1G.Get(pay), 0);
    EXPECT_EQ(PAY.IGD2G.Get(pay), c.counts);
    EXPECT_EQ(PAY.IGD5G.Get(pay), c.counts);
    EXPECT_EQ(PAY.KIGD.Get(pay), 2 * c.counts + 1);
    EXPECT_EQ(PAY.ALIMG.Get(pay), 1);
  }
}

TEST_F(PayCalculationTest, DependantKindsIgnoreCaseAsTheLocaleDefinesIt) {
  RecordBuffer employee(kBasaTable);
  ASSERT_EQ(BAS.IGD1.Set(employee, Cp1251Literal("СТУД")), StoreResult::Ok);
  ASSERT_EQ(BAS.D1.Set(employee, Date(1, 1, 2000)), StoreResult::Ok);
  ASSERT_EQ(BAS.IGD2.Set(employee, "Stud"), StoreResult::Ok);  // Latin: never the kind
  ASSERT_EQ(BAS.D2.Set(employee, Date(1, 1, 2000)), StoreResult::Ok);

  // The built-in tables give Cyrillic no case.
  EXPECT_TRUE(CountDependants(globals, employee, Date(6, 15, 2005)).Ok());
  EXPECT_EQ(PAY.IGD1G.Get(pay), 0);

  const LocaleTables saved = Locale();
  LocaleTables withCase = LocaleTables::BuiltIn();
  ApplyEnvironmentFile("QORCASE=WINDOWS\n", withCase, nullptr);
  SetLocale(withCase);
  EXPECT_TRUE(CountDependants(globals, employee, Date(6, 15, 2005)).Ok());
  SetLocale(saved);
  EXPECT_EQ(PAY.IGD1G.Get(pay), 1);
  EXPECT_EQ(PAY.IGD2G.Get(pay), 0);
}

TEST_F(PayCalculationTest, DependantsBeyondAByteAreRefused) {
  RecordBuffer employee(kBasaTable);
  ASSERT_EQ(BAS.IGD1.Set(employee, Cp1251Literal("н/р.ч/с")), StoreResult::Ok);
  ASSERT_EQ(BAS.ALIMENT.Set(employee, 255), StoreResult::Ok);  // damaged: only 0..3 are entered
  EXPECT_THAT(CountDependants(globals, employee, Date(6, 15, 2005)).overflows,
              ElementsAre("KIGD"));
}

TEST_F(PayCalculationTest, YearToDateSumsAllAndEarlierRecordsOfTheEmployee) {
  ASSERT_EQ(VAR.numG.Set(variables, Decimal(7)), StoreResult::Ok);
  auto month = [](int employee, DayNumber day, const char* fund, const char* aid,
                  const char* sick, const char* compensation) {
    RecordBuffer r(kNbasaTable);
    EXPECT_EQ(NBA.NUM.Set(r, Decimal(employee)), StoreResult::Ok);
    EXPECT_EQ(NBA.DATA.Set(r, day), StoreResult::Ok);
    EXPECT_EQ(NBA.FOND.Set(r, D(fund)), StoreResult::Ok);
    EXPECT_EQ(NBA.POMOSCH.Set(r, D(aid)), StoreResult::Ok);
    EXPECT_EQ(NBA.BOLNICA.Set(r, D(sick)), StoreResult::Ok);
    EXPECT_EQ(NBA.COMP.Set(r, D(compensation)), StoreResult::Ok);
    return r;
  };
  RecordsInMemory months(kNbasaTable);
  EXPECT_TRUE(months.Add(month(7, Date(3, 31, 2005), "3000", "300", "30", "3")));
  EXPECT_TRUE(months.Add(month(7, Date(1, 31, 2005), "1000", "100", "10", "1")));
  EXPECT_TRUE(months.Add(month(8, Date(1, 31, 2005), "9999", "9999", "9999", "9999")));
  EXPECT_TRUE(months.Add(month(7, Date(2, 28, 2005), "2000.01", "200", "20", "2")));

  struct Case {
    DayNumber selected;
    PayRecordOpening opening;
    const char* fund;
    const char* aid;
    const char* sick;
    const char* compensation;
  } cases[] = {
      {Date(2, 28, 2005), PayRecordOpening::Change, "1000", "100", "10", "1"},  // strictly earlier
      {Date(3, 1, 2005), PayRecordOpening::Change, "3000.01", "300", "30", "3"},
      {Date(2, 1, 2003), PayRecordOpening::Change, "0", "0", "0", "0"},  // the hiring date
      {kNoDate, PayRecordOpening::Change, "0", "0", "0", "0"},
      {Date(2, 28, 2005), PayRecordOpening::Insert, "6000.01", "600", "60", "6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    ASSERT_EQ(VAR.datN.Set(variables, c.selected), StoreResult::Ok);
    const YearToDateTotals totals = YearToDate(globals, months);
    EXPECT_TRUE(totals.result.Ok());
    EXPECT_EQ(totals.all.fond, D("6000.01"));
    EXPECT_TRUE(CopyYearToDate(globals, totals, c.opening).Ok());
    EXPECT_EQ(PAY.F.Get(pay), D(c.fund));
    EXPECT_EQ(PAY.POMOSCHG.Get(pay), D(c.aid));
    EXPECT_EQ(PAY.BOLNG.Get(pay), D(c.sick));
    EXPECT_EQ(PAY.COMPG.Get(pay), D(c.compensation));
  }
}

}  // namespace
}  // namespace zelvo
