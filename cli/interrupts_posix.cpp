#include <signal.h>

#include "cli/interrupts.h"

namespace kq::cli {

struct Interrupts::State {
  sigset_t requests;
  sigset_t previous;
};

Interrupts::Interrupts() : state_(std::make_unique<State>()) {
  sigemptyset(&state_->requests);
  sigaddset(&state_->requests, SIGINT);
  sigaddset(&state_->requests, SIGTERM);
  sigaddset(&state_->requests, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &state_->requests, &state_->previous);
}

Interrupts::~Interrupts() { pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr); }

bool Interrupts::wait(std::chrono::milliseconds timeout) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
  const timespec limit{static_cast<time_t>(seconds.count()),
                       static_cast<long>(std::chrono::nanoseconds(timeout - seconds).count())};
  return sigtimedwait(&state_->requests, nullptr, &limit) >= 0;
}

}  // namespace kq::cli
