// A browse list over many people, run on the headless back end, beside
// reading the same rows directly through its view: the first fill of a list
// of 20 rows, a page down, a jump to the end and a locator jump. The browse
// does more than read (row positions, the scale's limits, the rows' texts,
// the window kept in step); the ratios show what that costs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "framework/browse/browse_list.h"
#include "framework/browse/letter_scale.h"
#include "framework/data/error_reporter.h"
#include "framework/data/relation_set.h"
#include "framework/data/table_manager.h"
#include "platform/headless/command_line_message_box.h"
#include "platform/headless/headless_session.h"
#include "storage/built_in/built_in_drivers.h"
#include "storage/declare_fields.h"
#include "storage/file_operations.h"

namespace {

using namespace zelvo;
using Op = FileOperation;
using Steady = std::chrono::steady_clock;

#define BENCH_PERSON_FIELDS(FIELD) \
  FIELD(ID, Long())                \
  FIELD(NAME, String(20))          \
  FIELD(DEPT, String(8))
ZELVO_DECLARE_FIELDS(Person, PER, BENCH_PERSON_FIELDS);
constexpr KeyDeclaration kKeys[] = {{"ID_KEY", "PER:id_key", kKeyPrimary, {{"ID"}}},
                                    {"NAME_KEY", "PER:name_key", kKeyDup | kKeyNoCase, {{"NAME"}, {"ID"}}}};
constexpr std::size_t kNameKey = 2;
constexpr int kRows = 20;
constexpr int kRepeats = 20;  // operations timed together, for a measurable time

double Seconds(Steady::time_point since) { return std::chrono::duration<double>(Steady::now() - since).count(); }

// The fastest of the runs: the machines are shared, and a run that another
// process interrupted only ever takes longer.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

bool Check(ErrorCode code, const char* what) {
  if (!Failed(code)) return true;
  std::fprintf(stderr, "bench_browse: %s failed: %d\n", what, Number(code));
  return false;
}

// A surname-like name spread over the alphabet, the same for every run.
std::string NameOf(int i) {
  std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u;
  std::string name;
  for (int k = 0; k < 6; ++k) {
    name += static_cast<char>((k == 0 ? 'A' : 'a') + x % 26);
    x = x / 26 + 7919u * static_cast<std::uint32_t>(k + 1);
  }
  return name;
}

struct Measure {
  const char* what;
  std::function<void()> browse;  // kRepeats operations of the browse
  std::function<void()> view;    // the same rows read through the view, kRepeats times
  std::function<void()> before;  // puts the browse where the operation starts, untimed
  std::vector<double> browseTimes, viewTimes;
};

}  // namespace

int main(int argc, char** argv) {
  RegisterBuiltInDrivers();
  int records = 100000, runs = 15;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--records") records = std::max(kRows * 3, std::atoi(argv[i + 1]));
    else if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("bench_browse_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "PER").string();
  const FileDeclaration declaration{.label = "PER", .name = path, .fields = kPersonFields, .keys = kKeys};
  File file(declaration);
  {
    OperationArguments open;
    open.mode = AccessMode{0x42};
    if (!Check(PerformFileOperation(file, Op::CREATE), "CREATE") || !Check(PerformFileOperation(file, Op::OPEN, open), "OPEN") ||
        !Check(PerformFileOperation(file, Op::STREAM), "STREAM"))
      return 1;
    const auto made = Steady::now();
    for (int i = 1; i <= records; ++i) {
      RecordBuffer& r = file.Record();
      r.Clear();
      (void)PER.ID.Set(r, i);
      (void)PER.NAME.Set(r, NameOf(i));
      (void)PER.DEPT.Set(r, i % 2 ? "SALES" : "STORE");
      if (!Check(PerformFileOperation(file, Op::ADD), "ADD")) return 1;
    }
    if (!Check(PerformFileOperation(file, Op::FLUSH), "FLUSH") || !Check(PerformFileOperation(file, Op::CLOSE), "CLOSE"))
      return 1;
    std::fprintf(stderr, "bench_browse: %d records made in %.2f s\n", records, Seconds(made));
  }

  CommandLineMessageBox boxes(std::cerr);
  ErrorReporter reporter(boxes);
  reporter.InitDefault();
  TableManager manager;
  manager.InitTable(file, reporter);
  manager.AddKey(1, "PER:id_key", 0, true);
  manager.AddKey(kNameKey, "PER:name_key");
  RelationSet people;
  people.InitRelations(manager, false);
  ViewDeclaration viewDeclaration;
  viewDeclaration.label = "People";
  viewDeclaration.primary = {&file, "PER"};
  View view(viewDeclaration);
  std::vector<Measure> measures;
  bool failed = false;

  HeadlessSession session([&] {
    WindowDefinition frameDefinition("Main", "Bench", WindowKind::Frame);
    std::unique_ptr<Window> frame = TheWindowRuntime().Open(frameDefinition);
    reporter.EnterProcedure("People");
    if (people.OpenAll() != LevelOk) {
      failed = true;
      return;
    }
    WindowDefinition definition("People", "People");
    const ControlId list = definition.List("list", {{"Name", "@s20"}, {"Dept", "@s8"}}, kRows);
    WindowController window;
    window.OpenWindow(definition);
    BrowseList browse;
    browse.InitBrowse(list, view, window, people);
    browse.AddSortOrder(std::make_unique<LetterScale>(1 | 4), kNameKey);
    browse.AddLocator(std::make_unique<JumpLocator>());
    browse.AddField(1, file.Record(), PER.NAME, "PER:NAME");
    browse.AddField(2, file.Record(), PER.DEPT, "PER:DEPT");
    (void)browse.RangeChanged();  // the rows the control shows

    auto read = [&](Op op, int n) {
      for (int i = 0; i < n; ++i)
        if (Failed(view.Perform(op))) failed = true;
    };
    auto start = [&](std::int64_t components) {
      OperationArguments at;
      at.count = components;
      if (Failed(view.Perform(Op::SETview, at))) failed = true;
    };
    // The anchors the view's page downs start from: the last row of each page.
    std::vector<std::string> anchors;

    measures.push_back({"first fill",
                        [&] {
                          for (int i = 0; i < kRepeats; ++i) {
                            browse.Rows().Clear();
                            browse.currentChoice = 0;
                            browse.loaded = false;
                            (void)browse.ResetSort(1, true);
                          }
                        },
                        [&] {
                          for (int i = 0; i < kRepeats; ++i) {
                            start(0);
                            read(Op::NEXT, kRows);
                          }
                        },
                        {}, {}, {}});
    measures.push_back({"page down",
                        [&] {
                          for (int i = 0; i < kRepeats; ++i) browse.TakeScrollEvent(EventNumber::PageDown);
                        },
                        [&] {
                          for (const std::string& anchor : anchors) {
                            OperationArguments at;
                            at.position = anchor;
                            if (Failed(view.Perform(Op::RESETfile, at))) failed = true;
                            read(Op::NEXT, kRows + 1);  // the anchor row again, then a page
                          }
                        },
                        [&] { browse.TakeScrollEvent(EventNumber::ScrollTop); },
                        {}, {}});
    measures.push_back({"jump to the end",
                        [&] {
                          for (int i = 0; i < kRepeats; ++i) browse.TakeScrollEvent(EventNumber::ScrollBottom);
                        },
                        [&] {
                          for (int i = 0; i < kRepeats; ++i) {
                            start(0);
                            read(Op::PREVIOUS, kRows);
                          }
                        },
                        {}, {}, {}});
    measures.push_back({"locator jump",
                        [&] {
                          Event key{EventNumber::AlertKey, list, 'M', 'M'};
                          for (int i = 0; i < kRepeats; ++i) browse.TakeListKey(key);
                        },
                        [&] {
                          for (int i = 0; i < kRepeats; ++i) {
                            file.Record().Clear();
                            (void)PER.NAME.Set(file.Record(), "M");
                            start(1);
                            read(Op::NEXT, kRows);
                          }
                        },
                        [&] { browse.TakeScrollEvent(EventNumber::ScrollTop); },
                        {}, {}});

    // The page downs' anchors, as the browse's first pages end.
    browse.Rows().Clear();
    browse.currentChoice = 0;
    (void)browse.ResetSort(1, true);
    for (int i = 0; i < kRepeats; ++i) {
      anchors.push_back(browse.Rows().Last().position);
      browse.TakeScrollEvent(EventNumber::PageDown);
    }

    // One untimed round brings the pages each measure reads into the
    // driver's cache; then the two sides take turns at going first.
    for (int run = 0; run <= runs; ++run) {
      for (Measure& m : measures) {
        auto timeBrowse = [&] {
          if (m.before) m.before();
          const auto started = Steady::now();
          m.browse();
          return Seconds(started) / kRepeats;
        };
        auto timeView = [&] {
          const auto started = Steady::now();
          m.view();
          return Seconds(started) / kRepeats;
        };
        double b = 0, v = 0;
        if (run % 2 == 0) {
          b = timeBrowse();
          v = timeView();
        } else {
          v = timeView();
          b = timeBrowse();
        }
        if (run == 0) continue;
        m.browseTimes.push_back(b);
        m.viewTimes.push_back(v);
      }
    }
    browse.KillReader();
    people.CloseAll();
    reporter.LeaveProcedure();
    frame->Close();
  });
  const int status = session.Finish();
  std::filesystem::remove_all(dir);
  if (failed || status != 0) {
    std::fprintf(stderr, "bench_browse: the browse or the view failed\n");
    return 1;
  }
  std::printf("a browse list of %d rows over %d records (fastest of %d runs of %d operations)\n", kRows, records, runs,
              kRepeats);
  std::printf("  %-16s %12s %12s %8s\n", "", "browse", "view", "ratio");
  bool met = true;
  for (const Measure& m : measures) {
    const double b = Fastest(m.browseTimes), v = Fastest(m.viewTimes);
    met = met && b / v <= 1.5;
    std::printf("  %-16s %9.3f ms %9.3f ms %8.2f\n", m.what, b * 1000, v * 1000, b / v);
  }
  std::printf("  target: every ratio <= 1.50: %s\n", met ? "met" : "MISSED");
  return 0;
}
