#include "serial/serial_line.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "serial/port_discovery.h"
#include "serial/serial_device.h"
#include "serial/serial_error.h"
#include "serial/stop_wait.h"

namespace kq {
namespace {

constexpr const char* kOutputFullMessage = "Output buffer is full. Please check comm status.";
// An arrival is announced once the bytes are there; a read that finds none
// waits this long for the first before it gives up.
constexpr std::chrono::milliseconds kReadTimeout{500};
// A read ends at the first pause in the stream this long.
constexpr std::chrono::milliseconds kReadPause{5};
// When a handler left the waiting bytes unread, poll() would report them again
// at once; the event thread then looks again only after this pause.
constexpr std::chrono::milliseconds kUnreadInputPause{20};
// The rest after a close looks for a stop this often.
constexpr std::chrono::milliseconds kRestStep{5};

// The rest after a close: the pause, cut short when a stop is requested.
void restFor(std::chrono::milliseconds length, std::stop_token stop) {
  const auto end = std::chrono::steady_clock::now() + length;
  while (!stop.stop_requested()) {
    const auto left = end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kRestStep));
  }
}

}  // namespace

// One open port: the device and the two threads that serve it.
struct SerialLine::Port {
  std::unique_ptr<detail::SerialDevice> device;

  std::mutex readLock;

  std::mutex writeLock;
  std::condition_variable_any writeQueued;
  std::condition_variable roomFreed;
  std::vector<std::uint8_t> writeBuffer;

  std::atomic<bool> lost{false};
  // Counts what the main thread has read, so the event thread can tell a
  // handler that left the input alone.
  std::atomic<std::uint64_t> bytesRead{0};

  std::jthread writeThread;
  std::jthread eventThread;

  void markLost() {
    lost = true;
    device->wakeInputWaiter();
  }

  // Ends both threads. A hand-over waiting for the main thread is abandoned
  // by the stop request, so neither join waits for the main thread.
  void stopThreads() {
    {
      std::lock_guard lock(readLock);
      eventThread.request_stop();
      writeThread.request_stop();
      device->wakeInputWaiter();
      device->wakeRoomWaiter();
    }
    eventThread.join();
    writeThread.join();
  }

  // Sends what the main thread queues, from the front of the buffer.
  void writeLoop(std::stop_token stop) {
    std::vector<std::uint8_t> pending;
    while (true) {
      {
        std::unique_lock lock(writeLock);
        if (!waitUnlessStopped(writeQueued, lock, stop, [&] { return !writeBuffer.empty(); })) return;
        // The main thread may append behind these meanwhile.
        pending.assign(writeBuffer.begin(), writeBuffer.end());
      }
      std::size_t written = 0;
      while (written < pending.size()) {
        const auto n = device->writeSome(std::span(pending).subspan(written));
        if (!n) return markLost();
        written += *n;
        if (*n != 0) continue;
        // A full output queue is no failure: wait for room.
        const auto wait = device->waitForRoom();
        if (stop.stop_requested()) return;
        if (wait == detail::SerialDevice::Wait::lost) return markLost();
      }
      {
        std::lock_guard lock(writeLock);
        writeBuffer.erase(writeBuffer.begin(), writeBuffer.begin() + static_cast<std::ptrdiff_t>(written));
      }
      roomFreed.notify_all();
    }
  }

  // Hands every arrival of bytes to the main thread and waits for it.
  void eventLoop(std::stop_token stop, SerialLine& owner, std::uint64_t generation) {
    while (!stop.stop_requested()) {
      const auto wait = device->waitForInput();
      if (stop.stop_requested()) return;
      if (wait == detail::SerialDevice::Wait::ready) {
        const auto seenAt = Clock::now();
        const std::uint64_t readBefore = bytesRead;
        owner.mainThread_.runAndWait(
            [&owner, generation, seenAt] { owner.dispatchReceived(generation, seenAt); }, stop);
        if (bytesRead == readBefore && !stop.stop_requested()) device->waitForInputWake(kUnreadInputPause);
      } else if (wait == detail::SerialDevice::Wait::lost || lost) {
        lost = true;
        owner.mainThread_.runAndWait([&owner, generation] { owner.dispatchLost(generation); }, stop);
        return;  // reported once; nothing more to watch until the port is closed
      }
    }
  }
};

SerialLine::SerialLine(MainThread& mainThread) : mainThread_(mainThread) {
  setClosePause(kDefaultClosePause);
}

SerialLine::~SerialLine() { close(); }

void SerialLine::setClosePause(std::chrono::milliseconds length) {
  closeRest_ = [length](std::stop_token stop) { restFor(length, stop); };
}

void SerialLine::open(const std::string& portName) {
  close();
  // The port closed last is let go and rests first: this may be the same
  // device, under this name or another.
  waitForClosing();
  auto port = std::make_unique<Port>();
  port->device = detail::SerialDevice::open(portName, portDevicePath(portName));
  port->writeBuffer.reserve(kWriteSize);
  const std::uint64_t generation = ++generation_;
  Port& p = *port;
  p.writeThread = std::jthread([&p](std::stop_token stop) { p.writeLoop(stop); });
  p.eventThread =
      std::jthread([this, &p, generation](std::stop_token stop) { p.eventLoop(stop, *this, generation); });
  port_ = std::move(port);
  portName_ = portName;
}

void SerialLine::close() {
  if (!port_) return;
  std::unique_ptr<Port> port = std::move(port_);
  ++generation_;
  port->stopThreads();
  // Releasing the device and the rest after it happen off the caller's thread.
  closing_ = std::jthread([port = std::move(port), rest = closeRest_](std::stop_token stop) mutable {
    port.reset();
    if (rest) rest(stop);
  });
}

void SerialLine::waitForClosing() {
  if (closing_.joinable()) closing_.join();
}

void SerialLine::write(std::span<const std::uint8_t> bytes) {
  if (!port_) return;
  Port& p = *port_;
  if (p.lost) return;  // already reported
  {
    std::unique_lock lock(p.writeLock);
    if (p.writeBuffer.empty()) {
      // Nothing waits before these bytes: hand them to the driver at once and
      // spare the request a thread switch; the write thread takes what is left.
      const auto written = p.device->writeNow(bytes);
      if (!written) {
        p.markLost();
        return;
      }
      if (*written == bytes.size()) return;
      bytes = bytes.subspan(*written);
    }
    if (!p.roomFreed.wait_for(lock, writeTimeout_,
                              [&] { return p.writeBuffer.size() + bytes.size() <= kWriteSize; })) {
      throw SerialError(kOutputFullMessage);
    }
    p.writeBuffer.insert(p.writeBuffer.end(), bytes.begin(), bytes.end());
  }
  p.writeQueued.notify_all();
}

std::size_t SerialLine::read(std::span<std::uint8_t> buffer) {
  Port& p = *port_;
  std::lock_guard lock(p.readLock);
  const auto deadline = Clock::now() + kReadTimeout;
  std::size_t got = 0;
  while (got < buffer.size()) {
    const auto n = p.device->readAvailable(buffer.subspan(got));
    if (!n) {
      p.markLost();
      break;
    }
    got += *n;
    p.bytesRead += *n;
    if (got == buffer.size()) break;
    // Like a serial driver's read: wait for the first byte up to the time-out,
    // then end the read at the first pause in the stream.
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (got != 0) wait = std::min(wait, kReadPause);
    if (wait.count() <= 0 || !p.device->waitReadable(wait)) break;
  }
  return got;
}

std::size_t SerialLine::bytesWaiting() {
  if (!port_) return 0;
  std::lock_guard lock(port_->readLock);
  return port_->device->bytesWaiting();
}

void SerialLine::discardInput() {
  if (!port_) return;
  std::lock_guard lock(port_->readLock);
  port_->device->discardInput();
}

void SerialLine::dispatchReceived(std::uint64_t generation, Clock::time_point seenAt) {
  if (!port_ || generation != generation_) return;
  try {
    std::size_t count = bytesWaiting();
    std::array<std::uint8_t, kMaxChunk> buffer;
    // A handler may close the line; then nothing more is read or handed on.
    while (count > 0 && generation == generation_) {
      const std::size_t got = read(std::span(buffer).first(std::min(count, buffer.size())));
      if (got == 0) return;
      received(std::span(buffer).first(got), seenAt);
      count -= std::min(got, count);
    }
  } catch (const std::exception& error) {
    if (generation == generation_) failed(error.what());
  }
}

void SerialLine::dispatchLost(std::uint64_t generation) {
  if (!port_ || generation != generation_) return;
  failed("Specified device was disconnected (" + portName_ + ").");
}

}  // namespace kq
