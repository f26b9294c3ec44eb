#include "serial/task_loop.h"

#include <algorithm>

namespace kq {

void TaskLoop::post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(fn));
  }
  wake_.notify_all();
}

TaskLoop::TimerId TaskLoop::startTimer(std::chrono::milliseconds delay, std::function<void()> fn) {
  std::lock_guard lock(mutex_);
  const TimerId id = nextTimer_++;
  timers_.emplace(Clock::now() + delay, std::make_pair(id, std::move(fn)));
  wake_.notify_all();
  return id;
}

void TaskLoop::cancelTimer(TimerId id) {
  std::lock_guard lock(mutex_);
  const auto it =
      std::find_if(timers_.begin(), timers_.end(), [id](const auto& t) { return t.second.first == id; });
  if (it != timers_.end()) timers_.erase(it);
}

void TaskLoop::quit() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
}

bool TaskLoop::runOne(std::unique_lock<std::mutex>& lock) {
  std::function<void()> fn;
  if (!tasks_.empty()) {
    fn = std::move(tasks_.front());
    tasks_.pop_front();
  } else if (!timers_.empty() && timers_.begin()->first <= Clock::now()) {
    fn = std::move(timers_.begin()->second.second);
    timers_.erase(timers_.begin());
  } else {
    return false;
  }
  lock.unlock();
  {
    // Destroyed before the lock is taken again: a task's captures may post.
    auto task = std::move(fn);
    task();
  }
  lock.lock();
  return true;
}

bool TaskLoop::runUntil(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  while (true) {
    if (quit_) {
      quit_ = false;
      return true;
    }
    if (runOne(lock)) continue;
    if (Clock::now() >= deadline) return false;
    const auto next = timers_.empty() ? deadline : std::min(deadline, timers_.begin()->first);
    wake_.wait_until(lock, next);
  }
}

void TaskLoop::runPending() {
  std::unique_lock lock(mutex_);
  while (runOne(lock)) {
  }
}

}  // namespace kq
