#include "platform/qt/qt_session.h"

#include <cstdlib>
#include <thread>

#include <QApplication>

#include "platform/qt/qt_driver.h"
#include "platform/qt/qt_runtime.h"

namespace zelvo {
namespace {

bool Set(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// The runtime installed for the time it runs.
class Installed {
 public:
  explicit Installed(WindowRuntime& runtime) : previous_(InstalledWindowRuntime()) { InstallWindowRuntime(&runtime); }
  ~Installed() { InstallWindowRuntime(previous_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  WindowRuntime* previous_;
};

}  // namespace

bool HasDisplay() { return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY"); }

QtApplication::QtApplication(int& argc, char** argv, Mode mode) {
  if (mode == OffscreenWithoutDisplay && !HasDisplay()) qputenv("QT_QPA_PLATFORM", "offscreen");
  application_ = std::make_unique<QApplication>(argc, argv);
  InstallPageOutput(&pageOutput_);
}

QtApplication::~QtApplication() { InstallPageOutput(nullptr); }

int RunOnQt(std::function<void()> program) {
  QtRuntime runtime;
  const Installed installed(runtime);
  return runtime.Run(std::move(program));
}

int RunQtSession(std::function<void()> program, const std::function<void(UserDriver&)>& user) {
  QtRuntime runtime;
  const Installed installed(runtime);
  QtDriver driver(runtime);
  std::thread userThread([&] {
    user(driver);
    if (!driver.Ended()) driver.Quit();
  });
  const int status = runtime.Run(std::move(program));
  userThread.join();
  return status;
}

}  // namespace zelvo
