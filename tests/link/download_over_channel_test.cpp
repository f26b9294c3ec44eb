// The download session, the serial channel and its threads, and the simulated
// device on a pseudo-terminal together. Paced cases stop after a few dozen
// blocks; they hold on a busy machine because only the session's own
// judgement of the line decides, never a sleep.
#include <gtest/gtest.h>

#include "link/download_session.h"
#include "serial/serial_line.h"
#include "sim/simulated_device.h"
#include "tests/link/recording_observer.h"
#include "tests/serial/peer.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

// Starts the download as soon as the device has linked.
struct StartingObserver : test::RecordingObserver {
  DownloadSession* session = nullptr;
  void linked() override {
    test::RecordingObserver::linked();
    session->startDownload();
  }
};

class DownloadOverChannelTest : public ::testing::Test {
 protected:
  void start(sim::DeviceOptions options, SessionTiming timing = {}) {
    session.reset();  // its end lets go of the line
    device = std::make_unique<sim::SimulatedDevice>(memory, options);
    device->start();
    line.setClosePause(0ms);
    session = std::make_unique<DownloadSession>(line, loop, observer, timing);
    observer.session = session.get();
    session->link(device->devicePath());
  }

  // Runs until `lines` lines are in (then closes the port) or the download ends.
  void runFor(std::size_t lines) {
    ASSERT_TRUE(test::runLoopUntil(
        loop, [&] { return observer.ended() || observer.lines.size() >= lines; }, 200s));
    session->unlink();
  }

  void expectExactLines() {
    const auto expected = sim::memoryDumpLines(memory);
    ASSERT_LE(observer.lines.size(), expected.size());
    for (std::size_t i = 0; i < observer.lines.size(); ++i)
      ASSERT_EQ(observer.lines[i], expected[i]) << "line " << i;
  }

  sim::Memory memory = sim::syntheticMemory(7, 5000);
  std::unique_ptr<sim::SimulatedDevice> device;
  TaskLoop loop;
  SerialLine line{loop};
  StartingObserver observer;
  std::unique_ptr<DownloadSession> session;
  test::Watchdog watchdog{240s, "download over the channel"};
};

TEST_F(DownloadOverChannelTest, FullDownloadEqualsTheDeviceMemory) {
  start({.baud = 0});
  runFor(layout::kBlockCount);
  ASSERT_TRUE(observer.done) << observer.summary();
  EXPECT_EQ(observer.lines, sim::memoryDumpLines(memory));
}

class PacedLineTest : public DownloadOverChannelTest, public ::testing::WithParamInterface<int> {};

TEST_P(PacedLineTest, LateRepliesAtLineSpeedStayExact) {
  start({.baud = 38400, .latency = std::chrono::milliseconds(GetParam())});
  runFor(24);
  EXPECT_EQ(observer.failure, "");
  ASSERT_GE(observer.lines.size(), 24u) << observer.summary();
  expectExactLines();
}

INSTANTIATE_TEST_SUITE_P(Latency, PacedLineTest, ::testing::Values(0, 30, 60, 90));

TEST_F(DownloadOverChannelTest, AdapterPacketsAndLatencyTimersStayExact) {
  for (const auto& [packet, timer] : {std::pair{62, 16ms}, std::pair{32, 2ms}}) {
    SCOPED_TRACE(packet);
    observer = {};
    start({.baud = 38400, .usbPacket = packet, .usbLatency = timer});
    runFor(24);
    EXPECT_EQ(observer.failure, "");
    ASSERT_GE(observer.lines.size(), 24u) << observer.summary();
    expectExactLines();
  }
}

TEST_F(DownloadOverChannelTest, StrayBytesAfterEveryReplyNeverMakeAWrongLine) {
  start({.baud = 38400, .strayBytes = 3});
  runFor(16);
  // A host too busy to read a reply before the stray bytes behind it arrive
  // sees them as one reply too long, every time: the block is then given up
  // as unreadable, which the user is told, and no line is wrong.
  if (observer.lines.size() < 16u) {
    EXPECT_NE(observer.unreadable, 0) << observer.summary();
  }
  expectExactLines();
  EXPECT_FALSE(observer.askedAgain.empty());
}

TEST_F(DownloadOverChannelTest, RestartedDeviceStallsTheDownloadAndTheLinesStay) {
  start({.baud = 0, .restartAfter = 30}, {.stallAfter = 1s});
  runFor(layout::kBlockCount);
  // The sync bytes may follow the 30th reply so closely that it counts as run on.
  const std::size_t lines = observer.lines.size();
  EXPECT_TRUE(lines == 29 || lines == 30) << lines;
  const int block = 0x0100 + static_cast<int>(lines);
  EXPECT_TRUE(observer.stalledAt == block || observer.unreadable == block);
  expectExactLines();
  EXPECT_FALSE(line.isOpen());
}

TEST_F(DownloadOverChannelTest, HangUpMidDownloadIsReportedOnceAndKeepsTheBlocks) {
  start({.baud = 0, .hangupAfter = 50});
  runFor(layout::kBlockCount);
  EXPECT_NE(observer.failure.find("Specified device was disconnected"), std::string::npos)
      << observer.failure;
  // A busy host may ask for a block again, and each ask may cost one of the
  // replies the device sends before it hangs up.
  EXPECT_LE(observer.lines.size(), 50u);
  EXPECT_GE(observer.lines.size() + observer.askedAgain.size(), 50u) << observer.summary();
  expectExactLines();
  EXPECT_FALSE(line.isOpen());
}

}  // namespace
}  // namespace kq
