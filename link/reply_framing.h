#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace kq {

// Tells whether received bytes make one block reply, from arrival times only
// (what the bytes hold is the device's own matter), and learns the line from
// the clean replies of one download:
// - the byte time: a byte reaches the host only after it has crossed the
//   wire, one byte time after the one before;
// - the hand-over delay: an adapter hands bytes over in packets, when a packet
//   is full or when its latency timer runs out, so a reply's tail may arrive
//   up to that timer late; a pseudo-terminal hands them over at once;
// - the reply wait: from a request to the first byte of its reply.
// A reply counts as misframed only on evidence none of these explain.
class ReplyFraming {
 public:
  using Clock = std::chrono::steady_clock;
  using Duration = std::chrono::duration<double, std::micro>;

  enum class Verdict {
    collecting,  // fewer than 259 bytes so far
    complete,    // exactly 259 bytes, one burst
    tooLong,     // the chunk carried bytes beyond the 259th
    twoBursts,   // the line fell silent inside the reply
  };

  // burstGap: the longest silence allowed inside one reply beyond what the
  // byte time and the hand-over delay explain.
  explicit ReplyFraming(Duration burstGap) : burstGap_(burstGap) {}

  // A request went out at `sentAt`: the next bytes start a new reply.
  // `firstAskedAt` is when this block was first asked for, to measure the
  // reply wait from (a reply to that request may still be the one coming).
  void startReply(Clock::time_point sentAt, Clock::time_point firstAskedAt);
  // The bytes so far are dropped; the next bytes start a reply again.
  void dropReply() {
    chunks_.clear();
    filled_ = 0;
  }

  Verdict add(std::size_t bytes, Clock::time_point arrivedAt);
  std::size_t filled() const { return filled_; }

  // True when a chunk of `bytes` arriving at `arrivedAt` holds a byte that had
  // crossed the wire before any reply to the newest request could: a reply's
  // first byte follows the three request bytes, so it arrives at least
  // (bytes + 3) byte times after the request went out.
  bool ranOnBeforeRequest(std::size_t bytes, Clock::time_point arrivedAt) const;
  // True unless a chunk of `bytes` arriving at `arrivedAt`, while no request
  // is out, surely followed a pause after the last complete reply: within the
  // hand-over delay it may be that reply's own continuation.
  bool mayContinueLastReply(std::size_t bytes, Clock::time_point arrivedAt) const;

  // What the line has shown over its last replies; zero while unknown. The
  // reply wait is the longest of them, so that one held-up reply does not
  // slow the download for long.
  Duration byteTime() const { return median(byteTimes_); }
  Duration handOverDelay() const { return median(handOverDelays_); }
  Duration replyWait() const;

 private:
  static constexpr std::size_t kSamples = 9;
  struct Samples {
    std::array<Duration, kSamples> values{};
    std::size_t count = 0;
    std::size_t next = 0;
    void add(Duration value);
  };
  struct Chunk {
    std::size_t bytes;
    Clock::time_point at;
  };

  static Duration median(const Samples& samples);
  void learnFromReply();

  Duration burstGap_;
  std::vector<Chunk> chunks_;
  std::size_t filled_ = 0;
  Clock::time_point requestAt_{};
  Clock::time_point firstAskedAt_{};
  Clock::time_point lastReplyEnd_{};
  Samples byteTimes_;
  Samples handOverDelays_;
  Samples replyWaits_;
};

}  // namespace kq
