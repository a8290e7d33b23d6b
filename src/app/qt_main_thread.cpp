#include "app/qt_main_thread.h"

#include <QMetaObject>
#include <QThread>

namespace korvel {

TQtMainThread::TQtMainThread(QObject* parent) : QObject(parent) {}

void TQtMainThread::RunSync(std::function<void()> work) {
  // A blocking queued call from the GUI thread to itself would wait for ever.
  if (QThread::currentThread() == thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(this, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

}  // namespace korvel
