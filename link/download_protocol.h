#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dump/block_layout.h"

namespace kq {

// The protocol's state; the stored values are those the device's protocol is
// described with.
enum class LinkState : std::uint8_t {
  waitSync = 0,
  syncAnswered = 1,
  linked = 2,
  downloading = 8,
  downloadDone = 9,
};

// What one engine call asks of its owner. When several are set they happen in
// this order: the lines are added, the progress shown, the bytes sent.
struct ProtocolSteps {
  std::vector<std::string> lines;  // finished dump lines, in block order
  std::optional<int> progress;     // 0 to 100
  std::vector<std::uint8_t> send;  // bytes to write, all in one write
  bool indicator = false;          // the device answered or was spoken to
  bool linked = false;             // the device confirmed the link
  bool done = false;               // the last block is in
};

// The state machine that links with the boot loader and downloads the log
// memory block by block: fed received chunks and retry ticks, it says what to
// do. It never blocks, keeps no thread and calls nothing outside itself.
class DownloadProtocol {
 public:
  static constexpr std::size_t kBufferSize = 1024;

  // The owner has opened the port: wait for the device's sync byte. The
  // block counters stay as they are.
  void beginLink() { linkState_ = LinkState::waitSync; }
  // Asks for the first block, in any state; the owner empties its dump.
  ProtocolSteps startDownload();
  // One received chunk (n >= 1). A chunk longer than kBufferSize is taken as
  // consecutive chunks of at most kBufferSize bytes; their steps are merged.
  ProtocolSteps receiveChunk(std::span<const std::uint8_t> chunk);
  // Drops the partial block and asks for it again.
  ProtocolSteps retryTick();
  // Goes back to collecting `blockNumber` (already completed, its line to be
  // made again) without sending anything; the next retryTick() asks for it.
  void rewindTo(int blockNumber);

  LinkState linkState() const { return linkState_; }
  int blockFill() const { return blockFill_; }
  int blockNumber() const { return blockNumber_; }

 private:
  void receiveBoundedChunk(std::span<const std::uint8_t> chunk, ProtocolSteps& steps);
  void requestBlock(ProtocolSteps& steps) const;

  LinkState linkState_ = LinkState::waitSync;
  std::uint8_t blockBuffer_[kBufferSize] = {};
  int blockFill_ = 0;
  int blockNumber_ = 0;
};

}  // namespace kq
