#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "serial/main_thread.h"
#include "serial/timers.h"

namespace kq {

// The GUI thread as the link's main thread: tasks are queued to an object that
// lives in the thread that created this one, and timers are the toolkit's.
class QtMainThread : public MainThread, public Timers {
 public:
  void post(std::function<void()> fn) override;
  TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> fn) override;
  void cancelTimer(TimerId id) override;

 private:
  QObject receiver_;
  TimerId nextTimer_ = 1;
  std::map<TimerId, std::unique_ptr<QTimer>> timers_;
};

}  // namespace kq
