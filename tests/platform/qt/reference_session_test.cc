// The reference windows' sessions on the Qt back end: each passes as it
// passes headless and leaves the same records in the tables.
#include <gtest/gtest.h>

#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "platform/qt/qt_driver.h"
#include "tests/testing/reference_session.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

class QtReferenceSession : public ::testing::TestWithParam<std::string> {};

TEST_P(QtReferenceSession, PassesAndStoresAsOnTheHeadlessBackEnd) {
  const std::string script = ReferenceSession(GetParam());
  ASSERT_FALSE(script.empty());
  testing_support::TemporaryFolder headlessFolder, qtFolder;
  const ReferenceOutcome headless =
      RunReferenceScript<HeadlessRuntime, HeadlessDriver>(headlessFolder.Path(), script, GetParam());
  const ReferenceOutcome qt = RunReferenceScript<QtRuntime, QtDriver>(qtFolder.Path(), script, GetParam());
  EXPECT_EQ(qt.errors, "");
  EXPECT_EQ(qt.status, 0);
  EXPECT_TRUE(qt.ended);
  EXPECT_EQ(headless.status, 0) << headless.errors;
  for (const char* table : {"KONST", "DNI", "OBEKT", "UCHASTOK", "OSNOVA"})
    EXPECT_EQ(qt.Stored(table), headless.Stored(table)) << table;
}

INSTANTIATE_TEST_SUITE_P(ReferenceSessions, QtReferenceSession,
                         ::testing::ValuesIn(SessionNames(ZELVO_REFERENCE_SESSIONS)),
                         [](const ::testing::TestParamInfo<std::string>& script) { return script.param; });

}  // namespace
}  // namespace zelvo
