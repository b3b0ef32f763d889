#include "storage/retry_wait.h"

#include <thread>

namespace zelvo {
namespace {

class SteadyWaitClock final : public WaitClock {
 public:
  std::chrono::steady_clock::time_point Now() override { return std::chrono::steady_clock::now(); }
  void Pause(std::chrono::milliseconds pause) override { std::this_thread::sleep_for(pause); }
};

WaitClock* g_waitClock = nullptr;

}  // namespace

WaitClock& SystemWaitClock() {
  static SteadyWaitClock clock;
  return clock;
}

WaitClock& CurrentWaitClock() { return g_waitClock ? *g_waitClock : SystemWaitClock(); }
void SetWaitClock(WaitClock* clock) { g_waitClock = clock; }

bool RetryUntil(WaitLimit limit, std::chrono::milliseconds pause, const std::function<bool()>& attempt) {
  WaitClock& clock = CurrentWaitClock();
  const auto deadline = limit ? clock.Now() + std::max(*limit, std::chrono::seconds{0})
                              : std::chrono::steady_clock::time_point::max();
  for (;;) {
    if (attempt()) return true;
    if (limit && clock.Now() >= deadline) return false;
    clock.Pause(pause);
  }
}

}  // namespace zelvo
