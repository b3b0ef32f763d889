// ScriptRunner: carries out a parsed script on a running program through a
// UserDriver, as the user at the keyboard would, and checks its expectations.
//
// Before each line it waits until the program is idle (10 seconds at most;
// then the line fails naming what still runs). A message box open before a
// line other than `answer` or `expect-message` fails that line. Lines act on
// the target window: the one `window` chose, or, when none was chosen or the
// chosen one has closed, the window with the focus. Menus and the status bar
// are the frame's. When every line has run and the program still runs, the
// frame is closed as its Exit command closes it and the program must end.
//
// Run answers 0 when every line was carried out and every expectation held;
// 1 at the first failure, which it writes as "FILE:LINE: expected "X", found
// "Y"" (or what went wrong instead) and then ends the program at once.
#pragma once

#include <ostream>
#include <string>

#include "app/script/script.h"
#include "platform/user_driver.h"

namespace zelvo {

class ScriptRunner {
 public:
  static constexpr double kWaitSeconds = 10;

  ScriptRunner(const Script& script, UserDriver& driver, std::ostream& errors)
      : script_(script), driver_(driver), errors_(errors) {}

  int Run();

 private:
  // "" when the line was carried out and its expectation held.
  std::string Execute(const ScriptLine& line);
  std::string Prepare(const ScriptLine& line);
  std::string Act(const ScriptLine& line, const WindowView& target);
  std::string Expect(const ScriptLine& line, const WindowView& target);
  std::string ChooseWindow(const std::string& title);
  std::string EndProgram();
  // The target window now: "" and `view`, or why there is none.
  std::string Target(WindowView* view);
  int Fail(const std::string& where, const std::string& why);

  const Script& script_;
  UserDriver& driver_;
  std::ostream& errors_;
  int target_ = 0;  // the window `window` chose; 0 none
};

}  // namespace zelvo
