// The report procedures the program prints, by name, for the command line
// (`zelvo report --list`) and whoever starts a report without its window
// (with the program's objects alive, core/startup/program_objects.h):
// what each is, the paper its layout fits, and the dialog it asks its values
// in before it runs, with the names of that dialog's entries.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "framework/report/report_runner.h"

namespace zelvo {

struct ReportEntry {
  const char* name;   // the procedure: "RaschPr"
  const char* title;  // UTF-8
  const char* paper;  // "A4 portrait"
  // The dialog run before the report (its procedure name, "" none), its
  // entries by the names their values are given under, and the procedure.
  const char* dialog;
  std::vector<const char*> dialogEntries;
  void (*askDialog)();
  std::unique_ptr<ReportRunner> (*make)();
};

const std::vector<ReportEntry>& ReportCatalogue();
// The entry of that name (case-insensitive), nullptr for none.
const ReportEntry* FindReport(std::string_view name);

}  // namespace zelvo
