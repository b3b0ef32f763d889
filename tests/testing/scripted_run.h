// A scripted session on a test program, on whichever back end — what the
// sample program's and the reference program's session helpers share:
//
//     ScriptRun run = RunScriptOn<HeadlessRuntime, HeadlessDriver>(text, "s", [&] { program.Main(); });
//     std::string text = SessionText(ZELVO_SAMPLE_SESSIONS, "fill_save_list");
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/script/script_session.h"
#include "platform/window_runtime.h"

namespace zelvo {

// The runner's exit status and messages, and whether the program ended.
struct ScriptRun {
  int status = -1;
  std::string errors;
  bool ended = false;
};

// Runs `text` on `program`, the runtime installed while it runs.
template <class Runtime, class Driver>
ScriptRun RunScriptOn(const std::string& text, const std::string& fileName, const std::function<void()>& program) {
  Runtime runtime;
  Driver driver(runtime);
  InstallWindowRuntime(&runtime);
  std::ostringstream errors;
  ScriptRun run;
  run.status = RunScriptSession(text, fileName, driver, runtime, program, errors);
  InstallWindowRuntime(nullptr);
  run.errors = errors.str();
  run.ended = driver.Ended();
  return run;
}

// The text of FOLDER/NAME.script; empty when there is none.
inline std::string SessionText(const std::string& folder, const std::string& name) {
  std::ifstream file(folder + "/" + name + ".script");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The names of the sessions in FOLDER (NAME.script), sorted.
inline std::vector<std::string> SessionNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zelvo
