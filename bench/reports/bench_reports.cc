// The payslips of a month through `zelvo report` (headless, the progress
// runner, the composer, then PDF or the text listing), beside the reading
// they cannot do without: the month's pay records through a view in the
// order of the surname key, each with its employee fetched by number. The
// ratio is what the report costs on top of its data.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/report_command.h"
#include "core/dictionary_setup.h"
#include "core/startup/program_objects.h"
#include "core/program_variables.h"
#include "core/tables/basa.h"
#include "core/tables/nbasa.h"
#include "platform/headless/command_line_message_box.h"
#include "platform/qt/qt_session.h"
#include "runtime/cp1251.h"
#include "storage/built_in/built_in_drivers.h"
#include "storage/file_operations.h"
#include "storage/filter/filter_bindings.h"
#include "storage/view/view.h"

namespace {

using namespace zelvo;
using Steady = std::chrono::steady_clock;

double Seconds(Steady::time_point since) { return std::chrono::duration<double>(Steady::now() - since).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

const char* kSurnames[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнов", "Попов", "Васильев", "Соколов"};

// The employees and their pay records of March 2004, added as the program adds them.
bool Fill(int employees) {
  CommandLineMessageBox box(std::cerr);
  ProgramObjects objects(box);
  bool ok = managers::BASA->OpenTable() == LevelOk && managers::NBASA->OpenTable() == LevelOk;
  for (int i = 1; i <= employees && ok; ++i) {
    RecordBuffer& person = managers::BASA->file().Record();
    person.Clear();
    (void)BAS.NUM.Set(person, i);
    (void)BAS.FAM.Set(person, Cp1251Literal(kSurnames[i % 8]) + std::to_string(i));
    (void)BAS.NOM.Set(person, Cp1251Literal("Иван"));
    (void)BAS.PER.Set(person, Cp1251Literal("Петрович"));
    (void)BAS.POL.Set(person, Cp1251Literal("муж."));
    ok = managers::BASA->AddRecord() == LevelOk;
    RecordBuffer& pay = managers::NBASA->file().Record();
    pay.Clear();
    (void)NBA.NUM.Set(pay, i);
    (void)NBA.DATA.Set(pay, Date(3, 1, 2004));
    (void)NBA.FAM.Set(pay, BAS.FAM.Get(person));
    (void)NBA.OKLAD.Set(pay, Decimal(10000 + i));
    (void)NBA.KTU.Set(pay, Decimal(1));
    (void)NBA.DNI.Set(pay, Decimal(22));
    (void)NBA.SUMM.Set(pay, Decimal(10000 + i));
    (void)NBA.N12.Set(pay, Decimal(1300));
    (void)NBA.AVANS.Set(pay, Decimal(4000));
    ok = ok && managers::NBASA->AddRecord() == LevelOk;
  }
  (void)managers::BASA->CloseTable();
  (void)managers::NBASA->CloseTable();
  return ok;
}

// What the report reads, and nothing more.
int ReadThroughViews() {
  CommandLineMessageBox box(std::cerr);
  ProgramObjects objects(box);
  (void)managers::NBASA->OpenTable();
  (void)managers::BASA->OpenTable();
  (void)managers::NBASA->EnsureUsable(3);
  (void)managers::BASA->EnsureUsable(3);
  (void)VAR.dat.Set(ProgramVariables(), Date(3, 1, 2004));
  FilterBindings& bindings = CurrentBindings();
  bindings.Push();
  const auto dat = FindBoundVariable("dat");
  bindings.Bind(dat->name, *dat->declaration, dat->address);
  int read = 0;
  {
    View view(ViewDeclaration{.label = "NBASA", .primary = {&managers::NBASA->file(), "NBA"}, .projection = {},
                              .filter = "year(NBA:data)=year(dat) and month(NBA:data)=month(dat)",
                              .order = "NBA:FAM", .joins = {}});
    OperationArguments open;
    open.mode = AccessMode::Of(Access::ReadWrite, Sharing::DenyNone);
    (void)view.Perform(FileOperation::OPEN, open);
    (void)view.Perform(FileOperation::SETview);
    while (!Failed(view.Perform(FileOperation::NEXT))) {
      (void)BAS.NUM.Set(managers::BASA->file().Record(), NBA.NUM.Get(managers::NBASA->file().Record()));
      if (managers::BASA->FetchOrClear(1) == LevelOk) ++read;
    }
    (void)view.Perform(FileOperation::CLOSE);
  }
  (void)bindings.Pop();
  (void)managers::NBASA->CloseTable();
  (void)managers::BASA->CloseTable();
  return read;
}

double Report(const char* option, const std::string& file) {
  ReportOptions options;
  options.name = "RaschPr";
  options.settings = {"dat=2004-03-01"};
  (option == std::string("--pdf") ? options.pdf : options.text) = file;
  std::ostringstream out, errors;
  const auto start = Steady::now();
  const int status = RunReport(options, out, errors);
  const double seconds = Seconds(start);
  if (status != 0) {
    std::fprintf(stderr, "bench_reports: the report failed: %s", errors.str().c_str());
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  int employees = 1000, runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--employees") employees = std::max(1, std::atoi(argv[i + 1]));
    else if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
  }
  QtApplication drawing(argc, argv, QtApplication::OffscreenWithoutDisplay);
  RegisterBuiltInDrivers();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("bench_reports_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  if (!Fill(employees)) {
    std::fprintf(stderr, "bench_reports: the data could not be added\n");
    return 1;
  }
  std::vector<double> views, pdfs, texts;
  for (int r = 0; r < runs; ++r) {
    auto start = Steady::now();
    const int read = ReadThroughViews();
    views.push_back(Seconds(start));
    if (read != employees) {
      std::fprintf(stderr, "bench_reports: the views read %d records of %d\n", read, employees);
      return 1;
    }
    pdfs.push_back(Report("--pdf", (dir / "slips.pdf").string()));
    texts.push_back(Report("--text", (dir / "slips.txt").string()));
  }
  const double v = Median(views), p = Median(pdfs), t = Median(texts);
  std::printf("payslips of %d employees (%d pages), median of %d runs\n", employees, (employees + 3) / 4, runs);
  std::printf("  views alone (pay records by surname, employees by number): %8.3f s\n", v);
  std::printf("  zelvo report RaschPr --text:                                %8.3f s  (%.1fx the views)\n", t, t / v);
  std::printf("  zelvo report RaschPr --pdf:                                 %8.3f s  (%.1fx the views; goal < 2 s)\n",
              p, p / v);
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(dir);
  return 0;
}
