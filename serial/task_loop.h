#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "serial/main_thread.h"
#include "serial/timers.h"

namespace kq {

// A minimal main loop for programs and tests without a toolkit: the thread
// that calls run() or runPending() is the main thread.
class TaskLoop : public MainThread, public Timers {
 public:
  void post(std::function<void()> fn) override;

  TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> fn) override;
  void cancelTimer(TimerId id) override;

  // Runs tasks and due timers until quit() or until deadline; true after quit().
  bool runUntil(Clock::time_point deadline);
  // Runs what is queued now (and what that queues) without waiting.
  void runPending();
  // Ends the running runUntil(); from any thread. The next runUntil() starts afresh.
  void quit();

 private:
  bool runOne(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  std::multimap<Clock::time_point, std::pair<TimerId, std::function<void()>>> timers_;
  TimerId nextTimer_ = 1;
  bool quit_ = false;
};

}  // namespace kq
