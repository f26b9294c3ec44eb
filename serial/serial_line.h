#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <thread>

#include "serial/line.h"
#include "serial/main_thread.h"

namespace kq {

// The serial port as the line: 38400 baud, 8N1, raw, no flow control, opened
// exclusively. An event thread watches the port and hands every arrival of
// bytes to the owner's main thread, waiting until it has been read there in
// chunks of at most 1,024 bytes; a write thread sends what the driver does not
// take at once. A closed port is released, and rests before it may be opened
// again, on the line's closing thread, so a close never keeps the caller
// waiting; an open waits for that rest.
//
// Every member function is called on the main thread; the handlers run there.
class SerialLine : public Line {
 public:
  static constexpr std::size_t kWriteSize = 2048;
  static constexpr std::chrono::milliseconds kDefaultWriteTimeout{1000};
  static constexpr std::chrono::milliseconds kDefaultClosePause{300};
  // What a released port waits for on the closing thread before it may be
  // opened again; a stop is requested when the line goes away.
  using CloseRest = std::function<void(std::stop_token)>;

  explicit SerialLine(MainThread& mainThread);
  // Closes the port; a rest still running is cut short.
  ~SerialLine() override;
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // "COM1" to "COM8", an adapter's label or a device path. A port already
  // open is closed first. Throws SerialError; a failed open leaves the line closed.
  void open(const std::string& portName) override;
  // Drops unsent and unread bytes, stops both threads and hands the device to
  // the closing thread. Nothing when closed.
  void close() override;
  bool isOpen() const override { return port_ != nullptr; }
  // Hands the bytes to the driver, or queues them for the write thread and
  // waits up to the write timeout for room.
  void write(std::span<const std::uint8_t> bytes) override;
  void discardInput() override;
  std::size_t bytesWaiting() override;

  // Tests shorten the waits.
  void setWriteTimeout(std::chrono::milliseconds timeout) { writeTimeout_ = timeout; }
  void setClosePause(std::chrono::milliseconds pause);
  void setCloseRest(CloseRest rest) { closeRest_ = std::move(rest); }

 private:
  struct Port;

  void dispatchReceived(std::uint64_t generation, Clock::time_point seenAt);
  void dispatchLost(std::uint64_t generation);
  // Reads up to buffer.size() bytes: waits up to the read timeout for the
  // first, then ends at the first pause in the stream.
  std::size_t read(std::span<std::uint8_t> buffer);
  void waitForClosing();

  MainThread& mainThread_;
  std::chrono::milliseconds writeTimeout_ = kDefaultWriteTimeout;
  CloseRest closeRest_;
  std::string portName_;
  std::uint64_t generation_ = 0;  // bumped by every open and close
  std::unique_ptr<Port> port_;
  std::jthread closing_;  // releases the last port closed, then rests
};

}  // namespace kq
