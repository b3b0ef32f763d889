// `zelvo [--dir DIR] script FILE [--backend headless|qt] [--today YYYY-MM-DD]`:
// runs the whole program, from its start-up and frame, with a script of user
// actions and expectations carried out on it (app/script/script.h) — on the
// headless back end, or on the real Qt widgets (offscreen when there is no
// display), so that one script checks both.
//
// FILE is read before the data directory is entered (Load, called before
// the change to DIR), so a relative FILE is relative to where zelvo started.
// `--today` fixes the date the program takes as today; the time of day stays
// the system's.
//
// Exit status: 0 every line carried out and every expectation held; 1 at the
// first failure ("FILE:LINE: expected "X", found "Y"" on standard error); 2
// when the script cannot be read, a line is malformed, or an option is bad.
//
// Example:
//     $ zelvo --dir /tmp/empty script frame.script --backend qt --today 2024-03-15
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace zelvo {

class ScriptCommand {
 public:
  explicit ScriptCommand(CLI::App& parent);

  bool Chosen() const { return command_->parsed(); }
  // Reads FILE and checks the options: 0, or 2 with the reason said.
  int Load();
  // Runs the session in the data directory (REQUIRES: Load answered 0).
  // `argc` and `argv` are the process's, for the Qt application.
  int Run(int& argc, char** argv);

 private:
  CLI::App* command_;
  std::string file_;
  std::string backend_ = "headless";
  std::string today_;
  std::string text_;
};

}  // namespace zelvo
