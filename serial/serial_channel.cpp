#include "serial/serial_channel.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "serial/port_discovery.h"
#include "serial/serial_device.h"
#include "serial/stop_wait.h"

namespace kq {
namespace {

constexpr const char* kPortOpenMessage = "Can't perform this operation while port is open";
constexpr const char* kOutputFullMessage = "Output buffer is full. Please check comm status.";
// When a handler left the waiting bytes unread, poll() would report them again
// at once; the event thread then looks again only after this pause.
constexpr std::chrono::milliseconds kUnreadInputPause{20};

}  // namespace

struct SerialChannel::Session {
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
  void eventLoop(std::stop_token stop, SerialChannel& owner, std::uint64_t generation) {
    while (!stop.stop_requested()) {
      const auto wait = device->waitForInput();
      if (stop.stop_requested()) return;
      if (wait == detail::SerialDevice::Wait::ready) {
        const auto seenAt = std::chrono::steady_clock::now();
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

SerialChannel::SerialChannel(MainThread& mainThread) : mainThread_(mainThread) {}

SerialChannel::~SerialChannel() { closePort(); }

void SerialChannel::setDeviceName(const std::string& name) {
  if (session_) throw SerialChannelError(kPortOpenMessage);
  deviceName_ = name;
}

bool SerialChannel::isOpen() const { return session_ != nullptr; }

void SerialChannel::openPort() {
  if (session_) throw SerialChannelError(kPortOpenMessage);
  auto session = std::make_unique<Session>();
  session->device = detail::SerialDevice::open(deviceName_, portDevicePath(deviceName_));
  session->writeBuffer.reserve(kWriteSize);
  const std::uint64_t generation = ++generation_;
  Session& s = *session;
  s.writeThread = std::jthread([&s](std::stop_token stop) { s.writeLoop(stop); });
  s.eventThread =
      std::jthread([this, &s, generation](std::stop_token stop) { s.eventLoop(stop, *this, generation); });
  session_ = std::move(session);
}

void SerialChannel::closePort() {
  if (!session_) return;
  std::unique_ptr<Session> s = std::move(session_);
  ++generation_;
  {
    std::lock_guard lock(s->readLock);
    s->eventThread.request_stop();
    s->writeThread.request_stop();
    s->device->wakeInputWaiter();
    s->device->wakeRoomWaiter();
  }
  // A hand-over waiting for this thread is abandoned by the stop request, so
  // neither join can wait for the main thread.
  s->eventThread.join();
  s->writeThread.join();
  s.reset();
  if (closePause_.count() > 0) std::this_thread::sleep_for(closePause_);
}

void SerialChannel::setDtrLine(bool level) {
  if (session_) session_->device->setDtr(level);
}

std::size_t SerialChannel::writeBytes(std::span<const std::uint8_t> bytes) {
  if (!session_) return 0;
  Session& s = *session_;
  if (s.lost) return 0;  // already reported
  const std::size_t size = bytes.size();
  {
    std::unique_lock lock(s.writeLock);
    if (s.writeBuffer.empty()) {
      // Nothing waits before these bytes: hand them to the driver at once and
      // spare the request a thread switch; the write thread takes what is left.
      const auto written = s.device->writeNow(bytes);
      if (!written) {
        s.markLost();
        return 0;
      }
      if (*written == bytes.size()) return size;
      bytes = bytes.subspan(*written);
    }
    if (!s.roomFreed.wait_for(lock, writeTimeout_,
                              [&] { return s.writeBuffer.size() + bytes.size() <= kWriteSize; })) {
      throw SerialChannelError(kOutputFullMessage);
    }
    s.writeBuffer.insert(s.writeBuffer.end(), bytes.begin(), bytes.end());
  }
  s.writeQueued.notify_all();
  return size;
}

std::size_t SerialChannel::readBytes(std::span<std::uint8_t> buffer) {
  if (!session_) return 0;
  Session& s = *session_;
  std::lock_guard lock(s.readLock);
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + readTimeout_;
  std::size_t got = 0;
  while (got < buffer.size()) {
    const auto n = s.device->readAvailable(buffer.subspan(got));
    if (!n) {
      s.markLost();
      break;
    }
    got += *n;
    s.bytesRead += *n;
    if (got == buffer.size()) break;
    // Like a serial driver's read: wait for the first byte up to the time-out,
    // then end the read at the first pause in the stream.
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (got != 0) wait = std::min(wait, std::chrono::milliseconds(5));
    if (wait.count() <= 0 || !s.device->waitReadable(wait)) break;
  }
  return got;
}

std::size_t SerialChannel::receivedCount() {
  if (!session_) return 0;
  std::lock_guard lock(session_->readLock);
  return session_->device->bytesWaiting();
}

void SerialChannel::discardInput() {
  if (!session_) return;
  std::lock_guard lock(session_->readLock);
  session_->device->discardInput();
}

void SerialChannel::dispatchReceived(std::uint64_t generation, std::chrono::steady_clock::time_point seenAt) {
  if (!session_ || generation != generation_) return;
  arrivalTime_ = seenAt;
  try {
    const std::size_t count = receivedCount();
    if (count > 0 && onRxChar_) onRxChar_(*this, count);
  } catch (const std::exception& error) {
    if (onError_) onError_(*this, error.what());
  }
}

void SerialChannel::dispatchLost(std::uint64_t generation) {
  if (!session_ || generation != generation_) return;
  if (onError_) onError_(*this, "Specified device was disconnected (" + deviceName_ + ").");
}

}  // namespace kq
