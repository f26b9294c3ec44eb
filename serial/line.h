#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace kq {

// The serial line as the download session sees it: open and close a port,
// send, drop pending input, and received chunks and a lost device reported on
// the main thread. SerialLine is the real one; tests script their own.
class Line {
 public:
  using Clock = std::chrono::steady_clock;
  // A chunk of at most 1,024 bytes and when it was seen to arrive.
  using ReceiveHandler =
      std::function<void(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt)>;
  // The device went away or the line failed outside any call; reported once.
  using FailureHandler = std::function<void(const std::string& message)>;

  static constexpr std::size_t kMaxChunk = 1024;

  virtual ~Line() = default;

  void setHandlers(ReceiveHandler onReceived, FailureHandler onFailure) {
    onReceived_ = std::move(onReceived);
    onFailure_ = std::move(onFailure);
  }

  // Opens the named port (DTR and RTS low); throws with the message to show.
  virtual void open(const std::string& portName) = 0;
  // Closes; nothing is reported after it returns. Nothing when closed.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Queues the bytes; nothing when closed; throws when the output stays full.
  virtual void write(std::span<const std::uint8_t> bytes) = 0;
  // Drops what has arrived and not been handed over yet.
  virtual void discardInput() = 0;
  // Bytes that have arrived and not been handed over yet.
  virtual std::size_t bytesWaiting() = 0;

 protected:
  void received(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt) {
    if (onReceived_) onReceived_(chunk, arrivedAt);
  }
  void failed(const std::string& message) {
    if (onFailure_) onFailure_(message);
  }

 private:
  ReceiveHandler onReceived_;
  FailureHandler onFailure_;
};

}  // namespace kq
