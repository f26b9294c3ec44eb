#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "link/download_observer.h"

namespace kq::test {

// Keeps what a session reports; `lines` is the download's dump.
struct RecordingObserver : DownloadObserver {
  std::vector<int> progress;
  std::vector<std::string> lines;
  std::vector<std::pair<int, AskAgainReason>> askedAgain;
  std::string failure;
  int stalledAt = 0;
  int unreadable = 0;
  int linkedCount = 0;
  int started = 0;
  bool done = false;
  bool ended() const { return done || !failure.empty() || stalledAt != 0 || unreadable != 0; }
  // How a download went, for a failing assertion's message.
  std::string summary() const {
    std::string text = std::to_string(lines.size()) + " lines, stalled at " + std::to_string(stalledAt);
    text += ", unreadable " + std::to_string(unreadable);
    text += ", failure '" + failure + "', asked again:";
    for (const auto& [block, reason] : askedAgain) {
      text += ' ';
      text += std::to_string(block);
      text += '/';
      text += std::to_string(static_cast<int>(reason));
    }
    return text;
  }

  void progressChanged(int percent) override { progress.push_back(percent); }
  void linked() override { ++linkedCount; }
  void downloadStarted() override {
    ++started;
    lines.clear();
  }
  void lineAdded(const std::string& line) override { lines.push_back(line); }
  void downloadDone() override { done = true; }
  void lineFailed(const std::string& message) override { failure = message; }
  void stalled(int block) override { stalledAt = block; }
  void blockUnreadable(int block) override { unreadable = block; }
  void blockAskedAgain(int block, AskAgainReason reason) override { askedAgain.emplace_back(block, reason); }
};

}  // namespace kq::test
