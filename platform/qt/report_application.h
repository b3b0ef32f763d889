// ReportApplication: what drawing report pages with Qt needs when the
// program runs without its desktop (`zelvo report`, the report bench) — a Qt
// application object, offscreen when there is no display, and the Qt page
// output installed as the program's (platform/page_output.h) for as long as
// it lives. Made on the process's first thread, one at a time.
#pragma once

#include <memory>

#include "platform/qt/qt_page_output.h"

class QGuiApplication;

namespace zelvo {

class ReportApplication {
 public:
  ReportApplication(int& argc, char** argv);
  ~ReportApplication();
  ReportApplication(const ReportApplication&) = delete;
  ReportApplication& operator=(const ReportApplication&) = delete;

 private:
  std::unique_ptr<QGuiApplication> application_;
  QtPageOutput output_;
};

}  // namespace zelvo
