// The tax constants (KONST): `Konst`, the browse "Значения констант" ordered
// by the constants' names, and `KonstUp`, its form, where the constant is
// chosen from the ten the pay calculation knows and the form stores the
// chosen code's full name with it.
//
// Each takes its request from PendingRequest and leaves its response in
// LastResponse; runs on its procedure's thread while it holds the run token.
#pragma once

#include <string_view>

namespace zelvo {

void Konst();
void KonstUp();

// The name KonstUp stores for constant code `code` (UTF-8); empty for a code
// outside 0..9.
std::string_view KonstName(int code);

}  // namespace zelvo
