// Closing the port on the main thread while the event thread waits for the
// main thread: no deadlock, and no event of the closed port afterwards.
#include <gtest/gtest.h>

#include "serial/serial_line.h"
#include "tests/serial/peer.h"

namespace kq {
namespace {

using namespace std::chrono_literals;
using test::Peer;

class CloseHazardTest : public ::testing::Test {
 protected:
  CloseHazardTest() { prepare(*line); }

  void prepare(SerialLine& l) {
    l.setClosePause(0ms);
    l.setHandlers([this](std::span<const std::uint8_t>, Line::Clock::time_point) { ++delivered; },
                  [](const std::string& message) { ADD_FAILURE() << message; });
  }

  // Opens, lets a byte arrive and waits until its event is handed to the
  // main thread, which is busy here and does not take it.
  void openWithWaitingEvent(std::uint8_t value) {
    const int before = loop.posted;
    line->open(peer.path());
    peer.write({value});
    while (loop.posted == before) std::this_thread::yield();
  }

  Peer peer;
  test::CountingLoop loop;
  std::unique_ptr<SerialLine> line = std::make_unique<SerialLine>(loop);
  int delivered = 0;
  test::Watchdog watchdog{120s, "close while an event waits"};
};

TEST_F(CloseHazardTest, CloseWhileEventWaitsDeliversNothing) {
  for (int i = 0; i < 200; ++i) {
    openWithWaitingEvent(static_cast<std::uint8_t>(i));
    line->close();
    loop.runPending();
    ASSERT_EQ(delivered, 0) << "round " << i;
  }
}

TEST_F(CloseHazardTest, EventOfAnEarlierOpeningIsNotDeliveredAfterReopening) {
  for (int i = 0; i < 100; ++i) {
    openWithWaitingEvent(1);
    line->close();
    line->open(peer.path());
    loop.runPending();
    ASSERT_EQ(delivered, 0) << "round " << i;
    line->close();
  }
  // The line still delivers on a fresh opening.
  line->open(peer.path());
  peer.write({2});
  ASSERT_TRUE(test::runLoopUntil(loop, [&] { return delivered == 1; }));
}

TEST_F(CloseHazardTest, CloseRacingArrivals) {
  // No wait for the hand-over: the close meets the event thread anywhere.
  for (int i = 0; i < 300; ++i) {
    line->open(peer.path());
    peer.write({static_cast<std::uint8_t>(i), 0x55});
    if (i % 3 == 0) loop.runPending();
    const int before = delivered;
    line->close();
    loop.runPending();
    ASSERT_EQ(delivered, before) << "round " << i;
  }
}

TEST_F(CloseHazardTest, CloseFromInsideTheHandler) {
  line->setHandlers(
      [this](std::span<const std::uint8_t>, Line::Clock::time_point) {
        ++delivered;
        line->close();
      },
      [](const std::string& message) { ADD_FAILURE() << message; });
  for (int i = 0; i < 100; ++i) {
    line->open(peer.path());
    peer.write({7});
    ASSERT_TRUE(test::runLoopUntil(loop, [&] { return !line->isOpen(); }));
  }
  EXPECT_EQ(delivered, 100);
}

TEST_F(CloseHazardTest, DestroyingTheLineWhileEventWaits) {
  for (int i = 0; i < 50; ++i) {
    openWithWaitingEvent(3);
    line.reset();
    loop.runPending();
    line = std::make_unique<SerialLine>(loop);
    prepare(*line);
  }
  EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace kq
