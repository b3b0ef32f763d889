// Running a program on the Qt back end with someone at its controls: the
// desktop program with the user at the keyboard, or a scripted session with
// the Qt driver acting as the user.
//
//     QtApplication application(argc, argv, QtApplication::OffscreenWithoutDisplay);
//     int status = RunQtSession([] { Main(); }, [](UserDriver& user) { RunScript(script, user); });
//
// The process's first thread runs the display; the program runs on
// procedure threads; `user` runs on a thread of its own with the driver.
#pragma once

#include <functional>
#include <memory>

#include "platform/qt/qt_page_output.h"
#include "platform/user_driver.h"

class QApplication;

namespace zelvo {

// True when Qt can show windows here: a platform was chosen (QT_QPA_PLATFORM)
// or there is an X or Wayland display.
bool HasDisplay();

// The process's QApplication, made on its first thread before any window.
// While it lives, report pages go to PDF and to the printer through it (the
// Qt page output is installed, platform/page_output.h).
class QtApplication {
 public:
  enum Mode { NeedsDisplay, OffscreenWithoutDisplay };
  // With OffscreenWithoutDisplay and no display, Qt draws offscreen: windows
  // exist and can be driven and grabbed, but nobody sees them.
  QtApplication(int& argc, char** argv, Mode mode);
  ~QtApplication();

 private:
  std::unique_ptr<QApplication> application_;
  QtPageOutput pageOutput_;
};

// Runs `program` on the Qt runtime (installed as the window runtime while it
// runs) until it has ended; its exit status.
int RunOnQt(std::function<void()> program);

// Runs `program` as RunOnQt does, with `user` acting on it through the Qt
// driver. Returns once both have finished; a program still running when
// `user` returns is ended as a fatal halt ends it (the user closes the frame
// first for an orderly end).
int RunQtSession(std::function<void()> program, const std::function<void(UserDriver&)>& user);

}  // namespace zelvo
