// Every scripted session of the sample program on the Qt back end, as
// `zelvo script --backend qt` runs a script: it must pass as it passes on the
// headless back end, and leave the program's data as that run leaves it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/script/script_session.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "platform/qt/qt_driver.h"
#include "tests/testing/sample_program.h"

namespace zelvo {
namespace {

struct Outcome {
  int status = -1;
  std::string errors;
  std::vector<std::string> saved;
  bool ended = false;
};

// The sample sessions, by file name.
std::vector<std::string> SampleSessions() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ZELVO_SAMPLE_SESSIONS))
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string SampleSession(const std::string& name) {
  std::ifstream file(std::filesystem::path(ZELVO_SAMPLE_SESSIONS) / (name + ".script"));
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

template <class Runtime, class Driver>
Outcome RunScript(const std::string& name) {
  SampleProgram program;
  Runtime runtime;
  Driver driver(runtime);
  InstallWindowRuntime(&runtime);
  std::ostringstream errors;
  Outcome outcome;
  outcome.status = RunScriptSession(SampleSession(name), name, driver, runtime, [&] { program.Main(); }, errors);
  InstallWindowRuntime(nullptr);
  outcome.errors = errors.str();
  outcome.saved = program.Saved();
  outcome.ended = driver.Ended();
  return outcome;
}

class QtScriptSession : public ::testing::TestWithParam<std::string> {};

TEST_P(QtScriptSession, PassesAsOnTheHeadlessBackEnd) {
  const Outcome headless = RunScript<HeadlessRuntime, HeadlessDriver>(GetParam());
  const Outcome qt = RunScript<QtRuntime, QtDriver>(GetParam());
  EXPECT_EQ(qt.errors, "");
  EXPECT_EQ(qt.status, 0);
  EXPECT_TRUE(qt.ended);
  EXPECT_EQ(qt.saved, headless.saved);
  EXPECT_EQ(headless.status, 0) << headless.errors;
}

INSTANTIATE_TEST_SUITE_P(SampleSessions, QtScriptSession, ::testing::ValuesIn(SampleSessions()),
                         [](const ::testing::TestParamInfo<std::string>& script) { return script.param; });

}  // namespace
}  // namespace zelvo
