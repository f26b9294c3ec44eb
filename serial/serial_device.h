#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace kq::detail {

// The operating system's side of one open serial device: the only code that
// calls the OS. The serial line's threads use it as follows: the event thread
// waits for input, the write thread writes and waits for room, the main
// thread reads and counts; wake-ups may come from any thread.
class SerialDevice {
 public:
  enum class Wait { ready, woken, lost };

  // Opens `path` exclusively, raw, 38400 8N1, no flow control, DTR and RTS
  // low, queues empty. `name` is the port name messages show. Throws
  // SerialError.
  static std::unique_ptr<SerialDevice> open(const std::string& name, const std::string& path);

  // Discards what is queued either way (never waits for the line) and closes.
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // Bytes in the input queue; 0 when the device has gone.
  std::size_t bytesWaiting();
  // Reads what is there without waiting; nullopt when the device has gone.
  std::optional<std::size_t> readAvailable(std::span<std::uint8_t> buffer);
  // True when input came within `timeout`; false on time-out or loss.
  bool waitReadable(std::chrono::milliseconds timeout);
  // Writes what fits now; 0 when the output queue is full, nullopt when the device has gone.
  std::optional<std::size_t> writeSome(std::span<const std::uint8_t> bytes);
  // Writes what the driver takes at once and never waits, for a write from the
  // main thread while nothing is queued; 0 when that cannot be had without
  // waiting; nullopt when the device has gone.
  std::optional<std::size_t> writeNow(std::span<const std::uint8_t> bytes);
  // Drops whatever the input queue holds now.
  void discardInput();

  Wait waitForInput();
  Wait waitForRoom();
  // Waits only for wakeInputWaiter(), at most `timeout`.
  void waitForInputWake(std::chrono::milliseconds timeout);
  void wakeInputWaiter();
  void wakeRoomWaiter();

 private:
  struct Os;
  explicit SerialDevice(std::unique_ptr<Os> os);
  std::unique_ptr<Os> os_;
};

}  // namespace kq::detail
