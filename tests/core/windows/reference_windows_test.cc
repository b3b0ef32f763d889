// The objects' and the sections' browses opened to pick, as the pay-line and
// employee forms open them, driven through a scripted session on the headless
// back end; the records left are read back from the files. (The reference
// windows opened from the menu are end-to-end cases of the program, tests/e2e.)
#include <gtest/gtest.h>

#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "tests/testing/reference_session.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

TEST(ReferenceWindows, APickerGivesBackTheChosenRecord) {
  const testing_support::TemporaryFolder folder;
  const ReferenceOutcome outcome =
      RunReferenceScript<HeadlessRuntime, HeadlessDriver>(folder.Path(), ReferenceSession("pickers"), "pickers");
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(outcome.ended);
  EXPECT_EQ(outcome.Stored("OBEKT"), (std::vector<std::string>{"Цех", "Склад"}));
  EXPECT_EQ(outcome.Stored("UCHASTOK"), (std::vector<std::string>{"Участок 1"}));
}

}  // namespace
}  // namespace zelvo
