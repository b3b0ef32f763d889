#include "app/cli/check_command.h"

#include <iostream>

#include "storage/vxr/vxr_check.h"

namespace zelvo {
namespace {

constexpr const char* kSummary = "verify an indexed record file (VXR) and report every inconsistency";

constexpr const char* kHelpFooter = R"(
Checks the header (its fixed words, the last issued number against the
highest table and record number and below 0xFE000000), the page zones, every
page (its place, its stated sizes, its record order, its split limits), the
tree (levels, order across pages, parent copies of child first records), the
records (each of a known kind, each number issued once, data records of the
table's record size, definitions in whole chunks), each table's counters
against the records present, and every key entry against its data record and
every data record against its entries (no value twice in a key without
duplicates). The file is only read, never changed.

Prints each inconsistency as "LOCATION: TEXT", then a summary line.
Exit status: 0 sound, 1 inconsistent, 2 the file cannot be read.)";

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int RunCheck(const std::string& path, std::ostream& out) {
  const VxrCheckReport report = CheckVxrPath(path);
  for (const std::string& note : report.notes) out << "note: " << note << "\n";
  for (const VxrFinding& f : report.findings) out << f.location << ": " << f.text << "\n";
  if (!report.readable) {
    out << path << ": cannot be read as an indexed record file\n";
    return 2;
  }
  if (!report.findings.empty()) {
    out << path << ": " << Count(report.findings.size(), "inconsistency", "inconsistencies") << "\n";
    return 1;
  }
  out << path << ": sound (" << Count(report.tables, "table", "tables") << ", "
      << Count(report.pages, "page", "pages") << ", " << Count(report.records, "record", "records") << ")\n";
  return 0;
}

CheckCommand::CheckCommand(CLI::App& parent) : command_(parent.add_subcommand("check", kSummary)) {
  command_->add_option("FILE", path_, "The indexed record file to verify")->required();
  command_->footer(kHelpFooter);
}

int CheckCommand::Run() const { return RunCheck(path_, std::cout); }

}  // namespace zelvo
