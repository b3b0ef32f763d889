// pfPr: the bank payment order (form "0401060") for the month's pension
// contribution F28, with the amount in figures and in words and the payment
// purpose naming the month of datN ("Пенсионный взнос за март 2004 года код
// ГНИ ... рег. ..., без налога (НДС)."). NumSel asks the order's number
// first. The order is dated today.
//
// The run walks the pay records with the report runner (an empty table is
// "No Records"), and the order is printed once: one page, A4 portrait, the
// form at 25 mm from the page's left and top edges.
//
// The payer's and payee's requisites are the enterprise's particulars,
// constants of the form (kPaymentRequisites).
#pragma once

#include <memory>
#include <string>

#include "runtime/date_time.h"

namespace zelvo {

class ReportRunner;

void pfPr();
// The form for the order's number ("Номер платежного поручения"): emptied
// before it opens; OK takes the number and leaves the form open, "Ввод"
// closes it.
void NumSel();

// The order's number as NumSel left it (CP1251, at most 4 characters).
std::string PaymentOrderNumber();
void SetPaymentOrderNumber(std::string_view number);

std::unique_ptr<ReportRunner> MakePaymentOrderReport();

// The payment purpose for the month of `month` (CP1251).
std::string PaymentPurpose(DayNumber month);

}  // namespace zelvo
