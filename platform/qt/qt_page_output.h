// QtPageOutput: report pages to PDF through Qt's PDF writer (the report
// font embedded) and to the printer through Qt's print support, both drawn
// by PaintPage. Needs a Qt application object (the desktop's, or an
// offscreen one for the command-line faces); may be used from any one
// thread at a time.
#pragma once

#include "platform/page_output.h"

namespace zelvo {

class QtPageOutput final : public PageOutput {
 public:
  std::string WritePdf(const ReportPages& pages, const std::string& path) override;
  std::string Print(const ReportPages& pages) override;
};

}  // namespace zelvo
