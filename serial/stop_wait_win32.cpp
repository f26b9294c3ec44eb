#include <chrono>

#include "serial/stop_wait.h"

namespace kq {

bool waitUnlessStopped(std::condition_variable_any& cv, std::unique_lock<std::mutex>& lock,
                       std::stop_token stop, const std::function<bool()>& pred) {
  while (!pred()) {
    if (stop.stop_requested()) return false;
    cv.wait_for(lock, std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace kq
