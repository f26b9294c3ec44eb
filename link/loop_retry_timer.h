#pragma once

#include <functional>
#include <optional>

#include "link/task_loop.h"

namespace kq {

// The download engine's one-shot retry timer on a TaskLoop: arming restarts
// the full interval, and a tick disarms it before calling back.
class LoopRetryTimer {
 public:
  LoopRetryTimer(TaskLoop& loop, std::function<void()> onTick) : loop_(loop), onTick_(std::move(onTick)) {}
  ~LoopRetryTimer() { disarm(); }
  LoopRetryTimer(const LoopRetryTimer&) = delete;
  LoopRetryTimer& operator=(const LoopRetryTimer&) = delete;

  void arm();
  void disarm();

 private:
  TaskLoop& loop_;
  std::function<void()> onTick_;
  std::optional<TaskLoop::TimerId> timer_;
};

}  // namespace kq
