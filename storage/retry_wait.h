// Waiting for what another station or program holds — a table lock, a held
// record, the write lock of an indexed record file — by trying again after a
// short pause until the wait's limit has passed. Every such wait of the
// storage engine goes through RetryUntil, and the clock it waits by is one
// seam (SetWaitClock), so that tests drive the waits without sleeping.
//
//     ErrorCode code;
//     const bool taken = RetryUntil(std::chrono::seconds(3), std::chrono::milliseconds(50), [&] {
//       code = TryTheLock();
//       return code != ErrorCode::FileIsAlreadyLocked;   // done: taken, or failed otherwise
//     });
//
// The first attempt is made at once; after a failed attempt the wait ends
// when the limit has passed since it began, and otherwise pauses and tries
// again. A limit of 0 seconds (or less) is one attempt; no limit waits until
// an attempt succeeds.
//
// The clock is process-wide: set it before the waits that use it, and put
// the system's back (nullptr) before it goes.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace zelvo {

class WaitClock {
 public:
  virtual ~WaitClock() = default;
  virtual std::chrono::steady_clock::time_point Now() = 0;
  // Lets `pause` go by before the next attempt.
  virtual void Pause(std::chrono::milliseconds pause) = 0;
};

// The steady clock of the machine, pausing by sleeping.
WaitClock& SystemWaitClock();
WaitClock& CurrentWaitClock();
void SetWaitClock(WaitClock* clock);

// How long a wait may last; no limit (nullopt): until an attempt succeeds.
using WaitLimit = std::optional<std::chrono::seconds>;
inline constexpr WaitLimit kNoWaitLimit = std::nullopt;

// Calls `attempt` until it answers true or the limit has passed; answers
// whether an attempt did.
bool RetryUntil(WaitLimit limit, std::chrono::milliseconds pause, const std::function<bool()>& attempt);

}  // namespace zelvo
