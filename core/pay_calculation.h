// The monthly pay calculation of one employee: the program-wide values of the
// chosen employee, the year-to-date sums, the accruals of each pay line, the
// month's totals, the payroll fund, the deductions, the taxable material aid,
// the income tax, the pension contribution shown, alimony, the total withheld
// and the amount to pay or the debt.
//
// Who runs what (the pay windows call these at their events):
//
//   pay-records browse opens    ChooseEmployee (CountDependants inside)
//   its list is refilled        YearToDate
//   insert / change chosen      CopyYearToDate(..., Insert | Change)
//   pay form opens              OpenPayForm (LoadConstants, LoadWorkingDays)
//   line form opens (insert)    PrimeNewLine
//   line form OK                ComputeLine
//   pay form's lines refilled   SumLines, then ComputeMonth
//   event of the list of lines  ComputeMonth
//   REG13 accepted              RecomputeTax
//   NBA:DATA accepted           ChangeMonthDate
//   pay form OK                 StoreEmployeeCopy, then the record is written
//   pay form closes             ClosePayForm
//
// Arithmetic is exact decimal (runtime/decimal.h): each expression is
// evaluated left to right as written (OKLADG x KTUG x NBA:DNI / DNR is the
// exact product, then the 31-place quotient; a zero divisor gives 0), and
// every assignment rounds once, half away from zero, to its target's declared
// type (a BYTE target to a whole number). A later step reads the stored,
// rounded value of an earlier one.
//
// Results that do not fit: a target whose new value needs more digits than it
// is declared with (a BYTE outside 0..255, a text longer than its field) is
// refused, never wrapped or capped: it keeps its previous value, the
// calculation goes on, and the returned PayResult names it ("NBA:SUMM",
// "VYCHETYL", "KIGD"). Values computed after a refused store may rest on the
// old value, so a caller must not present a result that is not Ok() as a
// computed month; `zelvo calc` exits 2 naming the targets.
//
// A table that could not be read to its end is named in PayResult::unreadable;
// what was read before the failure has been applied.
//
// Buffers: `globals` as in core/pay_values.h; `record` is a pay record of the
// NBASA layout (the form's record buffer), `line` a pay line of the NZELVO
// layout, `form` of kPayFormFields, `lineForm` of kPayLineFormFields, `employee`
// of the BASA layout. The caller owns them all. Sources yield records of their
// table's layout. A buffer of the wrong layout is a programming error: handles
// assert in a debug build and otherwise refuse, and the refusal is reported.
//
// Not thread-safe: like all program state, used only by the run-token holder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/pay_values.h"
#include "storage/record_buffer.h"
#include "core/record_source.h"
#include "runtime/date_time.h"
#include "runtime/decimal.h"

namespace zelvo {

struct [[nodiscard]] PayResult {
  std::vector<std::string> overflows;   // refused targets, in the order met, each once
  std::vector<std::string> unreadable;  // table labels ("DNI") not read to their end

  bool Ok() const { return overflows.empty() && unreadable.empty(); }
  // Appends what `other` names that this result does not yet.
  void Merge(const PayResult& other);
};

// --- The employee ------------------------------------------------------------

// Sets IGD1G..IGD5G, KIGD and ALIMG from an employee record (the employee
// picker does this while selecting). A dependant counts when its kind is
// "н/р.ч/с"; or "студ" with a date later than today - 8766 days; or "реб" with
// a date later than today - 6575 days. Kinds compare case-insensitively
// through the locale tables, trailing blanks ignored. `today` is the
// computer's date (TODAY()), not the month computed.
// KIGD := the five flags + BAS:ALIMENT; ALIMG := BAS:ALIMENT.
PayResult CountDependants(const PayGlobals& globals, const RecordBuffer& employee, DayNumber today);

// F, BOLNG, COMPG := 0; then, when an employee was chosen (`chosen` not null),
// counts its dependants and copies BAS:NUM, FAM, NOM, PER, POST, OKLAD, TARIF,
// KTU, H, A, KLASS, MOIKA, UCHASTOK, I, O, P, DATAN, DATAK, SUMPRED into numG,
// FAMG, NOMG, PERG, POSTG, OKLADG, TARIFG, KTUG, HG, AG, KLASSG, MOIKAG,
// uchastokg, IG, OG, PG, datN, DATK, SPR. Without a choice nothing else changes.
PayResult ChooseEmployee(const PayGlobals& globals, const RecordBuffer* chosen, DayNumber today);

// --- Year to date --------------------------------------------------------------

// Four exact sums over pay records (never rounded: nothing stores them here).
struct PaySums {
  Decimal fond, pomosch, bolnica, comp;  // NBA:FOND, POMOSCH, BOLNICA, COMP
};

struct YearToDateTotals {
  PaySums all;      // every pay record of the employee (NBA:NUM = numG)
  PaySums earlier;  // those whose NBA:DATA is earlier than datN as it is now
  PayResult result;  // only `unreadable` can be set
};

// Over every record of `nbasa` (all years the table holds, as it holds them).
YearToDateTotals YearToDate(const PayGlobals& globals, const RecordSource& nbasa);

enum class PayRecordOpening : std::uint8_t {
  Insert,  // F, POMOSCHG, BOLNG, COMPG := the sums over all records
  Change,  // ... := the sums over the earlier records
};
PayResult CopyYearToDate(const PayGlobals& globals, const YearToDateTotals& totals,
                         PayRecordOpening opening);

// --- The pay form ---------------------------------------------------------------

// G1..G9, G0 := KON:VAL by KON:NOM, records in physical order (a later record of
// a code wins; codes outside 0..9 are ignored; a code without a record keeps
// its value).
PayResult LoadConstants(const PayGlobals& globals, const RecordSource& konst);

// DNR := DNI:D of the last record whose month and year are those of `month`;
// no such record (or `month` no date) leaves DNR as it is. A DNI record
// without a date matches no month.
PayResult LoadWorkingDays(const PayGlobals& globals, const RecordSource& dni, DayNumber month);

// The pay form opens: its values cleared (OMPL, REG13 0); F28 := 0; the
// constants loaded; dat := NBA:DATA; DNR loaded for that month.
PayResult OpenPayForm(const PayGlobals& globals, RecordBuffer& form, const RecordBuffer& record,
                      const RecordSource& konst, const RecordSource& dni);

// NBA:DATA accepted: dat := NBA:DATA; DNR loaded for that month.
PayResult ChangeMonthDate(const PayGlobals& globals, const RecordBuffer& record,
                          const RecordSource& dni);

// The month's totals: each summed NBASA field := the sum of the same field over
// the NZELVO records with NPL:NUM = numG and NPL:DATA = dat (0 for no lines):
// DNI, CASY, OTPUSK, COMP, VYGODA, TRUD, SOVMECH, BRIGADA, PODOTCHET, SSUDA,
// PROCHIE, PROCH, KLASS, PREMIJPR, VOZVRAT, SUMTARS, SRED, CASYP, CASYS,
// CASYSRED, OTXT, CTXT, MOIKA, REMONT, CASYR, DOLGRETURN, PREMIJ, AVANS,
// VYCHMATERIAL, VYCHTOVAR, BOLNICA, BTXT, POMOSCH, POSOBIE, NOCHNYE.
PayResult SumLines(const PayGlobals& globals, RecordBuffer& record, const RecordSource& nzelvo);

// The month computed, in this order: MESTOG from the line under the list's
// cursor (blank when there is none); SUMTARL, SUMTARPL, SUMOKLL; NBA:SUMM;
// NBA:FOND with the OMPL left by the previous ComputeMonth of this form (0 the
// first time); NBA:SUMNG; the personal deduction NBA:SUMLGL; the dependant
// deduction NBA:SUMLG, NBA:KLG; OMPL; then the steps of RecomputeTax.
PayResult ComputeMonth(const PayGlobals& globals, RecordBuffer& form, RecordBuffer& record,
                       const RecordBuffer* cursorLine);

// The tail of ComputeMonth on the record as it stands (REG13 accepted): the
// income tax NBA:N12 (the first of the four tax rules that applies), F28,
// NBA:ALIMENT, VYCHETYL, KVYDACHEL and DOLGL.
PayResult RecomputeTax(const PayGlobals& globals, RecordBuffer& form, RecordBuffer& record);

// Pay form OK: NBA:NUM, POST, OKLAD, TARIF, KTU, UCHASTOK, FAM := numG, POSTG,
// OKLADG, TARIFG, KTUG, uchastokg, FAMG.
PayResult StoreEmployeeCopy(const PayGlobals& globals, RecordBuffer& record);

// Pay form closes: F := 0, DNR := 0.
void ClosePayForm(const PayGlobals& globals);

// --- The pay line form ------------------------------------------------------------

// A new line: NPL:NUM := numG, NPL:DATA := dat, NPL:A := AG, NPL:H := HG.
PayResult PrimeNewLine(const PayGlobals& globals, RecordBuffer& line);

// Line form OK, before the line is written: the line's SUMTARL, SUMTARPL,
// SUMOKLL (in `lineForm`), NPL:KLASS, NPL:MOIKA, NPL:PREMIJPR, NPL:SUMM; then
// NPL:MESTO := MESTOG, NPL:A := AG, NPL:H := HG.
PayResult ComputeLine(const PayGlobals& globals, RecordBuffer& lineForm, RecordBuffer& line);

}  // namespace zelvo
