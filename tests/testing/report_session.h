// A scripted session on a report, on whichever back end: the payslips of a
// month of six employees started from a frame's menu item ("Reports/Payslips"),
// with the data made in a temporary data directory that is current while the
// session runs.
//
//     ReportSessionData data;   // the data directory, the program's objects
//     ScriptOutcome outcome = data.Run<HeadlessRuntime, HeadlessDriver>(script);
//     std::string listing = data.Read("slips.txt");
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/script/script_session.h"
#include "core/dictionary_setup.h"
#include "core/program_variables.h"
#include "core/startup/program_objects.h"
#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "platform/window_runtime.h"
#include "reports/payslips.h"
#include "runtime/cp1251.h"
#include "storage/built_in/built_in_drivers.h"
#include "tests/testing/sample_session.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {

class ReportSessionData {
 public:
  ReportSessionData() : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder_.Path());
    RegisterBuiltInDrivers();
    objects_ = std::make_unique<ProgramObjects>(box_);
    (void)managers::BASA->OpenTable();
    (void)managers::NBASA->OpenTable();
    for (int i = 1; i <= 6; ++i) {
      RecordBuffer& person = managers::BASA->file().Record();
      person.Clear();
      (void)BAS.NUM.Set(person, i);
      (void)BAS.FAM.Set(person, Cp1251Literal("Сотрудник") + std::to_string(i));
      (void)BAS.POL.Set(person, Cp1251Literal("жен."));
      added_ = managers::BASA->AddRecord() == LevelOk && added_;
      RecordBuffer& pay = managers::NBASA->file().Record();
      pay.Clear();
      (void)NBA.NUM.Set(pay, i);
      (void)NBA.DATA.Set(pay, Date(3, 1, 2004));
      (void)NBA.FAM.Set(pay, BAS.FAM.Get(person));
      (void)NBA.SUMM.Set(pay, Decimal(1000 * i));
      added_ = managers::NBASA->AddRecord() == LevelOk && added_;
    }
    (void)managers::BASA->CloseTable();
    (void)managers::NBASA->CloseTable();
    (void)VAR.dat.Set(ProgramVariables(), Date(3, 15, 2004));
  }
  ~ReportSessionData() {
    objects_.reset();
    std::filesystem::current_path(before_);
  }

  bool Added() const { return added_; }

  template <class Runtime, class Driver>
  ScriptOutcome Run(const std::string& script) {
    Runtime runtime;
    Driver driver(runtime);
    InstallWindowRuntime(&runtime);
    std::ostringstream errors;
    ScriptOutcome outcome;
    outcome.status = RunScriptSession(script, "report.script", driver, runtime, [] { Frame(); }, errors);
    InstallWindowRuntime(nullptr);
    outcome.errors = errors.str();
    outcome.ended = driver.Ended();
    return outcome;
  }

  // A file of the data directory, whole.
  std::string Read(const std::string& name) const {
    std::ifstream file(folder_.File(name));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

 private:
  static void Frame() {
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
  }

  // The reporter's messages, shown by the runtime the session runs on.
  struct RuntimeBox final : MessageBox {
    unsigned Show(const MessageBoxRequest& request) override { return TheWindowRuntime().Show(request); }
  };

  testing_support::TemporaryFolder folder_;
  std::filesystem::path before_;
  RuntimeBox box_;
  std::unique_ptr<ProgramObjects> objects_;
  bool added_ = true;
};

// Pages, zoom and saving: what every back end must carry out.
inline constexpr const char* kPreviewScript = R"(menu Reports/Payslips
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
)";

}  // namespace zelvo
