#include "reports/report_catalogue.h"

#include <strings.h>

#include "reports/payment_order.h"
#include "reports/payslips.h"

namespace zelvo {

const std::vector<ReportEntry>& ReportCatalogue() {
  static const std::vector<ReportEntry> entries{
      {"RaschPr", "payslips of every employee paid in the month of dat", "A4 portrait", "", {}, nullptr,
       [] { return MakePayslipReport(PayslipSelection::Month); }},
      {"RaschSelPr", "payslips of the employees num1..num4 in the month of dat", "A4 portrait", "NumRasSel",
       {"num1", "num2", "num3", "num4"}, NumRasSel,
       [] { return MakePayslipReport(PayslipSelection::Chosen); }},
      {"pfPr", "bank payment order of the month's pension contribution F28", "A4 portrait", "NumSel", {"NPP"},
       NumSel, MakePaymentOrderReport},
  };
  return entries;
}

const ReportEntry* FindReport(std::string_view name) {
  for (const ReportEntry& entry : ReportCatalogue())
    if (name.size() == std::string_view(entry.name).size() &&
        strncasecmp(entry.name, name.data(), name.size()) == 0)
      return &entry;
  return nullptr;
}

}  // namespace zelvo
