#include "platform/qt/qt_ui_thread.h"

#include <QCoreApplication>
#include <QThread>

namespace bl::platform {

void QtUiThread::Post(std::function<void()> task) {
  if (!task || !QCoreApplication::instance()) return;
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

void QtUiThread::PostAndWait(std::function<void()> task) {
  if (!task || !QCoreApplication::instance()) return;
  if (IsUiThread()) {
    task();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task),
                            Qt::BlockingQueuedConnection);
}

bool QtUiThread::IsUiThread() const {
  return QCoreApplication::instance() &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace bl::platform
