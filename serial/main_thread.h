#pragma once

#include <functional>
#include <stop_token>

namespace kq {

// The owner's main thread, as the serial line sees it. The owner supplies
// post(); runAndWait() is built on it so that a waiting hand-over can always
// be abandoned (a blocking queued call could not be, and closing the port from
// the main thread while the event thread waits for it would deadlock).
class MainThread {
 public:
  virtual ~MainThread() = default;

  // Queues fn to run on the main thread after what is already queued, and
  // returns at once. Called from any thread. A task that is destroyed without
  // being run (the loop has ended) is allowed.
  virtual void post(std::function<void()> fn) = 0;

  // Runs fn on the main thread and waits until it has finished. Returns
  // false, without waiting further, once stop is requested; fn then never
  // starts if it had not started yet. Also returns false when the main thread
  // drops the task. Must not be called on the main thread itself.
  bool runAndWait(std::function<void()> fn, std::stop_token stop);
};

}  // namespace kq
