#pragma once

#include <chrono>
#include <memory>

namespace kq::cli {

// Interrupt (Ctrl-C), termination and hang-up requests, taken when asked for
// rather than by a handler, so that a command can end in good order and keep
// what it has. Construct before any other thread starts: threads started
// later leave the requests to wait().
class Interrupts {
 public:
  Interrupts();
  ~Interrupts();
  Interrupts(const Interrupts&) = delete;
  Interrupts& operator=(const Interrupts&) = delete;

  // Waits up to `timeout` for a request; true when one came.
  bool wait(std::chrono::milliseconds timeout);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kq::cli
