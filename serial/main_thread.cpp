#include "serial/main_thread.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include "serial/stop_wait.h"

namespace kq {
namespace {

struct HandOver {
  enum class State { pending, running, done, abandoned };

  std::mutex mutex;
  std::condition_variable_any finished;
  State state = State::pending;
  std::function<void()> fn;

  void finish() {
    {
      std::lock_guard lock(mutex);
      state = State::done;
    }
    finished.notify_all();
  }
};

// Lives inside the posted task; a task dropped unrun by the main loop still
// releases the waiter.
struct PostedTask {
  explicit PostedTask(std::shared_ptr<HandOver> h) : handOver(std::move(h)) {}
  ~PostedTask() {
    std::lock_guard lock(handOver->mutex);
    if (handOver->state == HandOver::State::pending) handOver->state = HandOver::State::abandoned;
    handOver->finished.notify_all();
  }

  void run() {
    {
      std::lock_guard lock(handOver->mutex);
      if (handOver->state != HandOver::State::pending) return;
      handOver->state = HandOver::State::running;
    }
    struct FinishOnExit {
      HandOver& h;
      ~FinishOnExit() { h.finish(); }
    } finishOnExit{*handOver};
    handOver->fn();
  }

  std::shared_ptr<HandOver> handOver;
};

}  // namespace

bool MainThread::runAndWait(std::function<void()> fn, std::stop_token stop) {
  auto handOver = std::make_shared<HandOver>();
  handOver->fn = std::move(fn);
  auto task = std::make_shared<PostedTask>(handOver);
  post([task] { task->run(); });
  task.reset();

  std::unique_lock lock(handOver->mutex);
  waitUnlessStopped(handOver->finished, lock, stop, [&] {
    return handOver->state == HandOver::State::done || handOver->state == HandOver::State::abandoned;
  });
  if (handOver->state == HandOver::State::pending) handOver->state = HandOver::State::abandoned;
  return handOver->state == HandOver::State::done;
}

}  // namespace kq
