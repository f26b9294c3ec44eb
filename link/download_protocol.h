#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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

// Everything the download engine does outside itself goes through its host.
// All calls come from the thread that calls the engine. An exception thrown by
// writeBytes ends the engine call at that write; what the call did before stays.
class DownloadHost {
 public:
  virtual ~DownloadHost() = default;

  virtual void writeBytes(std::span<const std::uint8_t> bytes) = 0;
  virtual void clearDump() = 0;
  virtual void appendDumpLine(std::string line) = 0;
  // Status texts are UTF-8.
  virtual void showStatus(const std::string& text) = 0;
  // 0 to 100.
  virtual void showProgress(int percent) = 0;
  // The engine never switches the indicator off.
  virtual void lightIndicator() = 0;
  virtual void releaseDownloadSwitch() = 0;
  // Arming restarts the full retry time (kRetryMilliseconds) from now.
  virtual void armRetryTimer() = 0;
  virtual void disarmRetryTimer() = 0;
  virtual void appendFrameLog(const std::string& line) = 0;
  virtual void appendReplyLog(const std::string& line) = 0;
  // A host that keeps no logs spares the engine making their lines.
  virtual bool keepsLogs() const { return true; }
};

// The state machine that links with the boot loader and downloads the log
// memory block by block. Never blocks and keeps no thread; calls must not
// overlap.
class DownloadProtocol {
 public:
  static constexpr std::size_t kBufferSize = 1024;
  static constexpr int kBlockReplySize = layout::kReplyBytes;
  static constexpr int kFirstBlock = layout::kFirstBlock;
  static constexpr int kLastBlock = layout::kLastBlock;
  static constexpr int kBlockCount = layout::kBlockCount;
  static constexpr int kRetryMilliseconds = 100;

  static constexpr std::uint8_t kSyncByte = 0x55;
  static constexpr std::uint8_t kLinkConfirmation = 0xAA;

  static constexpr const char* kStatusLinking = "Установка связи с БК";
  static constexpr const char* kStatusLinked = "Связь с БК установлена";
  static constexpr const char* kStatusDownloading = "Скачивание данных из БК";
  static constexpr const char* kStatusDone = "Завершено скачивание данных из БК";

  explicit DownloadProtocol(DownloadHost& host) : host_(host) {}

  // The host has opened the channel: wait for the device's sync byte.
  void beginLink();
  // Clears the dump and requests the first block, in any state.
  void startDownload();
  // One received chunk (n >= 1). A chunk longer than kBufferSize is taken as
  // consecutive chunks of at most kBufferSize bytes.
  void receiveChunk(std::span<const std::uint8_t> chunk);
  // The retry timer elapsed: drop the partial block and ask for it again.
  void retryTick();
  // Goes back to collecting `blockNumber` (already completed, its line to be
  // made again) without sending anything; the next retryTick() asks for it.
  void rewindTo(int blockNumber);
  // Sends a command given as hex digit pairs ("77 01 00"); blanks are ignored
  // and a single digit left at the end is dropped.
  void sendCommand(std::string_view text);

  LinkState linkState() const { return linkState_; }
  int blockFill() const { return blockFill_; }
  int blockNumber() const { return blockNumber_; }

 private:
  void receiveBoundedChunk(std::span<const std::uint8_t> chunk);
  // Each returns the HexTrace of the bytes written.
  std::string requestBlock();
  std::string sendCommandText(std::string_view text);
  std::string sendBytes(std::span<const std::uint8_t> bytes);

  DownloadHost& host_;
  LinkState linkState_ = LinkState::waitSync;
  std::uint8_t blockBuffer_[kBufferSize] = {};
  int blockFill_ = 0;
  int blockNumber_ = 0;
};

}  // namespace kq
