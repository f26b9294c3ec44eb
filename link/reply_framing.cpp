#include "link/reply_framing.h"

#include <algorithm>

#include "dump/protocol_bytes.h"

namespace kq {
namespace {

// A byte time is measured over at least this many bytes, so that the jitter
// of single arrivals hardly moves it.
constexpr std::size_t kShortestSpan = 32;
// A span quicker than this is within the jitter of the wake-ups of whoever
// writes and reads the bytes: a packet read alone may be followed at once by
// packets that were handed over with it. Such a line is too fast to time, and
// its byte time counts as zero, so that no bytes are judged by their pace.
constexpr ReplyFraming::Duration kShortestTimedSpan = std::chrono::milliseconds(2);
// A reply's first byte needs the three request bytes and itself on the wire;
// half a byte time less leaves room for the clocks of two threads.
constexpr double kEarliestReplyByteTimes = 2.5;
// A byte's time on the device's own line, 38,400 baud at 10 bits a byte. Bytes
// that come after a pause crossed the wire during it at least this slowly,
// whatever a faster link behind it has shown.
constexpr ReplyFraming::Duration kWireByteTime = std::chrono::microseconds(10'000'000) / 38'400.0;
// Beyond this, a delay is no adapter's hand-over but a line that stalls.
constexpr ReplyFraming::Duration kLongestHandOver = std::chrono::milliseconds(50);

}  // namespace

void ReplyFraming::Samples::add(Duration value) {
  values[next] = value;
  next = (next + 1) % kSamples;
  count = std::min(count + 1, kSamples);
}

ReplyFraming::Duration ReplyFraming::median(const Samples& samples) {
  if (samples.count == 0) return Duration::zero();
  // One reply held up by a busy machine does not move a median.
  std::array<Duration, kSamples> sorted = samples.values;
  const auto end = sorted.begin() + static_cast<std::ptrdiff_t>(samples.count);
  const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(samples.count / 2);
  std::nth_element(sorted.begin(), middle, end);
  return *middle;
}

ReplyFraming::Duration ReplyFraming::replyWait() const {
  const auto end = replyWaits_.values.begin() + static_cast<std::ptrdiff_t>(replyWaits_.count);
  return replyWaits_.count == 0 ? Duration::zero() : *std::max_element(replyWaits_.values.begin(), end);
}

void ReplyFraming::startReply(Clock::time_point sentAt, Clock::time_point firstAskedAt) {
  dropReply();
  requestAt_ = sentAt;
  firstAskedAt_ = firstAskedAt;
}

ReplyFraming::Verdict ReplyFraming::add(std::size_t bytes, Clock::time_point arrivedAt) {
  if (!chunks_.empty()) {
    // The bytes of this chunk crossed the wire during the gap; what they and
    // an adapter's hand-over do not account for was silence.
    const Duration silence = Duration(arrivedAt - chunks_.back().at) -
                             static_cast<double>(bytes) * std::max(byteTime(), kWireByteTime);
    if (silence > burstGap_ + handOverDelay()) return Verdict::twoBursts;
  }
  chunks_.push_back({bytes, arrivedAt});
  filled_ += bytes;
  if (filled_ > protocol::kReplyBytes) return Verdict::tooLong;
  if (filled_ < protocol::kReplyBytes) return Verdict::collecting;
  learnFromReply();
  return Verdict::complete;
}

void ReplyFraming::learnFromReply() {
  replyWaits_.add(Duration(chunks_.front().at - firstAskedAt_));
  lastReplyEnd_ = chunks_.back().at;

  // Every chunk arrived at or after its last byte crossed, and late by at
  // most the hand-over delay: the shortest time per byte over a span of
  // chunks is the line's byte time, or a little less.
  std::optional<Duration> byteTime;
  std::size_t spanBytes = 0;
  for (std::size_t first = 0, last = 0; first + 1 < chunks_.size(); ++first) {
    if (last <= first) {
      last = first;
      spanBytes = 0;
    }
    while (spanBytes < kShortestSpan && last + 1 < chunks_.size()) spanBytes += chunks_[++last].bytes;
    if (spanBytes < kShortestSpan) break;
    const Duration span = chunks_[last].at - chunks_[first].at;
    const Duration perByte =
        span < kShortestTimedSpan ? Duration::zero() : span / static_cast<double>(spanBytes);
    byteTime = std::min(byteTime.value_or(perByte), perByte);
    spanBytes -= chunks_[first + 1].bytes;
  }
  if (byteTime) byteTimes_.add(*byteTime);

  // The longest wait between chunks beyond the time their bytes took.
  const Duration perByte = byteTime.value_or(this->byteTime());
  Duration handOver = Duration::zero();
  for (std::size_t i = 1; i < chunks_.size(); ++i) {
    const Duration late =
        Duration(chunks_[i].at - chunks_[i - 1].at) - static_cast<double>(chunks_[i].bytes) * perByte;
    handOver = std::max(handOver, late);
  }
  handOverDelays_.add(std::min(handOver, kLongestHandOver));
}

bool ReplyFraming::ranOnBeforeRequest(std::size_t bytes, Clock::time_point arrivedAt) const {
  return Duration(arrivedAt - requestAt_) <
         (static_cast<double>(bytes) + kEarliestReplyByteTimes) * byteTime();
}

bool ReplyFraming::mayContinueLastReply(std::size_t bytes, Clock::time_point arrivedAt) const {
  const Duration pause = Duration(arrivedAt - lastReplyEnd_) - static_cast<double>(bytes) * byteTime();
  return pause < kEarliestReplyByteTimes * byteTime() + handOverDelay();
}

}  // namespace kq
