#include "serial/serial_line.h"

#include <algorithm>
#include <array>

namespace kq {
namespace {
constexpr std::chrono::milliseconds kReadTimeout{500};
}

SerialLine::SerialLine(MainThread& mainThread) : channel_(mainThread) {
  channel_.setReadTimeout(kReadTimeout);
  channel_.setOnRxChar([this](SerialChannel&, std::size_t count) { readArrival(count); });
  channel_.setOnError([this](SerialChannel&, const std::string& message) { failed(message); });
}

void SerialLine::open(const std::string& portName) {
  channel_.setDeviceName(portName);
  channel_.openPort();
  try {
    channel_.setDtrLine(false);
  } catch (...) {
    channel_.closePort();
    throw;
  }
}

void SerialLine::close() { channel_.closePort(); }

void SerialLine::readArrival(std::size_t count) {
  const Clock::time_point arrivedAt = channel_.arrivalTime();
  std::array<std::uint8_t, kMaxChunk> buffer;
  while (count > 0 && channel_.isOpen()) {
    const std::size_t read = channel_.readBytes(std::span(buffer).first(std::min(count, buffer.size())));
    if (read == 0) return;
    received(std::span(buffer).first(read), arrivedAt);
    count -= std::min(read, count);
  }
}

}  // namespace kq
