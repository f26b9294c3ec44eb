#include "link/trace.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "dump/dump_line.h"

namespace kq {
Trace::Trace(const std::string& path, Clock::time_point start, std::uintmax_t limit)
    : path_(path),
      file_(std::fopen(path.c_str(), "wb")),
      start_(start),
      limit_(limit),
      limitReached_("trace stopped: it reached its limit of " + (limit % (1u << 20) == 0
                                                                     ? std::to_string(limit >> 20) + " MB\n"
                                                                     : std::to_string(limit) + " bytes\n")) {
  if (!file_) throw std::runtime_error("cannot write the trace " + path + ": " + std::strerror(errno));
}

Trace::~Trace() { std::fclose(file_); }

void Trace::sent(Clock::time_point at, std::span<const std::uint8_t> bytes) {
  lineText_.clear();
  appendHexTrace(lineText_, bytes);
  write(at, "tx", lineText_, false);
}

void Trace::received(Clock::time_point at, std::span<const std::uint8_t> bytes) {
  lineText_.clear();
  appendHexTrace(lineText_, bytes);
  write(at, "rx", lineText_, false);
}

// Judgements are rare and tell most: they reach the disk at once.
void Trace::note(Clock::time_point at, std::string_view text) {
  // Built piece by piece: GCC 12 warns falsely on the string sum.
  lineText_.assign(1, ' ');
  lineText_ += text;
  write(at, "--", lineText_, true);
}

void Trace::write(Clock::time_point at, std::string_view tag, std::string_view text, bool flush) {
  if (stopped_) return;
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(at - start_).count();
  char stamp[32];
  const int stampLength = std::snprintf(stamp, sizeof stamp, "%12lld %.*s", static_cast<long long>(micros),
                                        static_cast<int>(tag.size()), tag.data());
  const std::uintmax_t length = static_cast<std::uintmax_t>(stampLength) + text.size() + 1;
  bool ok;
  if (written_ + length + limitReached_.size() > limit_) {
    stopped_ = true;
    ok = std::fputs(limitReached_.c_str(), file_) != EOF;
    flush = true;
  } else {
    ok = std::fwrite(stamp, 1, static_cast<std::size_t>(stampLength), file_) ==
             static_cast<std::size_t>(stampLength) &&
         std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fputc('\n', file_) != EOF;
    written_ += length;
  }
  if (ok && flush) ok = std::fflush(file_) == 0;
  if (!ok) {
    stopped_ = true;
    failure_ = "the trace " + path_ + " could not be written: " + std::strerror(errno);
  }
}

}  // namespace kq
