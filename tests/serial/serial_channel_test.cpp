#include "serial/serial_channel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <numeric>

#include "tests/serial/channel_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;
using test::Peer;
using test::runLoopUntil;

class SerialChannelTest : public ::testing::Test {
 protected:
  SerialChannelTest() {
    channel.setClosePause(0ms);
    channel.setDeviceName(peer.path());
    channel.setOnRxChar([this](SerialChannel& sender, std::size_t count) {
      counts.push_back(count);
      std::vector<std::uint8_t> buffer(count);
      const std::size_t n = sender.readBytes(buffer);
      received.insert(received.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    });
    channel.setOnError([this](SerialChannel&, const std::string& message) { errors.push_back(message); });
  }

  Peer peer;
  test::CountingLoop loop;
  SerialChannel channel{loop};
  std::vector<std::size_t> counts;
  std::vector<std::uint8_t> received;
  std::vector<std::string> errors;
  test::Watchdog watchdog{60s, "serial channel test"};
};

std::vector<std::uint8_t> allByteValues(int times) {
  std::vector<std::uint8_t> bytes(256 * static_cast<std::size_t>(times));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

TEST_F(SerialChannelTest, AllByteValuesPassUnchangedBothWays) {
  channel.openPort();
  channel.setDtrLine(false);
  const auto bytes = allByteValues(2);
  EXPECT_EQ(channel.writeBytes(bytes), bytes.size());
  EXPECT_EQ(peer.read(bytes.size()), bytes);

  peer.write(bytes);
  ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() >= bytes.size(); }));
  EXPECT_EQ(received, bytes);
  EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), std::size_t{0}), bytes.size());
}

TEST_F(SerialChannelTest, SecondOpenOfTheSameDeviceIsRefused) {
  channel.openPort();
  SerialChannel second(loop);
  second.setClosePause(0ms);
  second.setDeviceName(peer.path());
  try {
    second.openPort();
    FAIL() << "opened twice";
  } catch (const SerialChannelError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Can't open specified device " + peer.path() +
                  " (Error 16, Device or resource busy).\nПорт занят другой программой: закройте её и "
                  "попробуйте снова.");
  }
  EXPECT_FALSE(second.isOpen());
  EXPECT_TRUE(channel.isOpen());
  channel.closePort();
  second.openPort();  // free again once closed
  EXPECT_TRUE(second.isOpen());
}

TEST_F(SerialChannelTest, ClosedPortIsOpenToOthersAgain) {
  channel.openPort();
  channel.closePort();
  // A pseudo-terminal keeps its exclusive mark after the close unless it is taken off.
  const int fd = ::open(peer.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int exclusive = 1;
  EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(fd);
}

TEST_F(SerialChannelTest, MissingDeviceIsNamedInTheMessage) {
  channel.setDeviceName("/dev/kq-no-such-port");
  try {
    channel.openPort();
    FAIL() << "opened a missing device";
  } catch (const SerialChannelError& error) {
    EXPECT_STREQ(error.what(), "Specified device not found (/dev/kq-no-such-port).");
  }
  EXPECT_FALSE(channel.isOpen());
}

TEST_F(SerialChannelTest, NonTerminalDeviceIsRefused) {
  channel.setDeviceName("/dev/null");
  EXPECT_THROW(channel.openPort(), SerialChannelError);
  EXPECT_FALSE(channel.isOpen());
}

TEST_F(SerialChannelTest, OperationsWhileOpenOrClosed) {
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(channel.writeBytes(bytes), 0u);
  std::uint8_t buffer[4];
  EXPECT_EQ(channel.readBytes(buffer), 0u);
  EXPECT_EQ(channel.receivedCount(), 0u);
  channel.closePort();
  channel.setDtrLine(true);

  channel.openPort();
  EXPECT_THROW(
      {
        try {
          channel.openPort();
        } catch (const SerialChannelError& error) {
          EXPECT_STREQ(error.what(), "Can't perform this operation while port is open");
          throw;
        }
      },
      SerialChannelError);
  EXPECT_THROW(channel.setDeviceName("COM2"), SerialChannelError);
  EXPECT_EQ(channel.deviceName(), peer.path());
}

TEST_F(SerialChannelTest, WritesStayInOrder) {
  channel.openPort();
  std::vector<std::uint8_t> expected, arrived;
  for (int i = 0; i < 3000; ++i) {
    const std::vector<std::uint8_t> piece = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                             static_cast<std::uint8_t>(i * 7)};
    EXPECT_EQ(channel.writeBytes(piece), 3u);
    expected.insert(expected.end(), piece.begin(), piece.end());
    // Keep the far end reading so that the write buffer never stays full.
    if (i % 300 == 299) {
      const auto part = peer.read(expected.size() - arrived.size());
      arrived.insert(arrived.end(), part.begin(), part.end());
    }
  }
  EXPECT_EQ(arrived, expected);
}

TEST_F(SerialChannelTest, BytesArrivingWhileMainThreadIsBusyComeAsOneEvent) {
  channel.openPort();
  peer.write({1, 2, 3});
  // The main thread does not run the loop: the event thread hands over and waits.
  while (loop.posted == 0) std::this_thread::yield();
  peer.write({4, 5, 6, 7, 8});
  while (channel.receivedCount() < 8) std::this_thread::yield();
  ASSERT_TRUE(runLoopUntil(loop, [&] { return !counts.empty(); }));
  EXPECT_EQ(counts.front(), 8u);
  EXPECT_EQ(received, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(SerialChannelTest, FullOutputWaitsForRoomThenReportsAndRecovers) {
  channel.setWriteTimeout(50ms);
  channel.openPort();
  // Nobody reads: the terminal's queue fills, then the channel's buffer.
  std::vector<std::uint8_t> sent;
  const std::vector<std::uint8_t> piece(512, 0x5A);
  bool full = false;
  for (int i = 0; i < 10000 && !full; ++i) {
    try {
      channel.writeBytes(piece);
      sent.insert(sent.end(), piece.begin(), piece.end());
    } catch (const SerialChannelError& error) {
      EXPECT_STREQ(error.what(), "Output buffer is full. Please check comm status.");
      full = true;
    }
  }
  ASSERT_TRUE(full);
  // A full queue is no disconnect: everything accepted arrives once read.
  EXPECT_EQ(peer.read(sent.size()).size(), sent.size());
  EXPECT_EQ(channel.writeBytes(piece), piece.size());
  EXPECT_EQ(peer.read(piece.size()).size(), piece.size());
  loop.runPending();
  EXPECT_TRUE(errors.empty());
}

TEST_F(SerialChannelTest, HangUpIsReportedOnceAndCloseStillWorks) {
  channel.openPort();
  peer.write({0x55});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() == 1; }));
  peer.hangUp();
  ASSERT_TRUE(runLoopUntil(loop, [&] { return !errors.empty(); }));
  // Give a busy loop or a second report every chance to show.
  loop.runUntil(std::chrono::steady_clock::now() + 300ms);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Specified device was disconnected (" + peer.path() + ").");
  EXPECT_LE(loop.posted.load(), 3);
  const std::uint8_t bytes[] = {0x77, 0x01, 0x00};
  EXPECT_NO_THROW(channel.writeBytes(bytes));
  std::uint8_t buffer[8];
  EXPECT_EQ(channel.readBytes(buffer), 0u);
  channel.closePort();
  EXPECT_FALSE(channel.isOpen());
}

TEST_F(SerialChannelTest, ExceptionInTheHandlerIsReportedAndDeliveryGoesOn) {
  channel.setOnRxChar([this](SerialChannel& sender, std::size_t count) {
    std::vector<std::uint8_t> buffer(count);
    received.resize(received.size() + sender.readBytes(buffer));
    throw SerialChannelError("Read error (5), Input/output error");
  });
  channel.openPort();
  peer.write({1});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return errors.size() == 1; }));
  peer.write({2});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return errors.size() == 2; }));
  EXPECT_EQ(errors[0], "Read error (5), Input/output error");
  EXPECT_EQ(received.size(), 2u);
}

}  // namespace
}  // namespace kq
