#include "serial/serial_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <numeric>
#include <thread>

#include "serial/serial_error.h"
#include "tests/serial/peer.h"

namespace kq {
namespace {

using namespace std::chrono_literals;
using test::Peer;
using test::runLoopUntil;

class SerialLineTest : public ::testing::Test {
 protected:
  SerialLineTest() {
    line.setClosePause(0ms);
    line.setHandlers(
        [this](std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt) {
          EXPECT_LE(arrivedAt, Line::Clock::now());
          chunks.push_back(chunk.size());
          received.insert(received.end(), chunk.begin(), chunk.end());
        },
        [this](const std::string& message) { errors.push_back(message); });
  }

  // Counts the rests after each close of `l`, and holds each while restsHeld
  // is set; a stop (the line going away) ends it all the same.
  void countRests(SerialLine& l) {
    l.setCloseRest([this](std::stop_token stop) {
      ++restsBegun;
      while (restsHeld && !stop.stop_requested()) std::this_thread::yield();
      ++restsEnded;
    });
  }
  void waitForRests(int count) {
    while (restsBegun < count) std::this_thread::yield();
  }

  std::atomic<int> restsBegun{0};
  std::atomic<int> restsEnded{0};
  std::atomic<bool> restsHeld{false};
  Peer peer;
  test::CountingLoop loop;
  SerialLine line{loop};
  std::vector<std::size_t> chunks;
  std::vector<std::uint8_t> received;
  std::vector<std::string> errors;
  test::Watchdog watchdog{60s, "serial line test"};
};

std::vector<std::uint8_t> allByteValues(int times) {
  std::vector<std::uint8_t> bytes(256 * static_cast<std::size_t>(times));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

TEST_F(SerialLineTest, AllByteValuesPassUnchangedBothWays) {
  line.open(peer.path());
  const auto bytes = allByteValues(2);
  line.write(bytes);
  EXPECT_EQ(peer.read(bytes.size()), bytes);

  peer.write(bytes);
  ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() >= bytes.size(); }));
  EXPECT_EQ(received, bytes);
  EXPECT_TRUE(errors.empty());
}

TEST_F(SerialLineTest, LargeArrivalsAreHandedOnInChunksOfAtMost1024Bytes) {
  line.open(peer.path());
  // 3,000 bytes arrive while the main thread is busy, to be announced in one event.
  std::vector<std::uint8_t> burst(3000);
  std::iota(burst.begin(), burst.end(), 0);
  peer.write(burst);
  while (line.bytesWaiting() < burst.size()) std::this_thread::yield();
  ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() >= burst.size(); }));
  EXPECT_EQ(received, burst);
  EXPECT_GE(chunks.size(), 3u);
  for (std::size_t chunk : chunks) EXPECT_LE(chunk, Line::kMaxChunk);
}

TEST_F(SerialLineTest, BytesArrivingWhileMainThreadIsBusyComeAsOneChunk) {
  line.open(peer.path());
  peer.write({1, 2, 3});
  // The main thread does not run the loop: the event thread hands over and waits.
  while (loop.posted == 0) std::this_thread::yield();
  peer.write({4, 5, 6, 7, 8});
  while (line.bytesWaiting() < 8) std::this_thread::yield();
  ASSERT_TRUE(runLoopUntil(loop, [&] { return !chunks.empty(); }));
  EXPECT_EQ(chunks.front(), 8u);
  EXPECT_EQ(received, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(SerialLineTest, SecondOpenOfTheSameDeviceIsRefused) {
  countRests(line);
  line.open(peer.path());
  SerialLine second(loop);
  second.setClosePause(0ms);
  try {
    second.open(peer.path());
    FAIL() << "opened twice";
  } catch (const SerialError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Can't open specified device " + peer.path() +
                  " (Error 16, Device or resource busy).\nПорт занят другой программой: закройте её и "
                  "попробуйте снова.");
  }
  EXPECT_FALSE(second.isOpen());
  EXPECT_TRUE(line.isOpen());
  line.close();
  waitForRests(1);  // the rest comes after the device is let go
  second.open(peer.path());
  EXPECT_TRUE(second.isOpen());
}

TEST_F(SerialLineTest, ClosedPortIsOpenToOthersAgain) {
  countRests(line);
  line.open(peer.path());
  line.close();
  waitForRests(1);
  // A pseudo-terminal keeps its exclusive mark after the close unless it is taken off.
  const int fd = ::open(peer.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int exclusive = 1;
  EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(fd);
}

TEST_F(SerialLineTest, OpenFailuresNameTheDeviceAndLeaveTheLineClosed) {
  struct Case {
    std::string port;
    std::string message;  // empty: any
  };
  for (const Case& c : {Case{"/dev/kq-no-such-port", "Specified device not found (/dev/kq-no-such-port)."},
                        Case{"/dev/null", ""}}) {
    try {
      line.open(c.port);
      ADD_FAILURE() << "opened " << c.port;
    } catch (const SerialError& error) {
      if (!c.message.empty()) {
        EXPECT_EQ(error.what(), c.message);
      }
    }
    EXPECT_FALSE(line.isOpen()) << c.port;
  }
}

TEST_F(SerialLineTest, ClosedLineIgnoresWritesReadsAndCloses) {
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_NO_THROW(line.write(bytes));
  EXPECT_EQ(line.bytesWaiting(), 0u);
  line.discardInput();
  line.close();
  EXPECT_FALSE(line.isOpen());
}

TEST_F(SerialLineTest, OpeningAnOpenLineClosesThePortFirst) {
  line.open(peer.path());
  line.open(peer.path());
  EXPECT_TRUE(line.isOpen());
  peer.write({9});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() == 1; }));
}

TEST_F(SerialLineTest, WritesStayInOrder) {
  line.open(peer.path());
  std::vector<std::uint8_t> expected, arrived;
  for (int i = 0; i < 3000; ++i) {
    const std::vector<std::uint8_t> piece = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                             static_cast<std::uint8_t>(i * 7)};
    line.write(piece);
    expected.insert(expected.end(), piece.begin(), piece.end());
    // Keep the far end reading so that the write buffer never stays full.
    if (i % 300 == 299) {
      const auto part = peer.read(expected.size() - arrived.size());
      arrived.insert(arrived.end(), part.begin(), part.end());
    }
  }
  EXPECT_EQ(arrived, expected);
}

TEST_F(SerialLineTest, FullOutputWaitsForRoomThenReportsAndRecovers) {
  line.setWriteTimeout(50ms);
  line.open(peer.path());
  // Nobody reads: the terminal's queue fills, then the line's buffer.
  std::size_t sent = 0;
  const std::vector<std::uint8_t> piece(512, 0x5A);
  bool full = false;
  for (int i = 0; i < 10000 && !full; ++i) {
    try {
      line.write(piece);
      sent += piece.size();
    } catch (const SerialError& error) {
      EXPECT_STREQ(error.what(), "Output buffer is full. Please check comm status.");
      full = true;
    }
  }
  ASSERT_TRUE(full);
  // A full queue is no disconnect: everything accepted arrives once read.
  EXPECT_EQ(peer.read(sent).size(), sent);
  line.write(piece);
  EXPECT_EQ(peer.read(piece.size()).size(), piece.size());
  loop.runPending();
  EXPECT_TRUE(errors.empty());
}

TEST_F(SerialLineTest, HangUpIsReportedOnceAndCloseStillWorks) {
  line.open(peer.path());
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
  EXPECT_NO_THROW(line.write(bytes));
  line.close();
  EXPECT_FALSE(line.isOpen());
}

TEST_F(SerialLineTest, ExceptionInTheHandlerIsReportedAndDeliveryGoesOn) {
  line.setHandlers(
      [this](std::span<const std::uint8_t> chunk, Line::Clock::time_point) {
        received.insert(received.end(), chunk.begin(), chunk.end());
        throw SerialError("Read error (5), Input/output error");
      },
      [this](const std::string& message) { errors.push_back(message); });
  line.open(peer.path());
  peer.write({1});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return errors.size() == 1; }));
  peer.write({2});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return errors.size() == 2; }));
  EXPECT_EQ(errors[0], "Read error (5), Input/output error");
  EXPECT_EQ(received, (std::vector<std::uint8_t>{1, 2}));
}

// The port rests after a close on the line's own thread: here the rest lasts
// until the test lets it end, and the close has returned long before.
TEST_F(SerialLineTest, CloseReturnsWhileThePortStillRests) {
  countRests(line);
  restsHeld = true;
  line.open(peer.path());
  line.close();
  EXPECT_FALSE(line.isOpen());
  waitForRests(1);
  EXPECT_EQ(restsEnded, 0);
  // Meanwhile the line is closed to every call.
  const std::uint8_t bytes[] = {0x55};
  EXPECT_NO_THROW(line.write(bytes));
  EXPECT_EQ(line.bytesWaiting(), 0u);

  restsHeld = false;
  line.open(peer.path());  // the same port again, once it has rested
  EXPECT_EQ(restsEnded, 1);
  peer.write({7});
  ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() == 1; }));
}

TEST_F(SerialLineTest, DestroyingTheLineCutsTheRestShort) {
  restsHeld = true;
  {
    SerialLine other(loop);
    countRests(other);
    other.open(peer.path());
    other.close();
    waitForRests(1);
  }  // the line goes away: only the stop it requests can end the rest
  EXPECT_EQ(restsEnded, 1);
}

// A port closed and opened at once, again and again: each open finds the
// device let go by the close before it, never busy.
TEST_F(SerialLineTest, ReopeningRightAfterACloseFindsThePortFree) {
  for (int i = 0; i < 50; ++i) {
    line.open(peer.path());
    peer.write({static_cast<std::uint8_t>(i)});
    ASSERT_TRUE(runLoopUntil(loop, [&] { return received.size() == static_cast<std::size_t>(i + 1); }));
    line.close();
  }
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace kq
