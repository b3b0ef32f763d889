// PageOutput: where finished report pages go besides the screen — the
// printer and PDF files. The Qt back end serves both (its printer support and
// its PDF writer, the report font embedded); a program without one installed
// (the command-line faces' tests) can still write the text listing.
//
//     InstallPageOutput(&qtOutput);                         // at start-up
//     std::string why = SavePages(*pages, "slips.pdf");     // "" when written
//
// SavePages writes PDF for a name ending in ".pdf" (any case) and the text
// listing (page_listing.h) otherwise. It writes a temporary file beside the
// target and renames it into place, so a failed save leaves no file and an
// older file of that name untouched.
//
// Called by the run token's holder; the pages are immutable values.
#pragma once

#include <string>

#include "platform/report_page.h"

namespace zelvo {

class PageOutput {
 public:
  virtual ~PageOutput() = default;
  // Each answers "" when done, else why not (UTF-8).
  virtual std::string WritePdf(const ReportPages& pages, const std::string& path) = 0;
  // Sends every page to the printer chosen in the printer set-up.
  virtual std::string Print(const ReportPages& pages) = 0;
};

void InstallPageOutput(PageOutput* output);
PageOutput* InstalledPageOutput();

std::string SavePages(const ReportPages& pages, const std::string& path);

}  // namespace zelvo
