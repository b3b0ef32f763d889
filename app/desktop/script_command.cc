#include "app/desktop/script_command.h"

#include <iostream>
#include <optional>

#include "app/cli/input_file.h"
#include "app/script/script_session.h"
#include "core/startup/program_main.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "platform/qt/qt_driver.h"
#include "platform/qt/qt_runtime.h"
#include "platform/qt/qt_session.h"
#include "runtime/date_time.h"

namespace zelvo {
namespace {

constexpr const char* kHelp = R"(Runs the whole program, from its frame, acting as the user: FILE holds one
command a line (menu, window, type, press, key, answer, expect-...). FILE is
read before the change to the data directory.

Exit status: 0 every line held; 1 the first failure, said as FILE:LINE: ...;
2 the script cannot be read or a line is malformed.)";

}  // namespace

ScriptCommand::ScriptCommand(CLI::App& parent) {
  command_ = parent.add_subcommand("script", "Run a scripted session on the whole program");
  command_->footer(kHelp);
  command_->add_option("FILE", file_, "The script")->required();
  command_->add_option("--backend", backend_, "headless (the default) or qt: the real widgets, offscreen "
                                              "when there is no display")
      ->check(CLI::IsMember({"headless", "qt"}));
  command_->add_option("--today", today_, "The date the program takes as today")->type_name("YYYY-MM-DD");
}

int ScriptCommand::Load() {
  if (!today_.empty() && !FixedDateClock::FromText(today_)) {
    std::cerr << "zelvo script: --today " << today_ << " is not a date YYYY-MM-DD\n";
    return 2;
  }
  std::optional<std::string> text = ReadInput(file_, "zelvo script");
  if (!text) return 2;
  text_ = std::move(*text);
  return 0;
}

int ScriptCommand::Run(int& argc, char** argv) {
  std::optional<FixedDateClock> today;
  if (!today_.empty()) {
    today = FixedDateClock::FromText(today_);
    SetClock(&*today);
  }
  int status = 0;
  if (backend_ == "qt") {
    const QtApplication application(argc, argv, QtApplication::OffscreenWithoutDisplay);
    status = RunScriptOn<QtRuntime, QtDriver>(text_, file_, [] { ProgramMain(); }, std::cerr);
  } else {
    status = RunScriptOn<HeadlessRuntime, HeadlessDriver>(text_, file_, [] { ProgramMain(); }, std::cerr);
  }
  SetClock(nullptr);
  return status;
}

}  // namespace zelvo
