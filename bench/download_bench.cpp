// Download speed through the real channel threads against the simulated
// on-board computer: blocks per second with an unpaced line, and the time of
// a download against the time the line itself needs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>

#include "link/download_protocol.h"
#include "link/loop_retry_timer.h"
#include "link/serial_channel.h"
#include "link/task_loop.h"
#include "sim/simulated_device.h"

namespace kq {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes on the line per block: the request and its reply.
constexpr int kLineBytesPerBlock = 3 + DownloadProtocol::kBlockReplySize;

class BenchHost : public DownloadHost {
 public:
  BenchHost(SerialChannel& channel, TaskLoop& loop)
      : channel_(channel), loop_(loop), retryTimer_(loop, [this] { engine_->retryTick(); }) {}
  void setEngine(DownloadProtocol& engine) { engine_ = &engine; }
  void stopAfter(int blocks) {
    stopAfter_ = blocks;
    lines_ = 0;
  }
  int lines() const { return lines_; }

  void writeBytes(std::span<const std::uint8_t> bytes) override { channel_.writeBytes(bytes); }
  void clearDump() override {}
  void appendDumpLine(std::string) override {
    if (++lines_ == stopAfter_) loop_.quit();
  }
  void showStatus(const std::string&) override {}
  void showProgress(int) override {}
  void lightIndicator() override {}
  void releaseDownloadSwitch() override {}
  void armRetryTimer() override { retryTimer_.arm(); }
  void disarmRetryTimer() override { retryTimer_.disarm(); }
  void appendFrameLog(const std::string&) override {}
  void appendReplyLog(const std::string&) override {}

 private:
  SerialChannel& channel_;
  TaskLoop& loop_;
  DownloadProtocol* engine_ = nullptr;
  LoopRetryTimer retryTimer_;
  int stopAfter_ = 0;
  int lines_ = 0;
};

// The simulator on its own thread, the channel, and the engine on this thread.
class Bench {
 public:
  explicit Bench(int baud) : device_(sim::syntheticMemory(6, sim::kMaxRecords), {.baud = baud}) {
    device_.start();
    host_.setEngine(engine_);
    channel_.setDeviceName(device_.devicePath());
    channel_.setClosePause(std::chrono::milliseconds(0));
    channel_.setOnRxChar([this](SerialChannel& sender, std::size_t count) {
      std::uint8_t buffer[DownloadProtocol::kBufferSize];
      while (count > 0) {
        const std::size_t n = sender.readBytes(std::span(buffer).first(std::min(count, sizeof buffer)));
        if (n == 0) break;
        count -= n;
        engine_.receiveChunk(std::span(buffer).first(n));
        if (engine_.linkState() == LinkState::linked) loop_.quit();
      }
    });
    channel_.openPort();
    engine_.beginLink();
    linked_ = loop_.runUntil(Clock::now() + std::chrono::seconds(10));
  }

  bool linked() const { return linked_; }

  // Downloads the first `blocks` blocks; the seconds it took, or nothing on a stall.
  std::optional<double> download(int blocks) {
    host_.stopAfter(blocks);
    const auto start = Clock::now();
    engine_.startDownload();
    if (!loop_.runUntil(start + std::chrono::seconds(600))) return std::nullopt;
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

 private:
  sim::SimulatedDevice device_;
  TaskLoop loop_;
  SerialChannel channel_{loop_};
  BenchHost host_{channel_, loop_};
  DownloadProtocol engine_{host_};
  bool linked_ = false;
};

void BM_DownloadBlocksPerSecond(benchmark::State& state) {
  Bench bench(0);
  if (!bench.linked()) return state.SkipWithError("no link with the simulator");
  for (auto _ : state) {
    const auto seconds = bench.download(DownloadProtocol::kBlockCount);
    if (!seconds) return state.SkipWithError("download stalled");
    state.SetIterationTime(*seconds);
  }
  state.counters["blocks_per_second"] =
      benchmark::Counter(DownloadProtocol::kBlockCount, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DownloadBlocksPerSecond)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);

// Arguments: the line speed and the number of blocks.
void BM_DownloadToLineTime(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  const int blocks = static_cast<int>(state.range(1));
  Bench bench(baud);
  if (!bench.linked()) return state.SkipWithError("no link with the simulator");
  const double lineSeconds = blocks * kLineBytesPerBlock * 10.0 / baud;
  double ratio = 0;
  for (auto _ : state) {
    const auto seconds = bench.download(blocks);
    if (!seconds) return state.SkipWithError("download stalled");
    state.SetIterationTime(*seconds);
    ratio = *seconds / lineSeconds;
  }
  state.counters["line_seconds"] = lineSeconds;
  state.counters["ratio_to_line_time"] = ratio;
}
BENCHMARK(BM_DownloadToLineTime)
    ->Args({384000, DownloadProtocol::kBlockCount})
    ->Args({38400, 256})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kq

BENCHMARK_MAIN();
