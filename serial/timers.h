#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace kq {

// One-shot timers and the clock of the owner's main thread. Timers call back
// on that thread; all members are called there too. Tests supply a clock they
// move by hand, so nothing races a real timer.
class Timers {
 public:
  using Clock = std::chrono::steady_clock;
  using TimerId = std::uint64_t;

  virtual ~Timers() = default;

  virtual Clock::time_point now() const { return Clock::now(); }
  // Calls fn once, after delay; cancelTimer() forgets it.
  virtual TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> fn) = 0;
  virtual void cancelTimer(TimerId id) = 0;
};

// A restartable one-shot timer: start() always counts the full delay from now.
class OneShotTimer {
 public:
  explicit OneShotTimer(Timers& timers) : timers_(timers) {}
  ~OneShotTimer() { stop(); }
  OneShotTimer(const OneShotTimer&) = delete;
  OneShotTimer& operator=(const OneShotTimer&) = delete;

  void start(std::chrono::milliseconds delay, std::function<void()> onTimeout) {
    stop();
    id_ = timers_.startTimer(delay, [this, onTimeout = std::move(onTimeout)] {
      id_.reset();
      onTimeout();
    });
  }
  void stop() {
    if (id_) timers_.cancelTimer(*id_);
    id_.reset();
  }

 private:
  Timers& timers_;
  std::optional<Timers::TimerId> id_;
};

}  // namespace kq
