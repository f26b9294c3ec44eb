// Ctrl-C, Ctrl-Break and closing the console window reach a console control
// handler, which the system runs on a thread of its own.
#include <windows.h>

#include <algorithm>

#include "cli/interrupts.h"

namespace kq::cli {
namespace {

// The system ends the process once the handler returns from a close, log-off
// or shut-down event, and allows it about five seconds; the handler waits
// that long for the command to keep what it has.
constexpr DWORD kCloseGraceMs = 4500;

HANDLE requested = nullptr;  // auto-reset: one wait() per request
HANDLE ended = nullptr;      // set when the command no longer takes requests

BOOL WINAPI onConsoleControl(DWORD event) {
  ::SetEvent(requested);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    ::WaitForSingleObject(ended, kCloseGraceMs);
  return TRUE;
}

}  // namespace

struct Interrupts::State {};

Interrupts::Interrupts() : state_(std::make_unique<State>()) {
  requested = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

// The events stay open: a handler may still be waiting on them until the
// process ends.
Interrupts::~Interrupts() {
  ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
  ::SetEvent(ended);
}

bool Interrupts::wait(std::chrono::milliseconds timeout) {
  const auto ms = std::clamp<long long>(timeout.count(), 0, INFINITE - 1);
  return ::WaitForSingleObject(requested, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

}  // namespace kq::cli
