// The values the monthly tax browse computes for its working month when it
// opens and as its list is refilled, which the reports it starts read:
//
//   DNR  the working days of the month of `dat` (DNI, as the pay form loads them);
//   F    the payroll fund of the month: NBA:FOND summed over the month's pay records;
//   F28  the pension contribution, F × 0.20.
//
// The tables are read in physical order through their dictionary managers
// (InitDictionary first). Used only by the run token's holder.
#pragma once

#include "core/pay_calculation.h"

namespace zelvo {

// DNR for the month of `dat`; DNR as it was when the month has no record.
PayResult LoadMonthWorkingDays(const PayGlobals& globals);
// F and F28 for the month of `dat`.
PayResult ComputeMonthContributions(const PayGlobals& globals);

}  // namespace zelvo
