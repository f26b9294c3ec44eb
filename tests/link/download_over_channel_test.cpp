// The engine, the channel and its threads, and the simulated device together.
#include <gtest/gtest.h>

#include <optional>

#include "link/download_protocol.h"
#include "link/serial_channel.h"
#include "sim/simulated_device.h"
#include "tests/link/channel_fixture.h"
#include "tests/link/recording_host.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

// Sends through the channel and runs the retry timer on the task loop.
struct ChannelHost : test::RecordingHost {
  ChannelHost(SerialChannel& c, TaskLoop& l) : channel(c), loop(l) {}

  void writeBytes(std::span<const std::uint8_t> bytes) override {
    test::RecordingHost::writeBytes(bytes);
    channel.writeBytes(bytes);
  }
  void armRetryTimer() override {
    disarmRetryTimer();
    test::RecordingHost::armRetryTimer();
    timer = loop.startTimer(100ms, [this] {
      timer.reset();
      engine->retryTick();
    });
  }
  void disarmRetryTimer() override {
    test::RecordingHost::disarmRetryTimer();
    if (timer) loop.cancelTimer(*timer);
    timer.reset();
  }

  SerialChannel& channel;
  TaskLoop& loop;
  DownloadProtocol* engine = nullptr;
  std::optional<TaskLoop::TimerId> timer;
};

class DownloadOverChannelTest : public ::testing::Test {
 protected:
  void start(sim::DeviceOptions options) {
    options.baud = 0;
    device = std::make_unique<sim::SimulatedDevice>(memory, options);
    device->start();
    host.engine = &engine;
    channel.setClosePause(0ms);
    channel.setDeviceName(device->devicePath());
    channel.setOnRxChar([this](SerialChannel& sender, std::size_t count) {
      std::uint8_t buffer[DownloadProtocol::kBufferSize];
      while (count > 0) {
        const std::size_t n = sender.readBytes(std::span(buffer).first(std::min(count, sizeof buffer)));
        if (n == 0) break;
        count -= n;
        engine.receiveChunk(std::span(buffer).first(n));
        if (engine.linkState() == LinkState::linked) engine.startDownload();
      }
    });
    channel.setOnError([this](SerialChannel&, const std::string& message) { errors.push_back(message); });
    channel.openPort();
    channel.setDtrLine(false);
    engine.beginLink();
  }

  sim::Memory memory = sim::syntheticMemory(7, 5000);
  std::unique_ptr<sim::SimulatedDevice> device;
  test::CountingLoop loop;
  SerialChannel channel{loop};
  ChannelHost host{channel, loop};
  DownloadProtocol engine{host};
  std::vector<std::string> errors;
  test::Watchdog watchdog{120s, "download over the channel"};
};

TEST_F(DownloadOverChannelTest, FullDownloadEqualsTheDeviceMemory) {
  start({});
  ASSERT_TRUE(test::runLoopUntil(
      loop, [&] { return engine.linkState() == LinkState::downloadDone; }, 100s));
  EXPECT_EQ(host.dump, sim::memoryDumpLines(memory));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(host.statuses.back(), "Завершено скачивание данных из БК");
}

TEST_F(DownloadOverChannelTest, HangUpMidDownloadIsReportedOnceAndKeepsTheBlocks) {
  start({.hangupAfter = 50});
  ASSERT_TRUE(test::runLoopUntil(
      loop, [&] { return !errors.empty(); }, 100s));
  loop.runUntil(std::chrono::steady_clock::now() + 300ms);
  EXPECT_EQ(errors.size(), 1u);
  const auto lines = sim::memoryDumpLines(memory);
  EXPECT_EQ(host.dump, std::vector<std::string>(lines.begin(), lines.begin() + 50));
  // The retry goes to the lost device without a further report.
  EXPECT_EQ(engine.linkState(), LinkState::downloading);
  channel.closePort();
}

}  // namespace
}  // namespace kq
