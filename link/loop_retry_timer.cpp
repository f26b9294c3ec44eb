#include "link/loop_retry_timer.h"

#include <chrono>

#include "link/download_protocol.h"

namespace kq {

void LoopRetryTimer::arm() {
  disarm();
  timer_ = loop_.startTimer(std::chrono::milliseconds(DownloadProtocol::kRetryMilliseconds), [this] {
    timer_.reset();
    onTick_();
  });
}

void LoopRetryTimer::disarm() {
  if (timer_) loop_.cancelTimer(*timer_);
  timer_.reset();
}

}  // namespace kq
