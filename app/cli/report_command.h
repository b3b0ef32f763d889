// `zelvo report NAME`: runs one report procedure without the desktop, on the
// headless back end, and writes its pages as PDF (--pdf), as the text listing
// tests compare (--text), or sends them to the printer (--print). `--list`
// names the reports with their paper.
//
//     zelvo report RaschPr --set dat=2004-03-01 --pdf slips.pdf
//     zelvo report RaschSelPr --set dat=2004-03-01 num1=12 num2=0 num3=0 num4=0 --text slips.txt
//     zelvo report pfPr --set dat=2004-03-01 --set datN=2004-03-01 --set NPP=17 --today 2004-04-02 --print
//
// --set NAME=VALUE gives a program-wide variable (dat, datN, num1...) or a
// pay value (DNR, F, F28...) its value before the report starts, as the
// window that starts it would have left it, and answers the report's own
// dialog (NPP; every entry of the dialog must be given, 0 or empty for an
// unused one). Dates are YYYY-MM-DD, amounts are written with a point. What
// the monthly tax browse computes from the data (DNR for the month of dat, F
// and F28) is computed the same way unless given. --today fixes the date the
// program takes as today.
//
// Exit status: 0 with the file written (or the pages printed); 1 for "No
// Records", said on standard error; 2 for bad input or a report that failed,
// one line on standard error. A run that fails writes no file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace zelvo {

struct ReportOptions {
  bool list = false;
  std::string name;
  std::vector<std::string> settings;  // NAME=VALUE
  std::string today;                  // YYYY-MM-DD or empty
  std::string pdf, text;
  bool print = false;
};

// The whole command: `out` for the list, `errors` for what went wrong.
// Needs the dictionary's drivers registered; writing PDF and printing need
// the page output installed (platform/page_output.h).
int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& errors);

class ReportCommand {
 public:
  explicit ReportCommand(CLI::App& parent);

  bool Chosen() const { return command_->parsed(); }
  // Whether the run needs the Qt page output (PDF or printing).
  bool NeedsPageOutput() const { return !options_.pdf.empty() || options_.print; }
  int Run() const;

 private:
  CLI::App* command_;
  ReportOptions options_;
};

}  // namespace zelvo
