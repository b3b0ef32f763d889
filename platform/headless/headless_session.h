// HeadlessSession: a program running on the headless back end, with the
// driver that acts as its user — what tests of windows and procedures start
// from.
//
//     HeadlessSession session([] { MyProcedure(); });   // runs at once, installed as the runtime
//     ASSERT_TRUE(session.WaitIdle());
//     session.driver().Press(handle, ok);
//     EXPECT_EQ(session.Finish(), 0);                    // waits for the program to end
//
// The program runs on procedure threads of the runtime; the test's own
// thread is the user's. A session still running when it goes is ended as a
// fatal halt ends the program.
#pragma once

#include <functional>
#include <string>

#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"

namespace zelvo {

class HeadlessSession {
 public:
  explicit HeadlessSession(std::function<void()> program);
  ~HeadlessSession();
  HeadlessSession(const HeadlessSession&) = delete;
  HeadlessSession& operator=(const HeadlessSession&) = delete;

  HeadlessRuntime& runtime() { return runtime_; }
  HeadlessDriver& driver() { return driver_; }

  // Waits until the program is idle (or has ended); false after `seconds`,
  // with what still runs in `busy`.
  [[nodiscard]] bool WaitIdle(double seconds = 10, std::string* busy = nullptr) {
    return driver_.WaitIdle(seconds, busy);
  }
  // Waits for the program to end; its exit status.
  int Finish();

 private:
  HeadlessRuntime runtime_;
  HeadlessDriver driver_{runtime_};
  bool finished_ = false;
  int status_ = 0;
};

}  // namespace zelvo
