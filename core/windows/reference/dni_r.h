// The working days of each month (DNI): `DniR`, the browse "Количество
// рабочих дней" in the order of the months, and `DniRUp`, its form. A month
// may be entered twice; the pay calculation takes the record it reads last.
//
// Each takes its request from PendingRequest and leaves its response in
// LastResponse; runs on its procedure's thread while it holds the run token.
#pragma once

namespace zelvo {

void DniR();
void DniRUp();

}  // namespace zelvo
