// CurrentThreadNumber: a small positive number for the calling OS thread,
// handed out in the order threads first ask (the first is 1). The table
// managers key their per-thread use records and the error reporter its
// procedure stack by it. Safe from any thread.
#pragma once

#include <cstdint>

namespace zelvo {

std::int32_t CurrentThreadNumber();

}  // namespace zelvo
