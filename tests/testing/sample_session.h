// A scripted session on the sample program, on whichever back end — what the
// script tests (headless) and the Qt back end's tests run, so one script
// checks both:
//
//     ScriptOutcome outcome = RunSampleScript<HeadlessRuntime, HeadlessDriver>(text, "s");
//     ScriptOutcome onQt = RunSampleScript<QtRuntime, QtDriver>(SampleSession("fill_save_list"), "...");
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/script/script_session.h"
#include "platform/window_runtime.h"
#include "tests/testing/sample_program.h"
#include "tests/testing/session_files.h"

namespace zelvo {

// What the session left: the runner's exit status and messages, the records
// the program saved, whether the program ended.
struct ScriptOutcome {
  int status = -1;
  std::string errors;
  std::vector<std::string> saved;
  bool ended = false;
};

// Runs `text` on a fresh sample program, the runtime installed while it runs.
template <class Runtime, class Driver>
ScriptOutcome RunSampleScript(const std::string& text, const std::string& fileName) {
  SampleProgram program;
  std::ostringstream errors;
  ScriptOutcome outcome;
  outcome.status = RunScriptOn<Runtime, Driver>(text, fileName, [&] { program.Main(); }, errors, &outcome.ended);
  outcome.errors = errors.str();
  outcome.saved = program.Saved();
  return outcome;
}

// The text of a sample session (tests/testing/sample_sessions/NAME.script);
// empty when there is none.
inline std::string SampleSession(const std::string& name) { return SessionText(ZELVO_SAMPLE_SESSIONS, name); }

}  // namespace zelvo
