#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "serial/line.h"
#include "serial/timers.h"

namespace kq::test {

using namespace std::chrono_literals;

// Timers on a clock that moves only when the test says so.
class ManualTimers : public Timers {
 public:
  Clock::time_point now() const override { return now_; }
  TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> fn) override {
    const TimerId id = next_++;
    due_.emplace(now_ + delay, Entry{id, std::move(fn)});
    return id;
  }
  void cancelTimer(TimerId id) override {
    for (auto it = due_.begin(); it != due_.end(); ++it) {
      if (it->second.id == id) {
        due_.erase(it);
        return;
      }
    }
  }
  // The time of the next timer, or nothing.
  std::optional<Clock::time_point> nextDue() const {
    if (due_.empty()) return std::nullopt;
    return due_.begin()->first;
  }
  // Moves the clock to `when`, firing every timer due by then in order.
  void advanceTo(Clock::time_point when) {
    while (!due_.empty() && due_.begin()->first <= when) {
      auto entry = std::move(due_.begin()->second);
      now_ = due_.begin()->first;
      due_.erase(due_.begin());
      entry.fn();
    }
    now_ = std::max(now_, when);
  }

 private:
  struct Entry {
    TimerId id;
    std::function<void()> fn;
  };
  Clock::time_point now_{};
  TimerId next_ = 1;
  std::multimap<Clock::time_point, Entry> due_;
};

// A line whose far end is a script: bytes are put on it with the time they
// arrive, and they count as waiting from that time until handed over.
class ScriptedLine : public Line {
 public:
  explicit ScriptedLine(ManualTimers& timers) : timers_(timers) {}

  // Called with every write, at the time it is made.
  std::function<void(const std::vector<std::uint8_t>& bytes)> onWrite;
  bool failOpen = false;
  bool failWrites = false;
  std::vector<std::vector<std::uint8_t>> writes;
  int discards = 0;

  void open(const std::string&) override {
    if (failOpen) throw std::runtime_error("Specified device not found (COM9).");
    open_ = true;
  }
  void close() override {
    open_ = false;
    arrivals_.clear();
  }
  bool isOpen() const override { return open_; }
  void write(std::span<const std::uint8_t> bytes) override {
    if (failWrites) throw std::runtime_error("Output buffer is full. Please check comm status.");
    if (!open_) return;
    writes.emplace_back(bytes.begin(), bytes.end());
    if (onWrite) onWrite(writes.back());
  }
  void discardInput() override {
    ++discards;
    arrivals_.erase(arrivals_.begin(), arrivals_.upper_bound(timers_.now()));
  }
  std::size_t bytesWaiting() override {
    std::size_t waiting = 0;
    for (auto it = arrivals_.begin(); it != arrivals_.end() && it->first <= timers_.now(); ++it)
      waiting += it->second.size();
    return waiting;
  }

  void arriveAt(Clock::time_point when, std::vector<std::uint8_t> bytes) {
    if (open_) arrivals_.emplace(when, std::move(bytes));
  }
  void fail(const std::string& message) { failed(message); }

  // Hands over arrivals and fires timers in time order until `done` holds or
  // nothing is left to happen before `limit`.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3'600'000ms) {
    const auto end = timers_.now() + limit;
    while (!done()) {
      const auto timer = timers_.nextDue();
      const bool arrivalFirst = !arrivals_.empty() && (!timer || arrivals_.begin()->first < *timer);
      if (arrivalFirst && arrivals_.begin()->first <= end) {
        auto next = arrivals_.begin();
        const auto when = next->first;
        const std::vector<std::uint8_t> bytes = std::move(next->second);
        arrivals_.erase(next);
        timers_.advanceTo(when);
        received(bytes, when);
      } else if (timer && *timer <= end) {
        timers_.advanceTo(*timer);
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  ManualTimers& timers_;
  bool open_ = false;
  std::multimap<Clock::time_point, std::vector<std::uint8_t>> arrivals_;
};

}  // namespace kq::test
