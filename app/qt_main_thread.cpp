#include "app/qt_main_thread.h"

namespace kq {

void QtMainThread::post(std::function<void()> fn) {
  // A queued call outlives nothing: if the receiver goes first, Qt drops the task.
  QMetaObject::invokeMethod(&receiver_, std::move(fn), Qt::QueuedConnection);
}

}  // namespace kq
