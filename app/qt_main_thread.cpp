#include "app/qt_main_thread.h"

namespace kq {

void QtMainThread::post(std::function<void()> fn) {
  // A queued call outlives nothing: if the receiver goes first, Qt drops the task.
  QMetaObject::invokeMethod(&receiver_, std::move(fn), Qt::QueuedConnection);
}

Timers::TimerId QtMainThread::startTimer(std::chrono::milliseconds delay, std::function<void()> fn) {
  const TimerId id = nextTimer_++;
  auto timer = std::make_unique<QTimer>();
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer.get(), &QTimer::timeout, &receiver_, [this, id, fn = std::move(fn)] {
    // Forgotten before it runs, so that fn may start or cancel timers; the
    // QTimer itself goes once control is back in the event loop.
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second.release()->deleteLater();
    timers_.erase(it);
    fn();
  });
  timer->start(delay);
  timers_.emplace(id, std::move(timer));
  return id;
}

void QtMainThread::cancelTimer(TimerId id) { timers_.erase(id); }

}  // namespace kq
