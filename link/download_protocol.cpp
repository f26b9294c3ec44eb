#include "link/download_protocol.h"

#include <algorithm>
#include <cstring>

#include "dump/dump_line.h"
#include "dump/protocol_bytes.h"

namespace kq {
namespace {

constexpr int kProgressDivisor = 4096;

// BlockNumber / 4096 × 100, rounded to nearest with ties to even.
int progressPercent(int blockNumber) {
  const int scaled = blockNumber * 100;
  int quotient = scaled / kProgressDivisor;
  const int twiceRemainder = 2 * (scaled % kProgressDivisor);
  if (twiceRemainder > kProgressDivisor || (twiceRemainder == kProgressDivisor && quotient % 2 != 0)) {
    ++quotient;
  }
  return quotient;
}

// Grows and copies, where an insert at the end draws a false overflow warning from GCC 12.
void appendBytes(std::vector<std::uint8_t>& to, std::span<const std::uint8_t> bytes) {
  const std::size_t at = to.size();
  to.resize(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), to.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

ProtocolSteps DownloadProtocol::startDownload() {
  linkState_ = LinkState::downloading;
  blockFill_ = 0;
  blockNumber_ = layout::kFirstBlock;
  ProtocolSteps steps;
  steps.progress = 0;
  requestBlock(steps);
  return steps;
}

ProtocolSteps DownloadProtocol::receiveChunk(std::span<const std::uint8_t> chunk) {
  ProtocolSteps steps;
  // The receive path never holds more than one buffer's worth at a time.
  while (chunk.size() > kBufferSize) {
    receiveBoundedChunk(chunk.first(kBufferSize), steps);
    chunk = chunk.subspan(kBufferSize);
  }
  if (!chunk.empty()) receiveBoundedChunk(chunk, steps);
  return steps;
}

void DownloadProtocol::receiveBoundedChunk(std::span<const std::uint8_t> chunk, ProtocolSteps& steps) {
  if (linkState_ == LinkState::downloading) {
    // Bytes that would pass the end of the buffer can only be surplus beyond
    // the block; they are dropped rather than written out of bounds.
    const std::size_t room = kBufferSize - static_cast<std::size_t>(blockFill_);
    const std::size_t copied = std::min(chunk.size(), room);
    std::memcpy(blockBuffer_ + blockFill_, chunk.data(), copied);
    blockFill_ += static_cast<int>(copied);
    if (blockFill_ < protocol::kReplyBytes) return;

    steps.lines.push_back(makeDumpLine(
        std::span<const std::uint8_t>(blockBuffer_ + 1, static_cast<std::size_t>(blockFill_ - 1))));
    blockFill_ = 0;
    steps.progress = progressPercent(blockNumber_);
    ++blockNumber_;
    if (blockNumber_ > layout::kLastBlock) {
      linkState_ = LinkState::downloadDone;
      steps.done = true;
      return;
    }
    requestBlock(steps);
  }

  if (chunk[0] == protocol::kSyncByte && linkState_ == LinkState::waitSync) {
    steps.indicator = true;
    linkState_ = LinkState::syncAnswered;
    appendBytes(steps.send, protocol::kSyncAnswer);
  } else if (chunk[0] == protocol::kLinkConfirmation && linkState_ == LinkState::syncAnswered) {
    steps.indicator = true;
    steps.linked = true;
    linkState_ = LinkState::linked;
  }
}

ProtocolSteps DownloadProtocol::retryTick() {
  blockFill_ = 0;
  ProtocolSteps steps;
  requestBlock(steps);
  return steps;
}

void DownloadProtocol::rewindTo(int blockNumber) {
  linkState_ = LinkState::downloading;
  blockNumber_ = blockNumber;
  blockFill_ = 0;
}

void DownloadProtocol::requestBlock(ProtocolSteps& steps) const {
  appendBytes(steps.send, protocol::blockRequest(blockNumber_));
  steps.indicator = true;
}

}  // namespace kq
