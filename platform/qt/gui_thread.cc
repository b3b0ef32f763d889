#include "platform/qt/gui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace zelvo {

bool OnGuiThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

void OnGui(const std::function<void()>& work) {
  if (OnGuiThread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&work] { work(); }, Qt::BlockingQueuedConnection);
}

}  // namespace zelvo
