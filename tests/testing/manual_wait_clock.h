// ManualWaitClock: the storage engine's wait clock (storage/retry_wait.h) for
// a test, in place while it lives. Its time moves only by the pauses the
// waits take, so a wait of seconds passes at once and always takes the same
// number of attempts; `onPause` acts as the other station meanwhile (lets a
// lock go after so many pauses, say).
//
//     ManualWaitClock clock;
//     EXPECT_EQ(Seconds(b, Op::LOGOUT, 1), ErrorCode::FileIsAlreadyLocked);
//     EXPECT_EQ(clock.Waited(), std::chrono::seconds(1));
#pragma once

#include <chrono>
#include <functional>

#include "storage/retry_wait.h"

namespace zelvo::testing_support {

class ManualWaitClock final : public WaitClock {
 public:
  ManualWaitClock() { SetWaitClock(this); }
  ~ManualWaitClock() override { SetWaitClock(nullptr); }
  ManualWaitClock(const ManualWaitClock&) = delete;
  ManualWaitClock& operator=(const ManualWaitClock&) = delete;

  std::chrono::steady_clock::time_point Now() override { return start_ + waited_; }
  void Pause(std::chrono::milliseconds pause) override {
    waited_ += pause;
    ++pauses_;
    if (onPause) onPause(pauses_);
  }

  // The time the waits have let go by, and how many pauses they took.
  std::chrono::milliseconds Waited() const { return waited_; }
  int Pauses() const { return pauses_; }

  std::function<void(int pauses)> onPause;

 private:
  std::chrono::steady_clock::time_point start_{};
  std::chrono::milliseconds waited_{0};
  int pauses_ = 0;
};

}  // namespace zelvo::testing_support
