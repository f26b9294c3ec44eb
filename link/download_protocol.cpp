#include "link/download_protocol.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "dump/dump_line.h"

namespace kq {
namespace {

constexpr std::uint8_t kSyncAnswer[] = {0x55, 0x33, 0xCC};
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

int commandDigitValue(char c, std::string_view pair) {
  const int value = hexDigitValue(c);
  if (value < 0) throw std::invalid_argument("'$" + std::string(pair) + "' is not a valid integer value");
  return value;
}

std::string logLine(const char* prefix, const std::string& trace) { return prefix + trace; }

}  // namespace

void DownloadProtocol::beginLink() {
  linkState_ = LinkState::waitSync;
  host_.showStatus(kStatusLinking);
}

void DownloadProtocol::startDownload() {
  host_.clearDump();
  linkState_ = LinkState::downloading;
  blockFill_ = 0;
  host_.showStatus(kStatusDownloading);
  host_.showProgress(0);
  blockNumber_ = kFirstBlock;
  sendCommand("77 01 00");
}

void DownloadProtocol::receiveChunk(std::span<const std::uint8_t> chunk) {
  // The receive path never holds more than one buffer's worth at a time.
  while (chunk.size() > kBufferSize) {
    receiveBoundedChunk(chunk.first(kBufferSize));
    chunk = chunk.subspan(kBufferSize);
  }
  if (!chunk.empty()) receiveBoundedChunk(chunk);
}

void DownloadProtocol::receiveBoundedChunk(std::span<const std::uint8_t> chunk) {
  const bool logs = host_.keepsLogs();
  std::string trace;
  if (logs) {
    appendHexTrace(trace, chunk);
    host_.appendFrameLog(logLine(" - > ", trace));
  }

  if (linkState_ == LinkState::downloading) {
    // Bytes that would pass the end of the buffer can only be surplus beyond
    // the block; they are dropped rather than written out of bounds.
    const std::size_t room = kBufferSize - static_cast<std::size_t>(blockFill_);
    const std::size_t copied = std::min(chunk.size(), room);
    std::memcpy(blockBuffer_ + blockFill_, chunk.data(), copied);
    blockFill_ += static_cast<int>(copied);
    if (blockFill_ < kBlockReplySize) return;

    host_.appendDumpLine(makeDumpLine(
        std::span<const std::uint8_t>(blockBuffer_ + 1, static_cast<std::size_t>(blockFill_ - 1))));
    host_.disarmRetryTimer();
    blockFill_ = 0;
    host_.showProgress(progressPercent(blockNumber_));
    ++blockNumber_;
    if (blockNumber_ > kLastBlock) {
      linkState_ = LinkState::downloadDone;
      host_.releaseDownloadSwitch();
      host_.showStatus(kStatusDone);
      return;
    }
    trace = requestBlock();
    host_.armRetryTimer();
  }

  if (logs) host_.appendReplyLog(logLine(" - > ", trace));

  if (chunk[0] == kSyncByte && linkState_ == LinkState::waitSync) {
    host_.lightIndicator();
    linkState_ = LinkState::syncAnswered;
    sendBytes(kSyncAnswer);
  } else if (chunk[0] == kLinkConfirmation && linkState_ == LinkState::syncAnswered) {
    host_.lightIndicator();
    host_.showStatus(kStatusLinked);
    linkState_ = LinkState::linked;
  }
}

void DownloadProtocol::retryTick() {
  host_.disarmRetryTimer();
  blockFill_ = 0;
  requestBlock();
}

void DownloadProtocol::rewindTo(int blockNumber) {
  linkState_ = LinkState::downloading;
  blockNumber_ = blockNumber;
  blockFill_ = 0;
}

void DownloadProtocol::sendCommand(std::string_view text) { sendCommandText(text); }

std::string DownloadProtocol::requestBlock() {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "77";
  for (int shift = 12; shift >= 0; shift -= 4) text.push_back(kDigits[(blockNumber_ >> shift) & 0x0F]);
  return sendCommandText(text);
}

std::string DownloadProtocol::sendCommandText(std::string_view text) {
  host_.lightIndicator();
  std::string digits;
  for (char c : text) {
    if (c != ' ') digits.push_back(c);
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    const std::string_view pair(digits.data() + i, 2);
    bytes.push_back(
        static_cast<std::uint8_t>(commandDigitValue(pair[0], pair) * 16 + commandDigitValue(pair[1], pair)));
  }
  return sendBytes(bytes);
}

std::string DownloadProtocol::sendBytes(std::span<const std::uint8_t> bytes) {
  host_.writeBytes(bytes);
  std::string trace;
  if (!host_.keepsLogs()) return trace;
  appendHexTrace(trace, bytes);
  host_.appendFrameLog(logLine(" - от ПК - >", trace));
  return trace;
}

}  // namespace kq
