#include "link/reply_framing.h"

#include <algorithm>

namespace kq {
namespace {

// Before a reply to a newer request the line carries its three-byte request;
// a pause shorter than this many byte times is no such gap, and the rest of
// the three leaves room for the unevenness of arrival times.
constexpr double kRunOnPauseByteTimes = 2.5;
constexpr double kEarliestReplyByteTimes = 2.5;

}  // namespace

void ReplyFraming::startReply() {
  filled_ = 0;
  firstChunkBytes_ = 0;
}

void ReplyFraming::forgetLastReply() {
  startReply();
  lastReplyEnd_.reset();
}

ReplyFraming::Verdict ReplyFraming::add(std::size_t bytes, Clock::time_point arrivedAt) {
  if (filled_ == 0) {
    firstArrival_ = arrivedAt;
    firstChunkBytes_ = bytes;
  } else {
    // The bytes of this chunk arrived during the gap; what they do not
    // account for was silence.
    const Duration gap = arrivedAt - lastArrival_;
    if (gap - static_cast<double>(bytes) * byteTime() > burstGap_) return Verdict::twoBursts;
  }
  lastArrival_ = arrivedAt;
  filled_ += bytes;
  if (filled_ > kReplyBytes) return Verdict::tooLong;
  if (filled_ < kReplyBytes) return Verdict::collecting;

  if (firstChunkBytes_ < kReplyBytes)
    noteByteTime((arrivedAt - firstArrival_) / static_cast<double>(kReplyBytes - firstChunkBytes_));
  lastReplyEnd_ = arrivedAt;
  return Verdict::complete;
}

bool ReplyFraming::continuesLastReply(std::size_t bytes, Clock::time_point arrivedAt) const {
  const Duration byte = byteTime();
  if (!lastReplyEnd_ || byte == Duration::zero()) return false;
  const Duration pause = Duration(arrivedAt - *lastReplyEnd_) - static_cast<double>(bytes) * byte;
  return pause < kRunOnPauseByteTimes * byte;
}

bool ReplyFraming::startsBeforeReplyPossible(std::size_t bytes, Clock::time_point arrivedAt,
                                             Clock::time_point requestSentAt) const {
  const Duration byte = byteTime();
  if (byte == Duration::zero() || bytes == 0) return false;
  // Runs on: its first byte came about a byte time after the request went
  // out. A reply: four byte times at the earliest. Halfway between decides.
  const Duration firstByte = Duration(arrivedAt - requestSentAt) - static_cast<double>(bytes - 1) * byte;
  return firstByte < kEarliestReplyByteTimes * byte;
}

ReplyFraming::Duration ReplyFraming::byteTime() const {
  if (sampleCount_ == 0) return Duration::zero();
  // The median: a reply whose arrival was held up, or whose first part waited
  // in the queue, does not move it.
  std::array<Duration, kSamples> sorted = samples_;
  const auto end = sorted.begin() + static_cast<std::ptrdiff_t>(sampleCount_);
  const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sampleCount_ / 2);
  std::nth_element(sorted.begin(), middle, end);
  return *middle;
}

void ReplyFraming::noteByteTime(Duration sample) {
  samples_[nextSample_] = sample;
  nextSample_ = (nextSample_ + 1) % kSamples;
  sampleCount_ = std::min(sampleCount_ + 1, kSamples);
}

}  // namespace kq
