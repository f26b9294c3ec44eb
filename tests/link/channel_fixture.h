#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "link/serial_channel.h"
#include "link/task_loop.h"
#include "sim/pseudo_terminal.h"

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

// The far end of the line: the other side of a pseudo-terminal.
class Peer {
 public:
  const std::string& path() const { return terminal_.devicePath(); }
  void hangUp() { terminal_.hangUp(); }

  void write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(terminal_.fd(), bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else {
        pollfd fd{terminal_.fd(), POLLOUT, 0};
        ::poll(&fd, 1, 100);
      }
    }
  }

  // Reads until `count` bytes came or the generous limit passed.
  std::vector<std::uint8_t> read(std::size_t count, std::chrono::seconds limit = 20s) {
    std::vector<std::uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd fd{terminal_.fd(), POLLIN, 0};
      if (::poll(&fd, 1, 50) <= 0) continue;
      std::uint8_t buffer[4096];
      const ssize_t n = ::read(terminal_.fd(), buffer, std::min(sizeof buffer, count - bytes.size()));
      if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
  }

 private:
  sim::PseudoTerminal terminal_;
};

}  // namespace kq::test
