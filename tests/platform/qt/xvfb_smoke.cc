// The Qt back end on a real X server (the test runs it under xvfb-run): the
// sample program starts, its form opens from the menu ("Данные/Анкета") and
// takes a name, and the program ends through "Файл/Выход". With a file name it also saves a
// picture of the frame as the X server shows it.
//
// Exit status 0 when all went as a user expects, 1 otherwise (said on
// standard error), 77 when there is no X display to run on.
#include <cstdio>
#include <string>

#include <QApplication>
#include <QMainWindow>
#include <QScreen>

#include "platform/qt/gui_thread.h"
#include "platform/qt/qt_session.h"
#include "tests/testing/sample_program.h"

namespace {

bool SaveFrame(const QString& file) {
  bool saved = false;
  zelvo::OnGui([&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* frame = qobject_cast<QMainWindow*>(window);
      if (!frame || !frame->isVisible()) continue;
      saved = frame->screen()->grabWindow(frame->winId()).save(file);
    }
  });
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  using zelvo::UserDriver;
  zelvo::QtApplication application(argc, argv, zelvo::QtApplication::NeedsDisplay);
  if (QGuiApplication::platformName() != "xcb") {
    std::fprintf(stderr, "xvfb_smoke: no X display (platform %s)\n", qPrintable(QGuiApplication::platformName()));
    return 77;
  }
  const QString screenshot = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  std::string failure;
  auto fail = [&](const std::string& what) {
    if (failure.empty()) failure = what;
  };
  zelvo::SampleProgram program;
  const int status = zelvo::RunQtSession([&] { program.Main(); }, [&](UserDriver& user) {
    std::string busy;
    auto idle = [&] {
      if (!user.WaitIdle(10, &busy)) fail("still running: " + busy);
    };
    idle();
    if (std::string why = user.ChooseMenu({"Данные", "Анкета"}); !why.empty()) return fail(why);
    idle();
    int form = 0;
    zelvo::ControlId surname = 0;
    for (const zelvo::WindowView& window : user.Windows())
      if (window.procedure == "Anketa") {
        form = window.handle;
        for (const zelvo::ControlView& control : window.controls)
          if (control.name == "SMP:FAM") surname = control.id;
      }
    if (form == 0 || surname == 0) return fail("the form did not open");
    if (std::string why = user.Type(form, surname, "Сидоров"); !why.empty()) return fail(why);
    idle();
    if (!screenshot.isEmpty() && !SaveFrame(screenshot)) fail("the frame could not be grabbed");
    if (std::string why = user.ChooseMenu({"Файл", "Выход"}); !why.empty()) return fail(why);
    idle();
    if (!user.Ended()) fail("the program did not end through its menu");
  });
  if (!failure.empty() || status != 0) {
    std::fprintf(stderr, "xvfb_smoke: %s (exit status %d)\n", failure.c_str(), status);
    return 1;
  }
  std::puts("xvfb_smoke: the frame opened, the form took a name, Файл/Выход ended the program");
  return 0;
}
