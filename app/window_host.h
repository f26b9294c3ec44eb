#pragma once

#include <QLabel>
#include <QTimer>
#include <string>
#include <vector>

#include "dump/dump.h"
#include "link/download_protocol.h"
#include "link/serial_channel.h"

namespace kq {

class BigButton;
class Gauge;
class Lamp;

// Serves the download engine's requests with the main window's parts: status
// line, gauge, lamp, download switch, the dump, the two logs, the retry timer
// and the serial channel.
class WindowHost : public DownloadHost {
 public:
  struct Parts {
    SerialChannel& channel;
    QLabel& status;
    Gauge& progress;
    Lamp& indicator;
    BigButton& downloadSwitch;
    Dump& dump;
    std::vector<std::string>& frameLog;
    std::vector<std::string>& replyLog;
    QTimer& retryTimer;
  };

  explicit WindowHost(const Parts& parts) : parts_(parts) {}

  void writeBytes(std::span<const std::uint8_t> bytes) override;
  void clearDump() override;
  void appendDumpLine(std::string line) override;
  void showStatus(const std::string& text) override;
  void showProgress(int percent) override;
  void lightIndicator() override;
  void releaseDownloadSwitch() override;
  void armRetryTimer() override;
  void disarmRetryTimer() override;
  void appendFrameLog(const std::string& line) override;
  void appendReplyLog(const std::string& line) override;

 private:
  Parts parts_;
};

}  // namespace kq
