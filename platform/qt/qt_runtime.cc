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
  // The driver's calls already on their way are served; later ones are refused.
  std::unique_lock lock(displayMutex_);
  displayRuns_ = false;
  while (displayCalls_ > 0) {
    lock.unlock();
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    lock.lock();
  }
  lock.unlock();
  return Wait();
}

bool QtRuntime::OnDisplay(const std::function<void()>& work) {
  if (OnGuiThread()) {
    work();
    return true;
  }
  {
    std::unique_lock lock(displayMutex_);
    if (!displayRuns_) return false;
    ++displayCalls_;
  }
  OnGui(work);
  std::unique_lock lock(displayMutex_);
  --displayCalls_;
  return true;
}

}  // namespace zelvo
