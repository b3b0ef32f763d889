// The enterprise's requisites (OSNOVA), which the income-tax export writes
// into its file: `Osnova`, the browse "Сведения об организации" of the
// table's records in the order they are stored (the export takes the last
// one), and `OsnovaUp`, its form, where the person responsible and the chief
// accountant each fill a group of their own.
//
// Each takes its request from PendingRequest and leaves its response in
// LastResponse; runs on its procedure's thread while it holds the run token.
#pragma once

namespace zelvo {

void Osnova();
void OsnovaUp();

}  // namespace zelvo
