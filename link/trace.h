#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace kq {

// A record of one program's exchange with the device, for finding out what a
// line at the user's bench does: every byte sent and received and every
// judgement of the session, each on a line with its time in microseconds from
// the start. It stops at its size limit with a last line that says so.
class Trace {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::uintmax_t kDefaultLimit = std::uintmax_t{64} << 20;

  // Creates or empties the file; throws std::runtime_error naming it.
  Trace(const std::string& path, Clock::time_point start, std::uintmax_t limit = kDefaultLimit);
  ~Trace();
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

  void sent(Clock::time_point at, std::span<const std::uint8_t> bytes);
  void received(Clock::time_point at, std::span<const std::uint8_t> bytes);
  void note(Clock::time_point at, std::string_view text);

  // Why the trace ended early, if a write failed; empty otherwise.
  const std::string& failure() const { return failure_; }

 private:
  void write(Clock::time_point at, std::string_view tag, std::string_view text, bool flush);

  std::string path_;
  std::FILE* file_;
  Clock::time_point start_;
  std::uintmax_t limit_;
  const std::string limitReached_;
  std::uintmax_t written_ = 0;
  bool stopped_ = false;
  std::string failure_;
  std::string lineText_;
};

}  // namespace kq
