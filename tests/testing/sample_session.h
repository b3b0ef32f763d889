// A scripted session on the sample program, on whichever back end — what the
// script tests (headless) and the Qt back end's tests run, so one script
// checks both:
//
//     ScriptOutcome outcome = RunSampleScript<HeadlessRuntime, HeadlessDriver>(text, "s");
//     ScriptOutcome onQt = RunSampleScript<QtRuntime, QtDriver>(SampleSession("fill_save_list"), "...");
#pragma once

#include <string>
#include <vector>

#include "tests/testing/sample_program.h"
#include "tests/testing/scripted_run.h"

namespace zelvo {

// What the session left: the runner's exit status and messages, the records
// the program saved, whether the program ended.
struct ScriptOutcome : ScriptRun {
  std::vector<std::string> saved;
};

// Runs `text` on a fresh sample program, the runtime installed while it runs.
template <class Runtime, class Driver>
ScriptOutcome RunSampleScript(const std::string& text, const std::string& fileName) {
  SampleProgram program;
  ScriptOutcome outcome;
  static_cast<ScriptRun&>(outcome) = RunScriptOn<Runtime, Driver>(text, fileName, [&] { program.Main(); });
  outcome.saved = program.Saved();
  return outcome;
}

// The text of a sample session (tests/testing/sample_sessions/NAME.script);
// empty when there is none.
inline std::string SampleSession(const std::string& name) { return SessionText(ZELVO_SAMPLE_SESSIONS, name); }

}  // namespace zelvo
