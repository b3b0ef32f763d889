// Every scripted session of the sample program on the Qt back end, as
// `zelvo script --backend qt` runs a script: it must pass as it passes on the
// headless back end, and leave the program's data as that run leaves it.
#include <gtest/gtest.h>

#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "platform/qt/qt_driver.h"
#include "tests/testing/sample_session.h"

namespace zelvo {
namespace {

class QtScriptSession : public ::testing::TestWithParam<std::string> {};

TEST_P(QtScriptSession, PassesAsOnTheHeadlessBackEnd) {
  const std::string script = SampleSession(GetParam());
  ASSERT_FALSE(script.empty());
  const ScriptOutcome headless = RunSampleScript<HeadlessRuntime, HeadlessDriver>(script, GetParam());
  const ScriptOutcome qt = RunSampleScript<QtRuntime, QtDriver>(script, GetParam());
  EXPECT_EQ(qt.errors, "");
  EXPECT_EQ(qt.status, 0);
  EXPECT_TRUE(qt.ended);
  EXPECT_EQ(qt.saved, headless.saved);
  EXPECT_EQ(headless.status, 0) << headless.errors;
}

INSTANTIATE_TEST_SUITE_P(SampleSessions, QtScriptSession,
                         ::testing::ValuesIn(SessionNames(ZELVO_SAMPLE_SESSIONS)),
                         [](const ::testing::TestParamInfo<std::string>& script) { return script.param; });

}  // namespace
}  // namespace zelvo
