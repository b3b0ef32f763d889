// A scripted session on a report: the payslips of a month of six employees
// run from a menu, their preview paged and zoomed, and its pages saved as
// the text listing by the script's `save-report`.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/script/script_session.h"
#include "core/dictionary_setup.h"
#include "core/startup/program_objects.h"
#include "core/pay_values.h"
#include "core/program_variables.h"
#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "reports/payslips.h"
#include "runtime/cp1251.h"
#include "storage/built_in/built_in_drivers.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

class ReportSession : public ::testing::Test {
 protected:
  ReportSession() : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder_.File(""));
    RegisterBuiltInDrivers();
    objects_ = std::make_unique<ProgramObjects>(box_);
    EXPECT_EQ(managers::BASA->OpenTable(), LevelOk);
    EXPECT_EQ(managers::NBASA->OpenTable(), LevelOk);
    for (int i = 1; i <= 6; ++i) {
      RecordBuffer& person = managers::BASA->file().Record();
      person.Clear();
      (void)BAS.NUM.Set(person, i);
      (void)BAS.FAM.Set(person, Cp1251Literal("Сотрудник") + std::to_string(i));
      (void)BAS.POL.Set(person, Cp1251Literal("жен."));
      EXPECT_EQ(managers::BASA->AddRecord(), LevelOk);
      RecordBuffer& pay = managers::NBASA->file().Record();
      pay.Clear();
      (void)NBA.NUM.Set(pay, i);
      (void)NBA.DATA.Set(pay, Date(3, 1, 2004));
      (void)NBA.FAM.Set(pay, BAS.FAM.Get(person));
      (void)NBA.SUMM.Set(pay, Decimal(1000 * i));
      EXPECT_EQ(managers::NBASA->AddRecord(), LevelOk);
    }
    (void)managers::BASA->CloseTable();
    (void)managers::NBASA->CloseTable();
    (void)VAR.dat.Set(ProgramVariables(), Date(3, 15, 2004));
  }
  ~ReportSession() override {
    objects_.reset();
    std::filesystem::current_path(before_);
  }

  // The script run on a frame whose one menu item prints the payslips.
  int Run(const std::string& script, std::string* errors) {
    HeadlessRuntime runtime;
    HeadlessDriver driver(runtime);
    InstallWindowRuntime(&runtime);
    std::ostringstream out;
    const int status = RunScriptSession(
        script, "report.script", driver, runtime,
        [&] {
          WindowDefinition frame("Main", "zelvo", WindowKind::Frame);
          frame.BeginMenu("Reports");
          const ControlId payslips = frame.MenuItem("Payslips");
          frame.End();
          std::unique_ptr<Window> main = TheWindowRuntime().Open(frame);
          for (Event e = main->NextEvent(); e.number != EventNumber::None; e = main->NextEvent()) {
            if (e.number == EventNumber::Accepted && e.control == payslips)
              (void)TheWindowRuntime().StartProcedure(RaschPr, 25000);
            if (e.number == EventNumber::CloseWindow) main->Close();
          }
        },
        out);
    InstallWindowRuntime(nullptr);
    *errors = out.str();
    return status;
  }

  testing_support::TemporaryFolder folder_;
  std::filesystem::path before_;
  struct RuntimeBox final : MessageBox {
    unsigned Show(const MessageBoxRequest& request) override { return TheWindowRuntime().Show(request); }
  } box_;
  std::unique_ptr<ProgramObjects> objects_;
};

TEST_F(ReportSession, ThePreviewIsPagedZoomedAndSaved) {
  std::string errors;
  const int status = Run(R"(menu Reports/Payslips
window "Report Preview"
expect-text Pages "Page 1 of 2"
expect-enabled "&Next"
press "&Next"
expect-text Pages "Page 2 of 2"
type Zoom: 200
expect-text Zoom: "200% Zoom"
type Page: 1
expect-text Pages "Page 1 of 2"
save-report slips.txt
press E&xit
expect-closed "Report Preview"
)",
                         &errors);
  EXPECT_EQ(errors, "");
  EXPECT_EQ(status, 0);
  std::ifstream saved(folder_.File("slips.txt"));
  std::stringstream listing;
  listing << saved.rdbuf();
  // Four payslips on page 1 and two on page 2, in the order of the surname key.
  EXPECT_NE(listing.str().find("1\t15.0\t16.0\tСотрудник1"), std::string::npos) << listing.str();
  EXPECT_NE(listing.str().find("1\t106.0\t147.0\tСотрудник4"), std::string::npos);
  EXPECT_NE(listing.str().find("2\t106.0\t16.0\tСотрудник6"), std::string::npos);
  EXPECT_EQ(listing.str().find("3\t"), std::string::npos);
}

}  // namespace
}  // namespace zelvo
