#include "platform/qt/report_application.h"

#include <QGuiApplication>

namespace zelvo {

ReportApplication::ReportApplication(int& argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  application_ = std::make_unique<QGuiApplication>(argc, argv);
  InstallPageOutput(&output_);
}

ReportApplication::~ReportApplication() { InstallPageOutput(nullptr); }

}  // namespace zelvo
