#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "sim/memory.h"
#include "sim/pseudo_terminal.h"

namespace kq::sim {

struct DeviceOptions {
  // Bytes leave at the pace of a line of this speed (10 bits a byte); 0 sends at once.
  int baud = 38400;
  // Pause between a request and the start of its reply.
  std::chrono::milliseconds latency{0};
  // A USB adapter between the line and the program: bytes handed over in
  // packets of this many bytes, or when its latency timer runs out; 0: none.
  int usbPacket = 0;
  std::chrono::milliseconds usbLatency{16};
  // Faults, counted over all requests from 1; 0 turns a fault off.
  int dropEvery = 0;     // every N-th request gets no reply
  int garbageEvery = 0;  // every N-th reply carries random bytes instead of the block
  int hangupAfter = 0;   // the line is closed after N replies
  int restartAfter = 0;  // after N replies it starts over: sync bytes, requests ignored until linked
  int strayBytes = 0;    // bytes sent after each reply, strayDelay after its end
  std::chrono::milliseconds strayDelay{5};
};

// The on-board computer's boot loader on a pseudo-terminal: sends 0x55 every
// 100 ms until answered with 55 33 CC, confirms with AA, and answers every
// request 77 HH LL with 77 followed by the 258 bytes of block HHLL. After a
// second without input it goes back to sending 0x55, for the next program.
class SimulatedDevice {
 public:
  SimulatedDevice(Memory memory, DeviceOptions options);  // throws std::system_error
  ~SimulatedDevice();                                     // stops the thread of start()

  const std::string& devicePath() const { return terminal_.devicePath(); }

  // Runs the device on a thread of its own / on the calling thread until
  // stop is requested or the line has been hung up.
  void start();
  void run(std::stop_token stop);
  void stop();

  // Block numbers of the requests received so far, in order.
  std::vector<int> requests() const;
  int replies() const;
  bool hungUp() const;
  // For every request that followed a reply: from the reply's last byte
  // leaving the device to the request's arrival there.
  std::vector<std::chrono::nanoseconds> turnarounds() const;
  // For every reply: from its request's arrival to its last byte handed over,
  // the time the device and its line needed.
  std::vector<std::chrono::nanoseconds> replyTimes() const;

 private:
  using Clock = std::chrono::steady_clock;

  void handleInput(Clock::time_point receivedAt);
  void answer(int block, Clock::time_point receivedAt);
  // Sends as a line of the configured speed would, after `heldBytes` bytes the
  // line carried towards the device (the request) have passed, and through
  // the adapter when there is one.
  void sendPaced(std::span<const std::uint8_t> bytes, Clock::time_point since, int heldBytes);
  void sendThroughAdapter(std::span<const std::uint8_t> bytes, Clock::duration byteTime);
  bool writeAll(std::span<const std::uint8_t> bytes);
  void sleepUntil(Clock::time_point when);

  Memory memory_;
  DeviceOptions options_;
  PseudoTerminal terminal_;
  int wakeFd_ = -1;
  std::stop_token stop_;

  std::vector<std::uint8_t> input_;
  bool linked_ = false;
  bool restarted_ = false;  // requests wait for a new handshake
  Clock::time_point lineFree_{};
  std::optional<Clock::time_point> replyEnd_;
  std::uint32_t garbageSeed_ = 1;

  mutable std::mutex mutex_;
  std::vector<int> requests_;
  std::vector<std::chrono::nanoseconds> turnarounds_;
  std::vector<std::chrono::nanoseconds> replyTimes_;
  int replies_ = 0;
  bool hungUp_ = false;

  std::jthread thread_;
};

}  // namespace kq::sim
