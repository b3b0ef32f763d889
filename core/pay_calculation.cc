#include "core/pay_calculation.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "core/tables/nzelvo.h"
#include "core/tables/reference.h"
#include "runtime/cp1251.h"
#include "runtime/locale.h"

namespace zelvo {

void PayResult::Merge(const PayResult& other) {
  auto add = [](std::vector<std::string>& into, const std::vector<std::string>& from) {
    for (const std::string& name : from)
      if (std::find(into.begin(), into.end(), name) == into.end()) into.push_back(name);
  };
  add(overflows, other.overflows);
  add(unreadable, other.unreadable);
}

namespace {

using ByteField = IntegerField<FieldType::Byte>;
using StringField = TextField<FieldType::String>;

// The one place a calculated value is stored: the target's handle rounds it
// to the target's declared type, and a refusal is noted under the target's
// name, "NBA:SUMM" for a field, "VYCHETYL" for a value.
class Assign {
 public:
  Assign(RecordBuffer& buffer, std::string_view prefix, PayResult& result)
      : buffer_(buffer), prefix_(prefix), result_(result) {}

  void operator()(const DecimalField& target, const Decimal& value) const {
    Note(target, target.Set(buffer_, value));
  }
  // A BYTE takes the value rounded to a whole number; outside 0..255 it is refused.
  void operator()(const ByteField& target, const Decimal& value) const {
    Note(target, target.Set(buffer_, value.Round(0).ToInt64()));
  }
  void operator()(const StringField& target, std::string_view text) const {
    Note(target, target.Set(buffer_, text));
  }
  void operator()(const DateField& target, DayNumber day) const {
    Note(target, target.Set(buffer_, day));
  }

 private:
  void Note(const FieldHandle& target, StoreResult stored) const {
    if (stored == StoreResult::Ok) return;
    std::string name = prefix_.empty() ? std::string() : std::string(prefix_) + ":";
    name += target.Name();
    PayResult refused;
    refused.overflows.push_back(std::move(name));
    result_.Merge(refused);
  }

  RecordBuffer& buffer_;
  std::string_view prefix_;
  PayResult& result_;
};

Decimal Number(const ByteField& field, const RecordBuffer& buffer) { return Decimal(field.Get(buffer)); }

// Reads a source to its end; a source that stops early is named in the result.
void ReadAll(const RecordSource& source, PayResult& result,
             const std::function<void(const RecordBuffer&)>& visit) {
  if (!source.ForEach(visit)) result.unreadable.emplace_back(source.Table().label);
}

// The state one call works on, with a store for each buffer of the globals.
struct Calculation {
  explicit Calculation(const PayGlobals& globals) : g(globals) {}

  const PayGlobals& g;
  PayResult result;
  Assign var{g.variables, "", result};
  Assign pay{g.pay, "", result};

  Decimal Pay(const DecimalField& value) const { return value.Get(g.pay); }
  Decimal Pay(const ByteField& value) const { return Number(value, g.pay); }
};

// The accrued total of a month or of one line: the pay by salary and by
// tariff, then the same nineteen amounts of the record (NBA or NPL).
template <class Fields>
Decimal Accrued(const Fields& f, const RecordBuffer& r, const Decimal& bySalary,
                const Decimal& byTariff, const Decimal& byMinorTariff) {
  return bySalary + byTariff + byMinorTariff + f.SUMTARS.Get(r) + f.SRED.Get(r) +
         f.BOLNICA.Get(r) + f.OTPUSK.Get(r) + f.COMP.Get(r) + f.VYGODA.Get(r) +
         f.POMOSCH.Get(r) + f.PREMIJ.Get(r) + f.PREMIJPR.Get(r) + f.TRUD.Get(r) +
         f.SOVMECH.Get(r) + f.BRIGADA.Get(r) + f.MOIKA.Get(r) + f.KLASS.Get(r) +
         f.PROCH.Get(r) + f.VOZVRAT.Get(r) + f.REMONT.Get(r) + f.POSOBIE.Get(r) +
         f.NOCHNYE.Get(r);
}

// --- Dependants -----------------------------------------------------------------

// Dependant kinds compare as the program compares strings: case-insensitively
// through the locale tables, trailing blanks ignored.
bool SameKind(std::string_view kind, const std::string& wanted) {
  const LocaleTables& locale = Locale();
  return locale.ToUpper(Clip(kind)) == locale.ToUpper(wanted);
}

void CountDependantsInto(Calculation& c, const RecordBuffer& employee, DayNumber today) {
  static const std::string kDisabledChild = Cp1251Literal("н/р.ч/с");
  static const std::string kStudent = Cp1251Literal("студ");
  static const std::string kChild = Cp1251Literal("реб");
  // A student counts until 24 years (8766 days), a child until 18 (6575 days).
  constexpr DayNumber kStudentDays = 8766;
  constexpr DayNumber kChildDays = 6575;

  struct Dependant {
    StringField kind;
    DateField born;
    ByteField counts;
  };
  static constexpr std::array<Dependant, 5> kDependants{{
      {BAS.IGD1, BAS.D1, PAY.IGD1G},
      {BAS.IGD2, BAS.D2, PAY.IGD2G},
      {BAS.IGD3, BAS.D3, PAY.IGD3G},
      {BAS.IGD4, BAS.D4, PAY.IGD4G},
      {BAS.IGD5, BAS.D5, PAY.IGD5G},
  }};
  int counted = 0;
  for (const Dependant& d : kDependants) {
    const std::string kind = d.kind.Get(employee);
    const DayNumber born = d.born.Get(employee);
    const bool counts = SameKind(kind, kDisabledChild) ||
                        (SameKind(kind, kStudent) && born > today - kStudentDays) ||
                        (SameKind(kind, kChild) && born > today - kChildDays);
    c.pay(d.counts, Decimal(counts ? 1 : 0));
    counted += counts ? 1 : 0;
  }
  const Decimal alimony = Number(BAS.ALIMENT, employee);
  c.pay(PAY.KIGD, Decimal(counted) + alimony);
  c.pay(PAY.ALIMG, alimony);
}

// --- The form's steps --------------------------------------------------------------

void LoadWorkingDaysInto(Calculation& c, const RecordSource& dni, DayNumber month) {
  if (!IsValidDay(month)) return;
  const int wantedMonth = Month(month);
  const int wantedYear = Year(month);
  bool found = false;
  Decimal days;
  ReadAll(dni, c.result, [&](const RecordBuffer& r) {
    const DayNumber day = DNI.DATA.Get(r);
    if (!IsValidDay(day) || Month(day) != wantedMonth || Year(day) != wantedYear) return;
    found = true;
    days = DNI.D.Get(r);  // the last such record wins
  });
  if (found) c.pay(PAY.DNR, days);
}

void LoadConstantsInto(Calculation& c, const RecordSource& konst) {
  static constexpr std::array<DecimalField, 10> kByCode{PAY.G0, PAY.G1, PAY.G2, PAY.G3, PAY.G4,
                                                        PAY.G5, PAY.G6, PAY.G7, PAY.G8, PAY.G9};
  ReadAll(konst, c.result, [&](const RecordBuffer& r) {
    const std::int64_t code = KON.NOM.Get(r);
    if (code >= 0 && code < static_cast<std::int64_t>(kByCode.size()))
      c.pay(kByCode[static_cast<std::size_t>(code)], KON.VAL.Get(r));
  });
}

// The income tax on a base: 13 per cent. A base below zero (deductions or
// returned cash larger than the income) owes no tax rather than a refund.
Decimal IncomeTax(const Decimal& base) {
  static const Decimal kRate = Decimal::Parse("0.13");
  return base.Sign() < 0 ? Decimal() : base * kRate;
}

// Steps 9 to 13 of the month: the income tax, the pension contribution, alimony,
// the total withheld and the amount to pay or the debt.
void ComputeTaxInto(Calculation& c, RecordBuffer& form, RecordBuffer& record) {
  static const Decimal kPensionRate = Decimal::Parse("0.20");
  const Assign nba(record, kNbasaTable.prefix, c.result);
  const Assign frm(form, "", c.result);

  const Decimal summ = NBA.SUMM.Get(record), fond = NBA.FOND.Get(record);
  const Decimal sumng = NBA.SUMNG.Get(record), sumlg = NBA.SUMLG.Get(record);
  const Decimal sumlgl = NBA.SUMLGL.Get(record), pomosch = NBA.POMOSCH.Get(record);
  const Decimal posobie = NBA.POSOBIE.Get(record), trud = NBA.TRUD.Get(record);
  const Decimal vozvrat = NBA.VOZVRAT.Get(record), bolnica = NBA.BOLNICA.Get(record);
  const Decimal comp = NBA.COMP.Get(record);
  const Decimal f = c.Pay(PAY.F), bolng = c.Pay(PAY.BOLNG), compg = c.Pay(PAY.COMPG);
  const Decimal g3 = c.Pay(PAY.G3);
  const Decimal ompl = FORM.OMPL.Get(form), reg13 = FORM.REG13.Get(form);

  // The first rule that applies.
  Decimal tax;
  if (summ < sumlg + sumlgl + pomosch + posobie && sumng + bolng + compg < g3 && trud.IsZero()) {
    tax = Decimal();  // below the deductions and the limit: no tax, no correction either
  } else if (!trud.IsZero()) {
    // A labour-agreement payment: no deductions.
    tax = IncomeTax(summ - pomosch + ompl - vozvrat) + reg13;
  } else if (f + bolng + compg < g3 && sumng + bolng + compg > g3 &&
             fond - (sumng + bolng + compg - g3) < sumlg + sumlgl) {
    // The month in which the year's income crosses the limit.
    tax = IncomeTax(sumng + bolnica + comp + bolng + compg - g3 -
                    c.Pay(PAY.G6) * c.Pay(PAY.AG) - c.Pay(PAY.G7) * c.Pay(PAY.HG) -
                    c.Pay(PAY.G9) * c.Pay(PAY.IG) - c.Pay(PAY.G0) * c.Pay(PAY.PG)) +
          reg13;
  } else {
    tax = IncomeTax(summ - pomosch - sumlg - sumlgl + ompl - vozvrat - posobie) + reg13;
  }
  nba(NBA.N12, tax);

  c.pay(PAY.F28, fond * kPensionRate);

  Decimal alimony;
  switch (PAY.ALIMG.Get(c.g.pay)) {
    case 1: alimony = (summ - NBA.N12.Get(record)) * 25 / 100; break;
    case 2: alimony = (summ - NBA.N12.Get(record)) * 33 / 100; break;
    case 3: alimony = (summ - NBA.N12.Get(record)) * 50 / 100; break;
    default: break;
  }
  nba(NBA.ALIMENT, alimony);

  frm(FORM.VYCHETYL, NBA.AVANS.Get(record) + NBA.ALIMENT.Get(record) + NBA.PODOTCHET.Get(record) +
                         NBA.SSUDA.Get(record) + NBA.PROCHIE.Get(record) +
                         NBA.VYCHMATERIAL.Get(record) + NBA.VYCHTOVAR.Get(record) +
                         NBA.N12.Get(record) + NBA.DOLGRETURN.Get(record));
  const Decimal withheld = FORM.VYCHETYL.Get(form);
  if (summ > withheld) {
    frm(FORM.KVYDACHEL, summ - withheld);
    frm(FORM.DOLGL, Decimal());
  } else {
    frm(FORM.DOLGL, withheld - summ);
    frm(FORM.KVYDACHEL, Decimal());
  }
}

}  // namespace

// --- The employee ----------------------------------------------------------------

PayResult CountDependants(const PayGlobals& globals, const RecordBuffer& employee, DayNumber today) {
  Calculation c(globals);
  CountDependantsInto(c, employee, today);
  return c.result;
}

PayResult ChooseEmployee(const PayGlobals& globals, const RecordBuffer* chosen, DayNumber today) {
  Calculation c(globals);
  c.pay(PAY.F, Decimal());
  c.pay(PAY.BOLNG, Decimal());
  c.pay(PAY.COMPG, Decimal());
  if (!chosen) return c.result;
  const RecordBuffer& e = *chosen;
  CountDependantsInto(c, e, today);
  c.var(VAR.numG, BAS.NUM.Get(e));
  c.pay(PAY.FAMG, BAS.FAM.Get(e));
  c.pay(PAY.NOMG, BAS.NOM.Get(e));
  c.pay(PAY.PERG, BAS.PER.Get(e));
  c.pay(PAY.POSTG, BAS.POST.Get(e));
  c.pay(PAY.OKLADG, BAS.OKLAD.Get(e));
  c.pay(PAY.TARIFG, BAS.TARIF.Get(e));
  c.pay(PAY.KTUG, BAS.KTU.Get(e));
  c.pay(PAY.HG, Number(BAS.H, e));
  c.pay(PAY.AG, Number(BAS.A, e));
  c.pay(PAY.KLASSG, BAS.KLASS.Get(e));
  c.pay(PAY.MOIKAG, BAS.MOIKA.Get(e));
  c.var(VAR.uchastokg, BAS.UCHASTOK.Get(e));
  c.pay(PAY.IG, Number(BAS.I, e));
  c.pay(PAY.OG, Number(BAS.O, e));
  c.pay(PAY.PG, Number(BAS.P, e));
  c.var(VAR.datN, BAS.DATAN.Get(e));
  c.pay(PAY.DATK, BAS.DATAK.Get(e));
  c.pay(PAY.SPR, BAS.SUMPRED.Get(e));
  return c.result;
}

// --- Year to date ------------------------------------------------------------------

YearToDateTotals YearToDate(const PayGlobals& globals, const RecordSource& nbasa) {
  const Decimal employee = VAR.numG.Get(globals.variables);
  const DayNumber selected = VAR.datN.Get(globals.variables);
  YearToDateTotals totals;
  auto add = [](PaySums& sums, const RecordBuffer& r) {
    sums.fond += NBA.FOND.Get(r);
    sums.pomosch += NBA.POMOSCH.Get(r);
    sums.bolnica += NBA.BOLNICA.Get(r);
    sums.comp += NBA.COMP.Get(r);
  };
  ReadAll(nbasa, totals.result, [&](const RecordBuffer& r) {
    if (NBA.NUM.Get(r) != employee) return;
    add(totals.all, r);
    if (NBA.DATA.Get(r) < selected) add(totals.earlier, r);
  });
  return totals;
}

PayResult CopyYearToDate(const PayGlobals& globals, const YearToDateTotals& totals,
                         PayRecordOpening opening) {
  Calculation c(globals);
  const PaySums& sums = opening == PayRecordOpening::Insert ? totals.all : totals.earlier;
  c.pay(PAY.F, sums.fond);
  c.pay(PAY.POMOSCHG, sums.pomosch);
  c.pay(PAY.BOLNG, sums.bolnica);
  c.pay(PAY.COMPG, sums.comp);
  return c.result;
}

// --- The pay form ----------------------------------------------------------------------

PayResult LoadConstants(const PayGlobals& globals, const RecordSource& konst) {
  Calculation c(globals);
  LoadConstantsInto(c, konst);
  return c.result;
}

PayResult LoadWorkingDays(const PayGlobals& globals, const RecordSource& dni, DayNumber month) {
  Calculation c(globals);
  LoadWorkingDaysInto(c, dni, month);
  return c.result;
}

PayResult OpenPayForm(const PayGlobals& globals, RecordBuffer& form, const RecordBuffer& record,
                      const RecordSource& konst, const RecordSource& dni) {
  Calculation c(globals);
  form.Clear();
  c.pay(PAY.F28, Decimal());
  LoadConstantsInto(c, konst);
  c.var(VAR.dat, NBA.DATA.Get(record));
  LoadWorkingDaysInto(c, dni, NBA.DATA.Get(record));
  return c.result;
}

PayResult ChangeMonthDate(const PayGlobals& globals, const RecordBuffer& record,
                          const RecordSource& dni) {
  Calculation c(globals);
  c.var(VAR.dat, NBA.DATA.Get(record));
  LoadWorkingDaysInto(c, dni, NBA.DATA.Get(record));
  return c.result;
}

PayResult SumLines(const PayGlobals& globals, RecordBuffer& record, const RecordSource& nzelvo) {
  struct SummedDecimal {
    DecimalField line, month;
  };
  struct SummedByte {
    ByteField line, month;
  };
#define ZELVO_SUMMED(NAME) {NPL.NAME, NBA.NAME}
  static constexpr SummedDecimal kDecimals[] = {
      ZELVO_SUMMED(DNI),        ZELVO_SUMMED(CASY),     ZELVO_SUMMED(OTPUSK),
      ZELVO_SUMMED(COMP),       ZELVO_SUMMED(VYGODA),   ZELVO_SUMMED(TRUD),
      ZELVO_SUMMED(SOVMECH),    ZELVO_SUMMED(BRIGADA),  ZELVO_SUMMED(PODOTCHET),
      ZELVO_SUMMED(SSUDA),      ZELVO_SUMMED(PROCHIE),  ZELVO_SUMMED(PROCH),
      ZELVO_SUMMED(KLASS),      ZELVO_SUMMED(PREMIJPR), ZELVO_SUMMED(VOZVRAT),
      ZELVO_SUMMED(SUMTARS),    ZELVO_SUMMED(SRED),     ZELVO_SUMMED(CASYP),
      ZELVO_SUMMED(CASYS),      ZELVO_SUMMED(CASYSRED), ZELVO_SUMMED(MOIKA),
      ZELVO_SUMMED(REMONT),     ZELVO_SUMMED(CASYR),    ZELVO_SUMMED(DOLGRETURN),
      ZELVO_SUMMED(PREMIJ),     ZELVO_SUMMED(AVANS),    ZELVO_SUMMED(VYCHMATERIAL),
      ZELVO_SUMMED(VYCHTOVAR),  ZELVO_SUMMED(BOLNICA),  ZELVO_SUMMED(POMOSCH),
      ZELVO_SUMMED(POSOBIE),    ZELVO_SUMMED(NOCHNYE),
  };
  static constexpr SummedByte kBytes[] = {ZELVO_SUMMED(OTXT), ZELVO_SUMMED(CTXT), ZELVO_SUMMED(BTXT)};
#undef ZELVO_SUMMED
  constexpr std::size_t kDecimalCount = std::size(kDecimals);
  constexpr std::size_t kByteCount = std::size(kBytes);

  Calculation c(globals);
  const Decimal employee = VAR.numG.Get(globals.variables);
  const DayNumber month = VAR.dat.Get(globals.variables);
  std::array<Decimal, kDecimalCount> decimals{};
  std::array<std::int64_t, kByteCount> bytes{};
  ReadAll(nzelvo, c.result, [&](const RecordBuffer& line) {
    if (NPL.NUM.Get(line) != employee || NPL.DATA.Get(line) != month) return;
    for (std::size_t i = 0; i < kDecimalCount; ++i) decimals[i] += kDecimals[i].line.Get(line);
    for (std::size_t i = 0; i < kByteCount; ++i) bytes[i] += kBytes[i].line.Get(line);
  });
  const Assign nba(record, kNbasaTable.prefix, c.result);
  for (std::size_t i = 0; i < kDecimalCount; ++i) nba(kDecimals[i].month, decimals[i]);
  for (std::size_t i = 0; i < kByteCount; ++i) nba(kBytes[i].month, Decimal(bytes[i]));
  return c.result;
}

PayResult ComputeMonth(const PayGlobals& globals, RecordBuffer& form, RecordBuffer& record,
                       const RecordBuffer* cursorLine) {
  Calculation c(globals);
  const Assign nba(record, kNbasaTable.prefix, c.result);
  const Assign frm(form, "", c.result);

  c.pay(PAY.MESTOG, cursorLine ? NPL.MESTO.Get(*cursorLine) : std::string());

  const Decimal tariff = c.Pay(PAY.TARIFG), ktu = c.Pay(PAY.KTUG);
  const Decimal salary = c.Pay(PAY.OKLADG), workingDays = c.Pay(PAY.DNR);
  frm(FORM.SUMTARL, tariff * ktu * NBA.CASY.Get(record));
  frm(FORM.SUMTARPL, tariff * ktu * NBA.CASYP.Get(record));
  frm(FORM.SUMOKLL, salary * ktu * NBA.DNI.Get(record) / workingDays);  // 0 when DNR is 0

  nba(NBA.SUMM, Accrued(NBA, record, FORM.SUMOKLL.Get(form), FORM.SUMTARL.Get(form),
                        FORM.SUMTARPL.Get(form)));
  // OMPL is still the value of the previous run: the fund takes this month's
  // taxable aid only from the second run on.
  nba(NBA.FOND, NBA.SUMM.Get(record) - NBA.BOLNICA.Get(record) - NBA.COMP.Get(record) -
                    NBA.POMOSCH.Get(record) + FORM.OMPL.Get(form) - NBA.VOZVRAT.Get(record) -
                    NBA.POSOBIE.Get(record));
  const Decimal f = c.Pay(PAY.F);
  nba(NBA.SUMNG, f + NBA.FOND.Get(record));

  const Decimal yearToDate = f + c.Pay(PAY.BOLNG) + c.Pay(PAY.COMPG) + NBA.FOND.Get(record);
  const Decimal limit = c.Pay(PAY.G3), earned = c.Pay(PAY.SPR);
  const std::int64_t h = PAY.HG.Get(globals.pay), a = PAY.AG.Get(globals.pay);
  const std::int64_t i = PAY.IG.Get(globals.pay), o = PAY.OG.Get(globals.pay);
  const std::int64_t p = PAY.PG.Get(globals.pay);

  const bool belowLimit = yearToDate < limit - earned;
  const bool noPrivilege = h == 0 && a == 0 && i == 0 && p == 0;
  Decimal personal;
  if (belowLimit && noPrivilege && o == 0 && NBA.TRUD.Get(record).IsZero()) personal = c.Pay(PAY.G1);
  else if (belowLimit && noPrivilege && o == 1) personal = c.Pay(PAY.G1);
  else if (i == 1) personal = c.Pay(PAY.G9);
  else if (p == 1) personal = c.Pay(PAY.G0);
  else if (h == 1) personal = c.Pay(PAY.G7);
  else if (a == 1) personal = c.Pay(PAY.G6);
  nba(NBA.SUMLGL, personal);

  const bool belowTwiceLimit = yearToDate < limit * 2 - earned;
  const Decimal dependants = c.Pay(PAY.KIGD);
  if (belowTwiceLimit && o == 0) {
    nba(NBA.SUMLG, c.Pay(PAY.G2) * dependants);
    nba(NBA.KLG, dependants);
  } else if (belowTwiceLimit && o == 1) {
    nba(NBA.SUMLG, c.Pay(PAY.G2) * 2 * dependants);
    nba(NBA.KLG, dependants);
  } else {
    nba(NBA.SUMLG, Decimal());
    nba(NBA.KLG, Decimal());
  }

  const Decimal aid = NBA.POMOSCH.Get(record), aidBefore = c.Pay(PAY.POMOSCHG);
  const Decimal freeAid = c.Pay(PAY.G4);
  if (aidBefore >= freeAid) frm(FORM.OMPL, aid);
  else if (aid + aidBefore > freeAid) frm(FORM.OMPL, aid + aidBefore - freeAid);
  else frm(FORM.OMPL, Decimal());

  ComputeTaxInto(c, form, record);
  return c.result;
}

PayResult RecomputeTax(const PayGlobals& globals, RecordBuffer& form, RecordBuffer& record) {
  Calculation c(globals);
  ComputeTaxInto(c, form, record);
  return c.result;
}

PayResult StoreEmployeeCopy(const PayGlobals& globals, RecordBuffer& record) {
  Calculation c(globals);
  const Assign nba(record, kNbasaTable.prefix, c.result);
  nba(NBA.NUM, VAR.numG.Get(globals.variables));
  nba(NBA.POST, PAY.POSTG.Get(globals.pay));
  nba(NBA.OKLAD, c.Pay(PAY.OKLADG));
  nba(NBA.TARIF, c.Pay(PAY.TARIFG));
  nba(NBA.KTU, c.Pay(PAY.KTUG));
  nba(NBA.UCHASTOK, VAR.uchastokg.Get(globals.variables));
  nba(NBA.FAM, PAY.FAMG.Get(globals.pay));
  return c.result;
}

void ClosePayForm(const PayGlobals& globals) {
  // Zero fits every decimal and byte: these stores cannot be refused.
  (void)PAY.F.Set(globals.pay, Decimal());
  (void)PAY.DNR.Set(globals.pay, 0);
}

// --- The pay line form -----------------------------------------------------------------

PayResult PrimeNewLine(const PayGlobals& globals, RecordBuffer& line) {
  Calculation c(globals);
  const Assign npl(line, kNzelvoTable.prefix, c.result);
  npl(NPL.NUM, VAR.numG.Get(globals.variables));
  npl(NPL.DATA, VAR.dat.Get(globals.variables));
  npl(NPL.A, c.Pay(PAY.AG));
  npl(NPL.H, c.Pay(PAY.HG));
  return c.result;
}

PayResult ComputeLine(const PayGlobals& globals, RecordBuffer& lineForm, RecordBuffer& line) {
  Calculation c(globals);
  const Assign npl(line, kNzelvoTable.prefix, c.result);
  const Assign own(lineForm, "", c.result);

  const Decimal tariff = c.Pay(PAY.TARIFG), ktu = c.Pay(PAY.KTUG);
  const Decimal salary = c.Pay(PAY.OKLADG), workingDays = c.Pay(PAY.DNR);
  const Decimal hours = NPL.CASY.Get(line), days = NPL.DNI.Get(line);
  own(LINE.SUMTARL, tariff * ktu * hours);
  own(LINE.SUMTARPL, tariff * ktu * NPL.CASYP.Get(line));
  own(LINE.SUMOKLL, salary * ktu * days / workingDays);
  npl(NPL.KLASS, c.Pay(PAY.KLASSG) / 100 * tariff * ktu * hours);
  npl(NPL.MOIKA, c.Pay(PAY.MOIKAG) / 100 * tariff * ktu * hours);
  const Decimal bonusPercent = NPL.PRPR.Get(line);
  npl(NPL.PREMIJPR, bonusPercent / 100 * tariff * ktu * hours +
                        bonusPercent / 100 * salary * ktu * days / workingDays);
  npl(NPL.SUMM, Accrued(NPL, line, LINE.SUMOKLL.Get(lineForm), LINE.SUMTARL.Get(lineForm),
                        LINE.SUMTARPL.Get(lineForm)));

  npl(NPL.MESTO, PAY.MESTOG.Get(globals.pay));
  npl(NPL.A, c.Pay(PAY.AG));
  npl(NPL.H, c.Pay(PAY.HG));
  return c.result;
}

}  // namespace zelvo
