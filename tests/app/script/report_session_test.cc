// A scripted session on a report, headless: the payslips of a month of six
// employees run from a menu, their preview paged and zoomed, and its pages
// saved as the text listing by the script's `save-report`.
#include <gtest/gtest.h>

#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "tests/testing/report_session.h"

namespace zelvo {
namespace {

TEST(ReportSession, ThePreviewIsPagedZoomedAndSaved) {
  ReportSessionData data;
  ASSERT_TRUE(data.Added());
  const ScriptOutcome outcome = data.Run<HeadlessRuntime, HeadlessDriver>(kPreviewScript);
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
  const std::string listing = data.Read("slips.txt");
  // Four payslips on page 1 and two on page 2, in the order of the surname key.
  EXPECT_NE(listing.find("1\t15.0\t16.0\tСотрудник1"), std::string::npos) << listing;
  EXPECT_NE(listing.find("1\t106.0\t147.0\tСотрудник4"), std::string::npos);
  EXPECT_NE(listing.find("2\t106.0\t16.0\tСотрудник6"), std::string::npos);
  EXPECT_EQ(listing.find("3\t"), std::string::npos);
}

}  // namespace
}  // namespace zelvo
