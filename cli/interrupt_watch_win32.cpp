// Ctrl-C, Ctrl-Break and closing the console window reach a console control
// handler, which the system runs on a thread of its own.
#include <windows.h>

#include <mutex>

#include "cli/interrupt_watch.h"

namespace kq::cli {
namespace {

std::mutex watchLock;
TaskLoop* watchedLoop = nullptr;
std::atomic<bool>* watchFlag = nullptr;
HANDLE watchEnded = nullptr;  // set when the watch ends, so a closing console waits for the partial file

// The system ends the process when the handler returns from a close event,
// and allows about five seconds for it.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI onConsoleControl(DWORD event) {
  HANDLE ended = nullptr;
  {
    std::lock_guard lock(watchLock);
    if (!watchedLoop) return FALSE;
    *watchFlag = true;
    watchedLoop->quit();
    ended = watchEnded;
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    ::WaitForSingleObject(ended, kCloseGraceMs);
  return TRUE;
}

}  // namespace

struct InterruptWatch::Os {
  HANDLE ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

InterruptWatch::InterruptWatch(TaskLoop& loop) : os_(std::make_unique<Os>()) {
  {
    std::lock_guard lock(watchLock);
    watchedLoop = &loop;
    watchFlag = &interrupted_;
    watchEnded = os_->ended;
  }
  ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptWatch::~InterruptWatch() {
  ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
  {
    std::lock_guard lock(watchLock);
    watchedLoop = nullptr;
    watchFlag = nullptr;
    watchEnded = nullptr;
  }
  ::SetEvent(os_->ended);
  // A close handler may still hold the event: it is left to the process's end.
}

}  // namespace kq::cli
