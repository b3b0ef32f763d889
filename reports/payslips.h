// The payslips ("Лицевой счет за" a month): one employee's stored pay record
// of the working month — the bases of the calculation, every accrual, every
// deduction, the income tax, and what is to be paid out or owed.
//
//   RaschPr     every pay record of the month of `dat`, in the order of the
//               surname key;
//   RaschSelPr  the pay records of the month of the employees numbered num1 to
//               num4 (chosen in NumRasSel first), in the same order.
//
// A payslip is a band 91 × 131 mm; four fit on a portrait A4 page, two side
// by side in two rows. It recomputes only what the record does not hold: the
// full name, the pay by salary, by tariff and by a minor's tariff, the
// premium percent, the total withheld, and the amount to pay or the debt.
// DNR (the working days of the month) is the program's, as the monthly
// browse loaded it.
//
// Each procedure runs on the thread it is called on (the monthly browse starts
// it on a thread of its own) with the program's objects (ProgramObjects).
#pragma once

#include <memory>


namespace zelvo {

void RaschPr();
void RaschSelPr();
// The form where the user types the four employee numbers ("Номера расчеток");
// it keeps the numbers of the previous run.
void NumRasSel();

// What the two payslip procedures are, for their callers and the command line.
enum class PayslipSelection { Month, Chosen };
class ReportRunner;
std::unique_ptr<ReportRunner> MakePayslipReport(PayslipSelection selection);

}  // namespace zelvo
