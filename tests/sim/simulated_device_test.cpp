#include "sim/simulated_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

namespace kq::sim {
namespace {

using namespace std::chrono_literals;

// The program's side of the line, opened raw like the serial channel does.
class Line {
 public:
  explicit Line(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    termios settings{};
    ::tcgetattr(fd_, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd_, TCSANOW, &settings);
    ::tcflush(fd_, TCIOFLUSH);
  }
  ~Line() { ::close(fd_); }

  void write(std::vector<std::uint8_t> bytes) {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }

  // Reads until `count` bytes came, the line dropped or a generous limit passed.
  std::vector<std::uint8_t> read(std::size_t count, std::chrono::milliseconds limit = 10s) {
    std::vector<std::uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd fd{fd_, POLLIN, 0};
      if (::poll(&fd, 1, 20) <= 0) continue;
      std::uint8_t buffer[512];
      const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
      if (n > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        dropped = true;
        break;
      }
    }
    return bytes;
  }

  bool dropped = false;

 private:
  int fd_;
};

Memory countingMemory() {
  Memory memory(kBlockCount);
  for (std::size_t j = 0; j < memory.size(); ++j)
    for (std::size_t k = 0; k < kBlockSize; ++k) memory[j][k] = static_cast<std::uint8_t>(j + k);
  return memory;
}

std::vector<std::uint8_t> expectedReply(const Memory& memory, int block) {
  const Block& data = memory[static_cast<std::size_t>(block - kFirstBlock)];
  std::vector<std::uint8_t> reply(1 + kBlockSize, 0x77);
  std::copy(data.begin(), data.end(), reply.begin() + 1);
  return reply;
}

class SimulatedDeviceTest : public ::testing::Test {
 protected:
  void start(DeviceOptions options) {
    options.baud = 0;
    device = std::make_unique<SimulatedDevice>(memory, options);
    line = std::make_unique<Line>(device->devicePath());
    device->start();
  }
  void link() {
    ASSERT_EQ(line->read(1), std::vector<std::uint8_t>{0x55});
    line->write({0x55, 0x33, 0xCC});
    // Syncs already on their way may come before the confirmation.
    std::vector<std::uint8_t> answer;
    do answer = line->read(1);
    while (answer == std::vector<std::uint8_t>{0x55});
    ASSERT_EQ(answer, std::vector<std::uint8_t>{0xAA});
  }
  std::vector<std::uint8_t> request(int block) {
    line->write({0x77, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)});
    return line->read(259, 500ms);
  }

  Memory memory = countingMemory();
  std::unique_ptr<SimulatedDevice> device;
  std::unique_ptr<Line> line;
};

TEST_F(SimulatedDeviceTest, SyncsUntilAnsweredThenServesBlocks) {
  start({});
  EXPECT_EQ(line->read(2), (std::vector<std::uint8_t>{0x55, 0x55}));
  link();
  EXPECT_EQ(request(0x0100), expectedReply(memory, 0x0100));
  EXPECT_EQ(request(0x0FFF), expectedReply(memory, 0x0FFF));
  std::vector<std::uint8_t> outside(259, 0xFF);
  outside[0] = 0x77;
  EXPECT_EQ(request(0x1000), outside);
  EXPECT_EQ(device->requests(), (std::vector<int>{0x0100, 0x0FFF, 0x1000}));
}

TEST_F(SimulatedDeviceTest, RequestSplitAcrossWritesIsUnderstood) {
  start({});
  link();
  line->write({0x77, 0x02});
  line->write({0x05});
  EXPECT_EQ(line->read(259), expectedReply(memory, 0x0205));
}

TEST_F(SimulatedDeviceTest, DropsAndGarbageFollowTheirCounts) {
  start({.dropEvery = 2, .garbageEvery = 3});
  link();
  EXPECT_EQ(request(0x0100), expectedReply(memory, 0x0100));  // 1
  EXPECT_TRUE(request(0x0101).empty());                       // 2: dropped
  const auto garbage = request(0x0101);                       // 3: random bytes
  ASSERT_EQ(garbage.size(), 259u);
  EXPECT_NE(garbage, expectedReply(memory, 0x0101));
  EXPECT_TRUE(request(0x0102).empty());  // 4: dropped
  EXPECT_EQ(request(0x0102), expectedReply(memory, 0x0102));
}

TEST_F(SimulatedDeviceTest, HangsUpAfterTheGivenNumberOfReplies) {
  start({.hangupAfter = 2});
  link();
  EXPECT_EQ(request(0x0100).size(), 259u);
  EXPECT_EQ(request(0x0101).size(), 259u);
  line->read(1, 5s);
  EXPECT_TRUE(line->dropped);
  EXPECT_TRUE(device->hungUp());
}

TEST(SimulatedDevicePacingTest, PacedReplyArrivesWhole) {
  for (const DeviceOptions& options :
       {DeviceOptions{.baud = 9600}, DeviceOptions{.baud = 38400, .usbPacket = 62, .usbLatency = 16ms}}) {
    SimulatedDevice device(countingMemory(), options);
    Line line(device.devicePath());
    device.start();
    line.write({0x77, 0x01, 0x00});
    // Sync bytes sent before the request came may precede the reply.
    std::vector<std::uint8_t> first;
    do first = line.read(1, 20s);
    while (first == std::vector<std::uint8_t>{0x55});
    ASSERT_EQ(first, std::vector<std::uint8_t>{0x77});
    const auto reply = expectedReply(countingMemory(), 0x0100);
    EXPECT_EQ(line.read(258, 20s), std::vector<std::uint8_t>(reply.begin() + 1, reply.end()));
    device.stop();
    EXPECT_EQ(device.replyTimes().size(), 1u);
  }
}

}  // namespace
}  // namespace kq::sim
