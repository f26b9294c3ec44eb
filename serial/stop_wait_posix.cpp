#include "serial/stop_wait.h"

namespace kq {

bool waitUnlessStopped(std::condition_variable_any& cv, std::unique_lock<std::mutex>& lock,
                       std::stop_token stop, const std::function<bool()>& pred) {
  return cv.wait(lock, stop, pred);
}

}  // namespace kq
