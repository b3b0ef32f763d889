// The sections of the enterprise (UCHASTOK), named in the employee register
// and grouping the reports: `Uchastok`, the browse "Перечень участков" in the
// order of their names, and `UchastokUp`, its form. The employee form and
// the reports of one section open `Uchastok` with PendingRequest 4 to pick
// one: LastResponse 1 with the chosen section in the UCHASTOK buffer, 2 with
// the buffer as it was.
//
// Each takes its request from PendingRequest and leaves its response in
// LastResponse; runs on its procedure's thread while it holds the run token.
#pragma once

namespace zelvo {

void Uchastok();
void UchastokUp();

}  // namespace zelvo
