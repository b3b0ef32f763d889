// zelvo: the payroll program. With no arguments it starts the desktop program
// (on the Qt back end: it needs a display); subcommands are its faces for
// scripts, tests and administrators.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "app/cli/calc_command.h"
#include "app/cli/check_command.h"
#include "app/cli/eval_command.h"
#include "app/cli/report_command.h"
#include "app/cli/table_command.h"
#include "app/desktop/script_command.h"
#include "core/startup/program_main.h"
#include "platform/qt/qt_session.h"
#include "runtime/locale.h"
#include "runtime/windows_profile.h"
#include "storage/built_in/built_in_drivers.h"

namespace {

constexpr const char* kDescription =
    "zelvo - payroll for a small enterprise: the employee register, monthly pay,\n"
    "income tax, payslips, statements and statutory forms.";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{kDescription, "zelvo"};
  app.set_version_flag("--version", std::string("zelvo ") + ZELVO_VERSION);
  std::string dataDir;
  app.add_option("--dir", dataDir, "Data directory (default: the current directory)");
  app.require_subcommand(0, 1);
  zelvo::CalcCommand calc(app);
  zelvo::TableCommand table(app);
  zelvo::CheckCommand check(app);
  zelvo::EvalCommand eval(app);
  zelvo::ScriptCommand script(app);
  zelvo::ReportCommand report(app);
  CLI11_PARSE(app, argc, argv);

  // A script names its file from where zelvo started: read before --dir.
  if (script.Chosen())
    if (const int status = script.Load(); status != 0) return status;

  // The data files live in the current directory, as the program has always
  // expected; --dir moves there before anything is opened.
  if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) {
    std::cerr << "zelvo: cannot use the data directory " << dataDir << ": " << std::strerror(errno)
              << "\n";
    return 2;
  }

  // Every face sees the same locale tables as the desktop program: the
  // regional settings of the Windows profile, then the environment file beside
  // the executable. A line that cannot be used is said, and the rest applies.
  for (const zelvo::LocaleDiagnostic& d :
       zelvo::LoadLocale(zelvo::WindowsProfilePath(), zelvo::EnvironmentFilePath())) {
    std::cerr << "zelvo: " << d.source;
    if (d.line > 0) std::cerr << ":" << d.line;
    std::cerr << ": " << d.text << "\n";
  }

  zelvo::RegisterBuiltInDrivers();

  if (calc.Chosen()) return calc.Run();
  if (table.Chosen()) return table.Run();
  if (check.Chosen()) return check.Run();
  if (eval.Chosen()) return eval.Run();
  if (script.Chosen()) return script.Run(argc, argv);
  if (report.Chosen()) {
    // PDF and the printer go through Qt, offscreen without a display.
    std::unique_ptr<zelvo::QtApplication> drawing;
    if (report.NeedsPageOutput())
      drawing = std::make_unique<zelvo::QtApplication>(argc, argv, zelvo::QtApplication::OffscreenWithoutDisplay);
    return report.Run();
  }

  // No subcommand: the desktop program, which needs a display to show on.
  if (!zelvo::HasDisplay()) {
    std::cerr << "zelvo: no display to show the desktop program on (DISPLAY is not set); "
                 "see zelvo --help for the command-line faces\n";
    return 2;
  }
  const zelvo::QtApplication application(argc, argv, zelvo::QtApplication::NeedsDisplay);
  return zelvo::RunOnQt([] { zelvo::ProgramMain(); });
}
