// Signals are blocked in every thread and taken by one watcher thread, so no
// handler runs inside the channel's threads.
#include <signal.h>

#include <thread>

#include "cli/interrupt_watch.h"

namespace kq::cli {

struct InterruptWatch::Os {
  sigset_t previous;
  std::jthread thread;
};

InterruptWatch::InterruptWatch(TaskLoop& loop) : os_(std::make_unique<Os>()) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, &os_->previous);
  os_->thread = std::jthread([this, &loop, signals](std::stop_token stop) {
    const timespec tick{0, 100'000'000};
    while (!stop.stop_requested()) {
      if (sigtimedwait(&signals, nullptr, &tick) >= 0) {
        interrupted_ = true;
        loop.quit();
        return;
      }
    }
  });
}

InterruptWatch::~InterruptWatch() {
  os_->thread.request_stop();
  os_->thread.join();
  pthread_sigmask(SIG_SETMASK, &os_->previous, nullptr);
}

}  // namespace kq::cli
