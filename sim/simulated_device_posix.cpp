#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "dump/protocol_bytes.h"
#include "sim/simulated_device.h"
#include "sim/usb_adapter.h"

namespace kq::sim {
namespace {

using namespace std::chrono_literals;

using protocol::kRequestBytes;
using protocol::kSyncAnswer;
constexpr auto kSyncInterval = 100ms;
constexpr auto kIdleBeforeResync = 1s;
// Lets the program read the last reply before the line drops.
constexpr auto kHangupDelay = 200ms;

timespec toTimespec(std::chrono::nanoseconds d) {
  d = std::max(d, 0ns);
  return {static_cast<time_t>(d.count() / 1'000'000'000), static_cast<long>(d.count() % 1'000'000'000)};
}

}  // namespace

SimulatedDevice::SimulatedDevice(Memory memory, DeviceOptions options)
    : memory_(std::move(memory)), options_(options) {
  memory_.resize(kBlockCount, [] {
    Block empty;
    empty.fill(0xFF);
    return empty;
  }());
  wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

SimulatedDevice::~SimulatedDevice() {
  stop();
  ::close(wakeFd_);
}

void SimulatedDevice::start() {
  thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

void SimulatedDevice::stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
}

std::vector<int> SimulatedDevice::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

int SimulatedDevice::replies() const {
  std::lock_guard lock(mutex_);
  return replies_;
}

std::vector<std::chrono::nanoseconds> SimulatedDevice::turnarounds() const {
  std::lock_guard lock(mutex_);
  return turnarounds_;
}

std::vector<std::chrono::nanoseconds> SimulatedDevice::replyTimes() const {
  std::lock_guard lock(mutex_);
  return replyTimes_;
}

bool SimulatedDevice::hungUp() const {
  std::lock_guard lock(mutex_);
  return hungUp_;
}

void SimulatedDevice::run(std::stop_token stop) {
  stop_ = stop;
  // Wake-ups on time rather than up to the default 50 µs late.
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  std::stop_callback wake(stop, [this] {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
  });

  auto nextSync = Clock::now();
  auto lastInput = Clock::now();
  while (!stop.stop_requested() && terminal_.fd() >= 0) {
    auto now = Clock::now();
    if (linked_ && now - lastInput > kIdleBeforeResync) {
      linked_ = false;
      nextSync = now;
    }
    if (!linked_ && now >= nextSync) {
      // Nobody may be listening yet: a sync byte that finds the line full is dropped.
      const std::uint8_t sync = protocol::kSyncByte;
      if (options_.baud > 0) sleepUntil(std::max(lineFree_, now) + 10s / options_.baud);
      [[maybe_unused]] const auto n = ::write(terminal_.fd(), &sync, 1);
      lineFree_ = Clock::now();
      nextSync = now + kSyncInterval;
    }
    const auto until = linked_ ? lastInput + kIdleBeforeResync : nextSync;
    pollfd fds[2] = {{terminal_.fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const timespec timeout = toTimespec(until - Clock::now());
    if (::ppoll(fds, 2, &timeout, nullptr) <= 0) continue;
    if ((fds[0].revents & POLLIN) == 0) continue;

    std::uint8_t buffer[4096];
    const ssize_t n = ::read(terminal_.fd(), buffer, sizeof buffer);
    if (n <= 0) continue;
    lastInput = Clock::now();
    input_.insert(input_.end(), buffer, buffer + n);
    const bool wasLinked = linked_;
    handleInput(lastInput);
    // A restarted boot loader is quiet for a sync interval first, so its sync byte never runs into
    // the tail of its last reply, however late the reader is.
    if (wasLinked && !linked_) nextSync = Clock::now() + kSyncInterval;
  }
}

void SimulatedDevice::handleInput(Clock::time_point receivedAt) {
  std::size_t pos = 0;
  while (pos < input_.size() && terminal_.fd() >= 0 && !stop_.stop_requested()) {
    const std::size_t left = input_.size() - pos;
    const std::uint8_t first = input_[pos];
    if (first != protocol::kRequestCode && first != kSyncAnswer[0]) {
      ++pos;
      continue;
    }
    if (left < static_cast<std::size_t>(kRequestBytes)) break;  // the rest is on its way
    if (first == protocol::kRequestCode) {
      if (!restarted_) answer(input_[pos + 1] << 8 | input_[pos + 2], receivedAt);
      pos += kRequestBytes;
    } else if (std::equal(kSyncAnswer.begin(), kSyncAnswer.end(), input_.begin() + pos)) {
      linked_ = true;
      restarted_ = false;
      sendPaced(std::span<const std::uint8_t>(&protocol::kLinkConfirmation, 1), receivedAt, kRequestBytes);
      pos += kRequestBytes;
    } else {
      ++pos;
    }
  }
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(std::min(pos, input_.size())));
}

void SimulatedDevice::answer(int block, Clock::time_point receivedAt) {
  linked_ = true;
  int count;
  {
    std::lock_guard lock(mutex_);
    if (replyEnd_) turnarounds_.push_back(receivedAt - *replyEnd_);
    replyEnd_.reset();
    requests_.push_back(block);
    count = static_cast<int>(requests_.size());
  }
  if (options_.dropEvery > 0 && count % options_.dropEvery == 0) return;

  std::vector<std::uint8_t> reply(protocol::kReplyBytes, 0xFF);
  reply[0] = protocol::kRequestCode;
  if (block >= kFirstBlock && block <= kLastBlock) {
    const Block& data = memory_[static_cast<std::size_t>(block - kFirstBlock)];
    std::copy(data.begin(), data.end(), reply.begin() + 1);
  }
  if (options_.garbageEvery > 0 && count % options_.garbageEvery == 0) {
    for (std::size_t i = 1; i < reply.size(); ++i) {
      garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
      reply[i] = static_cast<std::uint8_t>(garbageSeed_ >> 16);
    }
  }
  // The reply starts `latency` after the request has crossed the line.
  if (options_.baud <= 0 && options_.latency.count() > 0) sleepUntil(receivedAt + options_.latency);
  sendPaced(reply, receivedAt + options_.latency, kRequestBytes);
  {
    std::lock_guard lock(mutex_);
    replyEnd_ = Clock::now();
    replyTimes_.push_back(*replyEnd_ - receivedAt);
  }
  if (options_.strayBytes > 0) {
    std::vector<std::uint8_t> stray(static_cast<std::size_t>(options_.strayBytes));
    for (auto& byte : stray) {
      garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
      byte = static_cast<std::uint8_t>(garbageSeed_ >> 16);
    }
    if (options_.baud <= 0) sleepUntil(Clock::now() + options_.strayDelay);
    sendPaced(stray, std::max(lineFree_, Clock::now()) + options_.strayDelay, 0);
  }

  bool hangUp;
  {
    std::lock_guard lock(mutex_);
    ++replies_;
    if (options_.restartAfter > 0 && replies_ % options_.restartAfter == 0) {
      // Back to the boot loader's start: sync bytes until answered.
      linked_ = false;
      restarted_ = true;
    }
    hangUp = options_.hangupAfter > 0 && replies_ >= options_.hangupAfter;
    if (!hangUp) return;
  }
  sleepUntil(Clock::now() + kHangupDelay);
  {
    // Marked first: whoever sees the line drop also sees the mark.
    std::lock_guard lock(mutex_);
    hungUp_ = true;
  }
  terminal_.hangUp();
}

void SimulatedDevice::sendPaced(std::span<const std::uint8_t> bytes, Clock::time_point since, int heldBytes) {
  const auto byteTime =
      options_.baud <= 0
          ? Clock::duration::zero()
          : std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / options_.baud));
  if (options_.usbPacket > 0) {
    lineFree_ = std::max({lineFree_, since + heldBytes * byteTime, Clock::now()});
    return sendThroughAdapter(bytes, byteTime);
  }
  if (options_.baud <= 0) {
    writeAll(bytes);
    return;
  }
  lineFree_ = std::max(lineFree_, since + heldBytes * byteTime);
  // About a millisecond of line time per write, as a driver would hand bytes on.
  const std::size_t chunk = std::max<std::size_t>(1, static_cast<std::size_t>(options_.baud / 10000));
  for (std::size_t pos = 0; pos < bytes.size() && !stop_.stop_requested(); pos += chunk) {
    const auto piece = bytes.subspan(pos, std::min(chunk, bytes.size() - pos));
    // A byte is there when its last bit has passed.
    lineFree_ += static_cast<long>(piece.size()) * byteTime;
    sleepUntil(lineFree_);
    if (!writeAll(piece)) return;
  }
}

void SimulatedDevice::sendThroughAdapter(std::span<const std::uint8_t> bytes, Clock::duration byteTime) {
  std::vector<Clock::time_point> crossed(bytes.size());
  for (auto& at : crossed) at = lineFree_ += byteTime;
  std::size_t pos = 0;
  for (const HandOver& handOver :
       usbHandOvers(crossed, static_cast<std::size_t>(options_.usbPacket), options_.usbLatency)) {
    sleepUntil(handOver.at);
    if (stop_.stop_requested() || !writeAll(bytes.subspan(pos, handOver.bytes))) return;
    pos += handOver.bytes;
  }
}

bool SimulatedDevice::writeAll(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty() && terminal_.fd() >= 0 && !stop_.stop_requested()) {
    const ssize_t n = ::write(terminal_.fd(), bytes.data(), bytes.size());
    if (n > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(n));
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      pollfd fds[2] = {{terminal_.fd(), POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
      ::poll(fds, 2, -1);
    }
  }
  return bytes.empty();
}

void SimulatedDevice::sleepUntil(Clock::time_point when) {
  // Sleeps without spinning: a thread that spins loses its turn to the other
  // programs of a busy machine for tens of milliseconds, and a real line
  // never pauses like that. Bytes go out about a millisecond of line time a
  // write, so the wake-up's precision is plenty.
  while (!stop_.stop_requested()) {
    const auto left = when - Clock::now();
    if (left <= 0ns) return;
    pollfd fd{wakeFd_, POLLIN, 0};
    const timespec timeout = toTimespec(left);
    ::ppoll(&fd, 1, &timeout, nullptr);
  }
}

}  // namespace kq::sim
