// Closing the port on the main thread while the event thread waits for the
// main thread: no deadlock, and no event of the closed port afterwards.
#include <gtest/gtest.h>

#include "serial/serial_channel.h"
#include "tests/serial/channel_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;
using test::Peer;

class CloseHazardTest : public ::testing::Test {
 protected:
  CloseHazardTest() {
    channel->setClosePause(0ms);
    channel->setDeviceName(peer.path());
    channel->setOnRxChar([this](SerialChannel& sender, std::size_t count) {
      ++delivered;
      std::vector<std::uint8_t> buffer(count);
      sender.readBytes(buffer);
    });
  }

  // Opens, lets a byte arrive and waits until its event is handed to the
  // main thread, which is busy here and does not take it.
  void openWithWaitingEvent(std::uint8_t value) {
    const int before = loop.posted;
    channel->openPort();
    peer.write({value});
    while (loop.posted == before) std::this_thread::yield();
  }

  Peer peer;
  test::CountingLoop loop;
  std::unique_ptr<SerialChannel> channel = std::make_unique<SerialChannel>(loop);
  int delivered = 0;
  test::Watchdog watchdog{120s, "close while an event waits"};
};

TEST_F(CloseHazardTest, CloseWhileEventWaitsDeliversNothing) {
  for (int i = 0; i < 200; ++i) {
    openWithWaitingEvent(static_cast<std::uint8_t>(i));
    channel->closePort();
    loop.runPending();
    ASSERT_EQ(delivered, 0) << "round " << i;
  }
}

TEST_F(CloseHazardTest, EventOfAnEarlierOpeningIsNotDeliveredAfterReopening) {
  for (int i = 0; i < 100; ++i) {
    openWithWaitingEvent(1);
    channel->closePort();
    channel->openPort();
    loop.runPending();
    ASSERT_EQ(delivered, 0) << "round " << i;
    channel->closePort();
  }
  // The channel still delivers on a fresh opening.
  channel->openPort();
  peer.write({2});
  ASSERT_TRUE(test::runLoopUntil(loop, [&] { return delivered == 1; }));
}

TEST_F(CloseHazardTest, CloseRacingArrivals) {
  // No wait for the hand-over: the close meets the event thread anywhere.
  for (int i = 0; i < 300; ++i) {
    channel->openPort();
    peer.write({static_cast<std::uint8_t>(i), 0x55});
    if (i % 3 == 0) loop.runPending();
    const int before = delivered;
    channel->closePort();
    loop.runPending();
    ASSERT_EQ(delivered, before) << "round " << i;
  }
}

TEST_F(CloseHazardTest, CloseFromInsideTheHandler) {
  channel->setOnRxChar([this](SerialChannel& sender, std::size_t) {
    ++delivered;
    sender.closePort();
  });
  for (int i = 0; i < 100; ++i) {
    channel->openPort();
    peer.write({7});
    ASSERT_TRUE(test::runLoopUntil(loop, [&] { return !channel->isOpen(); }));
  }
  EXPECT_EQ(delivered, 100);
}

TEST_F(CloseHazardTest, DestroyingTheChannelWhileEventWaits) {
  for (int i = 0; i < 50; ++i) {
    openWithWaitingEvent(3);
    channel.reset();
    loop.runPending();
    channel = std::make_unique<SerialChannel>(loop);
    channel->setClosePause(0ms);
    channel->setDeviceName(peer.path());
  }
  EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace kq
