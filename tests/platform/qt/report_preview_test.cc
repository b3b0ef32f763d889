// The report preview on the real widgets: the session the headless back end
// runs (tests/testing/report_session.h) passes on Qt, and its pages saved as
// PDF through the Qt page output read back as the same number of pages.
#include <gtest/gtest.h>

#include "platform/page_output.h"
#include "platform/qt/qt_driver.h"
#include "platform/qt/qt_page_output.h"
#include "platform/qt/qt_runtime.h"
#include "tests/testing/report_session.h"

namespace zelvo {
namespace {

TEST(QtReportPreview, PassesAsOnTheHeadlessBackEndAndSavesPdf) {
  ReportSessionData data;
  ASSERT_TRUE(data.Added());
  QtPageOutput pdf;
  InstallPageOutput(&pdf);
  std::string script = kPreviewScript;
  script.insert(script.find("press E&xit"), "save-report slips.pdf\n");
  const ScriptOutcome outcome = data.Run<QtRuntime, QtDriver>(script);
  InstallPageOutput(nullptr);
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(data.Read("slips.txt").find("2\t106.0\t16.0\tСотрудник6"), std::string::npos);
  const std::string written = data.Read("slips.pdf");
  EXPECT_EQ(written.rfind("%PDF", 0), 0u) << "a PDF file";
  std::size_t pages = 0;
  for (std::size_t at = written.find("/Type /Page\n"); at != std::string::npos; at = written.find("/Type /Page\n", at + 1))
    ++pages;
  EXPECT_EQ(pages, 2u);
}

}  // namespace
}  // namespace zelvo
