#include "sim/usb_adapter.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kq::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kByteTime = std::chrono::nanoseconds(260'417);  // 38,400 baud

// `count` bytes crossing the wire back to back from time zero, or all at once.
std::vector<Clock::time_point> crossings(std::size_t count, Clock::duration byteTime) {
  std::vector<Clock::time_point> crossed(count);
  for (std::size_t i = 0; i < count; ++i)
    crossed[i] = Clock::time_point{} + static_cast<long>(i + 1) * byteTime;
  return crossed;
}

TEST(UsbAdapterTest, FullPacketsGoAtOnceAndTheTailWhenTheTimerRunsOut) {
  const auto crossed = crossings(259, kByteTime);
  const auto handOvers = usbHandOvers(crossed, 62, 16ms);
  ASSERT_EQ(handOvers.size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(handOvers[i].bytes, 62u);
    EXPECT_EQ(handOvers[i].at, crossed[62 * i + 61]);
  }
  EXPECT_EQ(handOvers[4].bytes, 11u);
  EXPECT_EQ(handOvers[4].at, crossed[248] + 16ms);
}

TEST(UsbAdapterTest, EveryByteIsHandedOverOnceNeverBeforeItCrossedNorAfterTheTimer) {
  struct Case {
    std::size_t packet;
    Clock::duration latency;
    Clock::duration byteTime;
  };
  const Case cases[] = {
      {62, 16ms, kByteTime}, {62, 1ms, kByteTime}, {32, 2ms, kByteTime},
      {64, 4ms, kByteTime},  {62, 16ms, 0ns},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.packet << " bytes, " << c.latency.count() << " ns");
    const auto crossed = crossings(259, c.byteTime);
    const auto handOvers = usbHandOvers(crossed, c.packet, c.latency);
    std::size_t first = 0;
    for (const HandOver& h : handOvers) {
      ASSERT_GE(h.bytes, 1u);
      ASSERT_LE(h.bytes, c.packet);
      EXPECT_GE(h.at, crossed[first + h.bytes - 1]);
      EXPECT_LE(h.at, crossed[first] + c.latency);
      first += h.bytes;
    }
    EXPECT_EQ(first, crossed.size());
  }
}

}  // namespace
}  // namespace kq::sim
