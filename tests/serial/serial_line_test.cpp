#include "serial/serial_line.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

#include "tests/serial/channel_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

TEST(SerialLineTest, LargeArrivalsAreHandedOnInChunksOfAtMost1024Bytes) {
  test::Peer peer;
  TaskLoop loop;
  SerialLine line(loop);
  line.setClosePause(0ms);
  std::vector<std::size_t> chunks;
  std::vector<std::uint8_t> received;
  line.setHandlers(
      [&](std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt) {
        EXPECT_LE(arrivedAt, Line::Clock::now());
        chunks.push_back(chunk.size());
        received.insert(received.end(), chunk.begin(), chunk.end());
      },
      [](const std::string& message) { ADD_FAILURE() << message; });
  test::Watchdog watchdog(60s, "serial line");
  line.open(peer.path());

  // 3,000 bytes arrive while the main thread is busy, to be announced in one event.
  std::vector<std::uint8_t> burst(3000);
  std::iota(burst.begin(), burst.end(), 0);
  peer.write(burst);
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(test::runLoopUntil(loop, [&] { return received.size() >= burst.size(); }));
  EXPECT_EQ(received, burst);
  EXPECT_GE(chunks.size(), 3u);
  for (std::size_t chunk : chunks) EXPECT_LE(chunk, Line::kMaxChunk);
}

}  // namespace
}  // namespace kq
