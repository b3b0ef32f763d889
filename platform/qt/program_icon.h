// The program's own icon (a ledger page and a stack of coins), drawn for
// this program and kept as a Qt resource in several sizes.
#pragma once

#include <QIcon>

namespace zelvo {

QIcon ProgramIcon();

}  // namespace zelvo
