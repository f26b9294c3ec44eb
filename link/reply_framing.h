#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>

#include "dump/block_layout.h"

namespace kq {

// Tells whether received bytes make one block reply: a single continuous burst
// of exactly 259 bytes that starts after its request. It watches arrival times
// only; what the bytes hold is the device's own matter.
class ReplyFraming {
 public:
  using Clock = std::chrono::steady_clock;
  using Duration = std::chrono::duration<double, std::milli>;

  enum class Verdict {
    collecting,  // fewer than 259 bytes so far
    complete,    // exactly 259 bytes, one burst
    tooLong,     // the chunk carried bytes beyond the 259th
    twoBursts,   // the line fell silent between bytes of one reply
  };

  // burstGap: the longest silence allowed inside one reply, beyond what the
  // bytes received after it explain at the line's pace.
  explicit ReplyFraming(Duration burstGap) : burstGap_(burstGap) {}

  // A request went out: the next bytes start a new reply. The end of the last
  // complete reply is kept for continuesLastReply().
  void startReply();
  // Forget the last complete reply too (after the input was flushed).
  void forgetLastReply();

  Verdict add(std::size_t bytes, Clock::time_point arrivedAt);
  std::size_t filled() const { return filled_; }

  // True when a chunk of `bytes` arriving at `arrivedAt` followed the last
  // complete reply without a pause: a reply to a newer request comes only
  // after its three-byte request has crossed the line, so these ran on from
  // that reply.
  bool continuesLastReply(std::size_t bytes, Clock::time_point arrivedAt) const;

  // True when the first byte of a chunk of `bytes` arriving at `arrivedAt`
  // came before a reply to the request sent at `requestSentAt` could start:
  // that takes the request's three bytes and one more on the line. Such bytes
  // ran on from the last reply.
  bool startsBeforeReplyPossible(std::size_t bytes, Clock::time_point arrivedAt,
                                 Clock::time_point requestSentAt) const;

  // The time one byte takes on the line, as recent replies showed; zero while
  // unknown or when the line is faster than anything measurable.
  Duration byteTime() const;

 private:
  static constexpr int kReplyBytes = layout::kReplyBytes;
  static constexpr std::size_t kSamples = 9;

  void noteByteTime(Duration sample);

  Duration burstGap_;
  std::size_t filled_ = 0;
  std::size_t firstChunkBytes_ = 0;
  Clock::time_point firstArrival_{};
  Clock::time_point lastArrival_{};
  std::optional<Clock::time_point> lastReplyEnd_;
  std::array<Duration, kSamples> samples_{};
  std::size_t sampleCount_ = 0;
  std::size_t nextSample_ = 0;
};

}  // namespace kq
