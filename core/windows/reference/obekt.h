// The work objects (OBEKT), named on pay lines and piecework jobs: `Obekt`,
// the browse "Перечень объектов" in the order of their names, and
// `ObektUp`, its form. The pay-line and piecework forms open `Obekt` with
// PendingRequest 4 to pick one: LastResponse 1 with the chosen object in
// the OBEKT buffer, 2 with the buffer as it was.
//
// Each takes its request from PendingRequest and leaves its response in
// LastResponse; runs on its procedure's thread while it holds the run token.
#pragma once

namespace zelvo {

void Obekt();
void ObektUp();

}  // namespace zelvo
