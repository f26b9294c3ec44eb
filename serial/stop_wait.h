#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>

namespace kq {

// condition_variable_any::wait(lock, stop, pred): waits until pred() holds or
// a stop is requested; true when pred() holds. One source per system: with
// mingw-w64's libstdc++ (GCC 12) that wait's stop callback can hang the thread
// that requests the stop (seen under wine: a close that never returned), so
// there the stop request is looked at every few milliseconds instead.
bool waitUnlessStopped(std::condition_variable_any& cv, std::unique_lock<std::mutex>& lock,
                       std::stop_token stop, const std::function<bool()>& pred);

}  // namespace kq
