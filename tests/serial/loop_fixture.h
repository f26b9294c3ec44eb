#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "serial/task_loop.h"

namespace kq::test {

using namespace std::chrono_literals;

// Aborts the test program when a step hangs: a deadlock shows as a failure
// with a message, never as a stuck run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit, const char* what)
      : thread_([this, limit, what] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
            std::fprintf(stderr, "watchdog: %s did not finish\n", what);
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

// A task loop that counts what is posted to it.
class CountingLoop : public TaskLoop {
 public:
  void post(std::function<void()> fn) override {
    ++posted;
    TaskLoop::post(std::move(fn));
  }
  std::atomic<int> posted{0};
};

// Runs the loop until `done` holds; false when the generous limit passed.
inline bool runLoopUntil(TaskLoop& loop, const std::function<bool()>& done,
                         std::chrono::seconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    loop.runUntil(std::chrono::steady_clock::now() + 5ms);
  }
  return true;
}

}  // namespace kq::test
