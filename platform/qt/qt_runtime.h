// QtRuntime: the window runtime on Qt — the window model (procedure threads,
// the run token, windows and their events) with a presenter that keeps Qt
// widgets in step and with real timers. The widgets live on the GUI thread,
// the process's first thread: Run starts the program on a procedure thread
// and runs Qt's event loop here until the program has ended. The GUI thread
// never runs program code and never waits for the token; what the user does
// goes to the model as UserInput.
//
//     QApplication application(argc, argv);
//     QtRuntime runtime;
//     InstallWindowRuntime(&runtime);
//     return runtime.Run([] { Main(); });
//
// Made on the GUI thread, with the QApplication made before it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "platform/model/window_model.h"
#include "platform/qt/desktop.h"
#include "platform/qt/qt_presenter.h"

namespace zelvo {

namespace qt_detail {
// The display, made before the model that presents to it.
struct Display {
  explicit Display(InputSink sink) : desktop(std::move(sink)), presenter(desktop) {}
  Desktop desktop;
  QtPresenter presenter;
};
}  // namespace qt_detail

class QtRuntime final : private qt_detail::Display, public WindowModel {
 public:
  QtRuntime();
  ~QtRuntime() override;

  // Runs the program and Qt's event loop until every procedure thread has
  // ended; the program's exit status. On the GUI thread.
  int Run(std::function<void()> program) override;

  // The widgets, for the user driver (GUI thread only).
  Desktop& desktop() { return Display::desktop; }

  // Runs `work` on the GUI thread and waits for it, for a thread outside the
  // program (the user driver's). Once Run has finished with the display
  // (the program has ended) nothing runs and it answers false: a driver may
  // look after the end without waiting for a loop that no longer turns.
  bool OnDisplay(const std::function<void()>& work);

 private:
  std::mutex displayMutex_;
  bool displayRuns_ = true;  // Run has not yet finished with the display
  int displayCalls_ = 0;     // OnDisplay calls on their way to the GUI thread
};

}  // namespace zelvo
