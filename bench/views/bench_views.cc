// The monthly browse's filter over the pay records: through a view, and the
// same test compiled in C++ over the same FILE in record order. Both read
// every record through the driver; the ratio shows what the view engine and
// the compiled filter add to a scan.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/program_variables.h"
#include "core/tables/nbasa.h"
#include "runtime/date_time.h"
#include "storage/built_in/built_in_drivers.h"
#include "storage/file_operations.h"
#include "storage/filter/filter_bindings.h"
#include "storage/view/view.h"

namespace {

using namespace zelvo;
using Op = FileOperation;
using Steady = std::chrono::steady_clock;

constexpr const char* kFilter = "(year(NBA:data)=year(dat) and month(NBA:data)=month(dat))";

double Seconds(Steady::time_point since) { return std::chrono::duration<double>(Steady::now() - since).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool Check(ErrorCode code, const char* what) {
  if (!Failed(code)) return true;
  std::fprintf(stderr, "bench_views: %s failed: %d\n", what, Number(code));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  RegisterBuiltInDrivers();
  int records = 100000, runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--records") records = std::max(1, std::atoi(argv[i + 1]));
    else if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("bench_views_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string name = (dir / "NBASA").string();
  const FileDeclaration declaration{.label = "NBASA", .name = name, .fields = kNbasaFields, .keys = kNbasaKeys};
  File file(declaration);
  OperationArguments open;
  open.mode = AccessMode{0x42};
  if (!Check(PerformFileOperation(file, Op::CREATE), "CREATE") || !Check(PerformFileOperation(file, Op::OPEN, open), "OPEN"))
    return 1;

  // 100 000 pay records: each employee's 36 months of three years.
  const auto made = Steady::now();
  if (!Check(PerformFileOperation(file, Op::STREAM), "STREAM")) return 1;
  for (int i = 0; i < records; ++i) {
    RecordBuffer& r = file.Record();
    r.Clear();
    (void)NBA.NUM.Set(r, 1 + i / 36);
    (void)NBA.DATA.Set(r, Date(1 + i % 12, 1, 2003 + (i / 12) % 3));
    (void)NBA.FAM.Set(r, "Ivanov" + std::to_string(i / 36));
    (void)NBA.SUMM.Set(r, Decimal(i % 10000));
    if (!Check(PerformFileOperation(file, Op::ADD), "ADD")) return 1;
  }
  if (!Check(PerformFileOperation(file, Op::FLUSH), "FLUSH")) return 1;
  std::fprintf(stderr, "bench_views: %d records made in %.2f s\n", records, Seconds(made));

  (void)VAR.dat.Set(ProgramVariables(), Date(3, 15, 2004));
  const DayNumber dat = VAR.dat.Get(ProgramVariables());
  const int year = Year(dat), month = Month(dat);

  auto handLoop = [&](long& count) {
    count = 0;
    if (!Check(PerformFileOperation(file, Op::SETfile), "SETfile")) return false;
    while (PerformFileOperation(file, Op::NEXT) == ErrorCode::Ok) {
      const DayNumber day = NBA.DATA.Get(file.Record());
      if (Year(day) == year && Month(day) == month) ++count;
    }
    return true;
  };

  FilterBindings& bindings = CurrentBindings();
  const auto variable = FindBoundVariable("dat");
  bindings.Bind(variable->name, *variable->declaration, variable->address);
  View view(ViewDeclaration{.label = "NbasaBrowse", .primary = {&file, "NBA"}, .projection = {}, .filter = kFilter,
                            .order = {}, .joins = {}});
  auto viewLoop = [&](long& count) {
    count = 0;
    if (!Check(view.Perform(Op::SETview), "SETview")) return false;
    ErrorCode code;
    while ((code = view.Perform(Op::NEXT)) == ErrorCode::Ok) ++count;
    return code == ErrorCode::RecordNotAvailable;
  };

  std::vector<double> hand, viewed;
  long handCount = 0, viewCount = 0;
  for (int run = 0; run < runs; ++run) {
    auto started = Steady::now();
    if (!handLoop(handCount)) return 1;
    hand.push_back(Seconds(started));
    started = Steady::now();
    if (!viewLoop(viewCount)) return 1;
    viewed.push_back(Seconds(started));
  }
  std::filesystem::remove_all(dir);
  if (handCount != viewCount) {
    std::fprintf(stderr, "bench_views: the view found %ld records, the hand loop %ld\n", viewCount, handCount);
    return 1;
  }
  const double h = Median(hand), v = Median(viewed);
  std::printf("filtered scan of %d NBASA records, %ld of the month (median of %d runs)\n", records, viewCount, runs);
  std::printf("  hand-written loop  %8.3f s\n", h);
  std::printf("  view and filter    %8.3f s\n", v);
  std::printf("  view / hand        %8.2f   (target <= 1.50) %s\n", v / h, v / h <= 1.5 ? "met" : "MISSED");
  return 0;
}
