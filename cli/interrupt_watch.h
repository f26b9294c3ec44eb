#pragma once

#include <atomic>
#include <memory>

#include "link/task_loop.h"

namespace kq::cli {

// An interrupt (Ctrl-C) or a termination request ends the download like a
// failure, so that the blocks received so far are kept: it quits the loop
// and interrupted() turns true. Construct before any other thread starts.
class InterruptWatch {
 public:
  explicit InterruptWatch(TaskLoop& loop);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool interrupted() const { return interrupted_; }

 private:
  struct Os;
  std::atomic<bool> interrupted_{false};
  std::unique_ptr<Os> os_;
};

}  // namespace kq::cli
