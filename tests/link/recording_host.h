#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "dump/dump_line.h"
#include "link/download_protocol.h"

namespace kq::test {

// A host that keeps everything the engine asks of it.
struct RecordingHost : DownloadHost {
  std::vector<std::vector<std::uint8_t>> writes;
  std::vector<std::string> dump;
  std::vector<std::string> statuses;
  std::vector<int> progress;
  std::vector<std::string> frameLog;
  std::vector<std::string> replyLog;
  int indicatorLit = 0;
  int switchReleased = 0;
  int dumpCleared = 0;
  bool timerArmed = false;
  int timesArmed = 0;
  bool failWrites = false;

  void writeBytes(std::span<const std::uint8_t> bytes) override {
    if (failWrites) throw std::runtime_error("Output buffer is full. Please check comm status.");
    writes.emplace_back(bytes.begin(), bytes.end());
  }
  void clearDump() override {
    dump.clear();
    ++dumpCleared;
  }
  void appendDumpLine(std::string line) override { dump.push_back(std::move(line)); }
  void showStatus(const std::string& text) override { statuses.push_back(text); }
  void showProgress(int percent) override { progress.push_back(percent); }
  void lightIndicator() override { ++indicatorLit; }
  void releaseDownloadSwitch() override { ++switchReleased; }
  void armRetryTimer() override {
    timerArmed = true;
    ++timesArmed;
  }
  void disarmRetryTimer() override { timerArmed = false; }
  void appendFrameLog(const std::string& line) override { frameLog.push_back(line); }
  void appendReplyLog(const std::string& line) override { replyLog.push_back(line); }
};

inline std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

// A block reply whose bytes count up from `seed`.
inline std::vector<std::uint8_t> blockReply(int seed, std::size_t size = 259) {
  std::vector<std::uint8_t> reply(size);
  for (std::size_t i = 0; i < size; ++i) reply[i] = static_cast<std::uint8_t>(seed + i);
  return reply;
}

inline std::string lineOf(const std::vector<std::uint8_t>& reply) {
  return makeDumpLine(std::span(reply).subspan(1));
}

}  // namespace kq::test
