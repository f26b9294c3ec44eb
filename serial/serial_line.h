#pragma once

#include <chrono>

#include "serial/line.h"
#include "serial/serial_channel.h"

namespace kq {

// The line over the serial channel: every arrival is read in chunks of at most
// 1,024 bytes, and only the bytes actually read are handed on.
class SerialLine : public Line {
 public:
  explicit SerialLine(MainThread& mainThread);

  void open(const std::string& portName) override;
  void close() override;
  bool isOpen() const override { return channel_.isOpen(); }
  void write(std::span<const std::uint8_t> bytes) override { channel_.writeBytes(bytes); }
  void discardInput() override { channel_.discardInput(); }
  std::size_t bytesWaiting() override { return channel_.receivedCount(); }

  // The program is ending or the port will not be reopened at once.
  void setClosePause(std::chrono::milliseconds pause) { channel_.setClosePause(pause); }

 private:
  void readArrival(std::size_t count);

  SerialChannel channel_;
};

}  // namespace kq
