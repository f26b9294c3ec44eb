#pragma once

#include <chrono>
#include <condition_variable>
#include <stop_token>

namespace kq {

// condition_variable_any::wait(lock, stop, pred): waits until pred() holds or
// a stop is requested; true when pred() holds. With mingw-w64's libstdc++
// (GCC 12) that wait's stop callback can hang the thread that requests the
// stop (seen under wine: a close that never returned); there the stop request
// is looked at every few milliseconds instead.
template <class Lock, class Predicate>
bool waitUnlessStopped(std::condition_variable_any& cv, Lock& lock, std::stop_token stop, Predicate pred) {
#if defined(__MINGW32__)
  while (!pred()) {
    if (stop.stop_requested()) return false;
    cv.wait_for(lock, std::chrono::milliseconds(5));
  }
  return true;
#else
  return cv.wait(lock, stop, pred);
#endif
}

}  // namespace kq
