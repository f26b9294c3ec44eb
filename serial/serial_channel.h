#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "serial/main_thread.h"
#include "serial/serial_error.h"

namespace kq {

// The serial port: 38400 baud, 8N1, raw, no flow control, opened exclusively.
// An event thread watches the port and hands every arrival of bytes to the
// owner's main thread (OnRxChar with the number of bytes waiting) and waits
// until the handler has finished; a write thread sends queued bytes.
//
// Every member function is called on the main thread. Callbacks run there too.
// After closePort() returns no callback of the closed port runs any more.
class SerialChannel {
 public:
  static constexpr std::size_t kWriteSize = 2048;
  static constexpr std::chrono::milliseconds kDefaultReadTimeout{1000};
  static constexpr std::chrono::milliseconds kDefaultWriteTimeout{1000};
  static constexpr std::chrono::milliseconds kDefaultClosePause{300};

  // count: the number of received bytes waiting, at least 1.
  using RxCharHandler = std::function<void(SerialChannel& sender, std::size_t count)>;
  // A failure outside any call of the owner: the device went away (reported
  // once per open), or an exception escaped the OnRxChar handler.
  using ErrorHandler = std::function<void(SerialChannel& sender, const std::string& message)>;

  explicit SerialChannel(MainThread& mainThread);
  ~SerialChannel();  // closes the port (with its pause)
  SerialChannel(const SerialChannel&) = delete;
  SerialChannel& operator=(const SerialChannel&) = delete;

  // "COM1" to "COM8" or a device path; "COM1" at start. Throws while open.
  void setDeviceName(const std::string& name);
  const std::string& deviceName() const { return deviceName_; }

  void setReadTimeout(std::chrono::milliseconds timeout) { readTimeout_ = timeout; }
  void setWriteTimeout(std::chrono::milliseconds timeout) { writeTimeout_ = timeout; }
  // The pause ClosePort makes after closing (tests shorten it).
  void setClosePause(std::chrono::milliseconds pause) { closePause_ = pause; }

  // Set while closed.
  void setOnRxChar(RxCharHandler handler) { onRxChar_ = std::move(handler); }
  void setOnError(ErrorHandler handler) { onError_ = std::move(handler); }

  // Throws SerialChannelError; a failed open leaves the port closed.
  void openPort();
  // Drops unsent and unread bytes, stops both threads, closes the device and
  // pauses. Nothing (and no pause) when closed.
  void closePort();
  bool isOpen() const;

  void setDtrLine(bool level);

  // Queues the bytes for the write thread and returns bytes.size() at once;
  // waits up to the write timeout for room. Nothing at all when closed.
  std::size_t writeBytes(std::span<const std::uint8_t> bytes);
  // Reads up to buffer.size() bytes, waiting at most the read timeout for the
  // first; 0 when closed or nothing came.
  std::size_t readBytes(std::span<std::uint8_t> buffer);
  // Bytes waiting in the input queue; 0 when closed.
  std::size_t receivedCount();
  // Drops what the input queue holds now; nothing when closed.
  void discardInput();
  // Inside an OnRxChar handler: when the event thread saw the bytes arrive.
  std::chrono::steady_clock::time_point arrivalTime() const { return arrivalTime_; }

 private:
  struct Session;

  void dispatchReceived(std::uint64_t generation, std::chrono::steady_clock::time_point seenAt);
  void dispatchLost(std::uint64_t generation);

  MainThread& mainThread_;
  std::string deviceName_ = "COM1";
  std::chrono::milliseconds readTimeout_ = kDefaultReadTimeout;
  std::chrono::milliseconds writeTimeout_ = kDefaultWriteTimeout;
  std::chrono::milliseconds closePause_ = kDefaultClosePause;
  RxCharHandler onRxChar_;
  ErrorHandler onError_;
  std::uint64_t generation_ = 0;  // main thread only; bumped by every open and close
  std::chrono::steady_clock::time_point arrivalTime_{};
  std::unique_ptr<Session> session_;
};

}  // namespace kq
