#include "storage/retry_wait.h"

#include <gtest/gtest.h>

#include "tests/testing/manual_wait_clock.h"

namespace zelvo {
namespace {

using namespace std::chrono_literals;
using testing_support::ManualWaitClock;

// Attempts that fail `failures` times, then succeed.
struct Case {
  WaitLimit limit;
  int failures;
  bool succeeds;
  int attempts;
  std::chrono::milliseconds waited;
};

TEST(RetryUntil, TriesUntilTheAttemptSucceedsOrTheLimitHasPassed) {
  const Case cases[] = {
      {kNoWaitLimit, 0, true, 1, 0ms},
      {kNoWaitLimit, 500, true, 501, 25000ms},  // no limit: however long it takes
      {3s, 4, true, 5, 200ms},
      {3s, 1000, false, 61, 3000ms},  // the attempt at the deadline is the last
      {0s, 1000, false, 1, 0ms},      // no seconds: one attempt
      {-5s, 1000, false, 1, 0ms},
  };
  for (const Case& c : cases) {
    ManualWaitClock clock;
    int attempts = 0;
    const bool succeeded = RetryUntil(c.limit, 50ms, [&] { return attempts++ >= c.failures; });
    EXPECT_EQ(succeeded, c.succeeds) << c.failures;
    EXPECT_EQ(attempts, c.attempts) << c.failures;
    EXPECT_EQ(clock.Waited(), c.waited) << c.failures;
  }
}

TEST(RetryUntil, WaitsByTheSystemClockWhenNoneIsSet) {
  const auto started = std::chrono::steady_clock::now();
  int attempts = 0;
  EXPECT_TRUE(RetryUntil(kNoWaitLimit, 10ms, [&] { return ++attempts == 3; }));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 20ms);
}

}  // namespace
}  // namespace zelvo
