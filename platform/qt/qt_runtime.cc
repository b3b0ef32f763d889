#include "platform/qt/qt_runtime.h"

#include <cassert>

#include <QApplication>
#include <QMetaObject>

#include "platform/qt/gui_thread.h"

namespace zelvo {

QtRuntime::QtRuntime()
    : Display([this](int window, UserInput input) { Input(window, std::move(input)); }),
      WindowModel(&presenter) {
  assert(QApplication::instance() && OnGuiThread() && "the Qt runtime is made on the GUI thread");
  // The frame closing is not the end: the program ends when its threads have.
  QApplication::setQuitOnLastWindowClosed(false);
}

QtRuntime::~QtRuntime() = default;

int QtRuntime::Run(std::function<void()> program) {
  Start(std::move(program), [] {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  });
  QApplication::exec();
  return Wait();
}

}  // namespace zelvo
