#include "app/script/script_session.h"

#include <charconv>
#include <cstdlib>
#include <thread>

#include "app/script/script.h"
#include "app/script/script_runner.h"

namespace zelvo {

int RunScriptSession(std::string_view text, const std::string& fileName, UserDriver& driver, WindowRuntime& runtime,
                     std::function<void()> program, std::ostream& errors) {
  std::string error;
  std::optional<Script> script = ParseScript(text, fileName, &error);
  if (!script) {
    errors << error << std::endl;
    return 2;
  }
  int status = 0;
  std::thread user([&] {
    ScriptRunner runner(*script, driver, errors);
    status = runner.Run();
    if (!driver.Ended()) {
      // Quit could not end it: some procedure never waits again.
      errors << fileName << ": the program does not end" << std::endl;
      std::_Exit(1);
    }
  });
  (void)runtime.Run(std::move(program));
  user.join();
  return status;
}

std::optional<FixedDateClock> FixedDateClock::FromText(std::string_view text) {
  auto number = [&](std::size_t at, std::size_t length, int* value) {
    if (at + length > text.size()) return false;
    auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, *value);
    return error == std::errc() && end == text.data() + at + length;
  };
  int year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !number(0, 4, &year) || !number(5, 2, &month) ||
      !number(8, 2, &day))
    return std::nullopt;
  const DayNumber date = Date(month, day, year);
  if (month < 1 || month > 12 || !IsValidDay(date) || Day(date) != day || Month(date) != month) return std::nullopt;
  return FixedDateClock(year, month, day);
}

LocalDateTime FixedDateClock::Now() const {
  LocalDateTime now = SystemClock().Now();
  now.year = year_;
  now.month = month_;
  now.day = day_;
  return now;
}

}  // namespace zelvo
