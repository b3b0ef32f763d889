// RunScriptSession: a whole scripted session — the script parsed, the program
// run on the window runtime, and the script carried out on it by a driver
// acting as the user.
//
//     HeadlessRuntime runtime;
//     HeadlessDriver driver(runtime);
//     InstallWindowRuntime(&runtime);
//     int status = RunScriptSession(text, "konst.script", driver, runtime, [] { Main(); }, std::cerr);
//
// The program runs on the calling thread's runtime.Run (a display needs the
// process's first thread); the script runs on a thread of its own. Answers
// 2 without running anything when a line is malformed (the message written
// to `errors`), else the runner's 0 or 1 once the program has ended.
//
// A program that no longer answers at all (a procedure that never waits
// again) cannot be ended from outside: once the script gave up and the
// program still runs after the runner's wait, the process ends with status 1.
//
// FixedDateClock: `--today YYYY-MM-DD` as the program's clock, the time of
// day still the system's.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "platform/user_driver.h"
#include "platform/window_runtime.h"
#include "runtime/date_time.h"

namespace zelvo {

int RunScriptSession(std::string_view text, const std::string& fileName, UserDriver& driver, WindowRuntime& runtime,
                     std::function<void()> program, std::ostream& errors);

// The same on a fresh runtime of a back end and its driver, the runtime
// installed while the session runs; `ended` (when given) tells whether the
// program ran and ended:
//     RunScriptOn<HeadlessRuntime, HeadlessDriver>(text, "konst.script", [] { Main(); }, std::cerr);
template <class Runtime, class Driver>
int RunScriptOn(std::string_view text, const std::string& fileName, std::function<void()> program,
                std::ostream& errors, bool* ended = nullptr) {
  Runtime runtime;
  Driver driver(runtime);
  InstallWindowRuntime(&runtime);
  const int status = RunScriptSession(text, fileName, driver, runtime, std::move(program), errors);
  InstallWindowRuntime(nullptr);
  if (ended != nullptr) *ended = driver.Ended();
  return status;
}

class FixedDateClock final : public Clock {
 public:
  // nullopt unless `text` is a date YYYY-MM-DD.
  static std::optional<FixedDateClock> FromText(std::string_view text);
  LocalDateTime Now() const override;

 private:
  FixedDateClock(int year, int month, int day) : year_(year), month_(month), day_(day) {}
  int year_, month_, day_;
};

}  // namespace zelvo
