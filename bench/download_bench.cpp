// Downloads through the session and the real channel threads against the
// simulated on-board computer: blocks per second with an unpaced line, the
// time of a paced download against the time the line itself needs, the pace
// through adapter models and slow devices, and the host's turnaround as the
// device sees it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

#include "link/download_session.h"
#include "link/trace.h"
#include "serial/serial_line.h"
#include "serial/task_loop.h"
#include "sim/simulated_device.h"

namespace kq {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Bytes on the line per block: the request and its reply.
constexpr int kLineBytesPerBlock = 3 + layout::kReplyBytes;

// Quits the loop once linked, and again after `stopAfter` lines.
class Watch : public DownloadObserver {
 public:
  explicit Watch(TaskLoop& loop) : loop_(loop) {}
  std::size_t stopAfter = 0;
  std::size_t lines = 0;
  int askedAgain = 0;
  bool failed = false;

  void progressChanged(int) override {}
  void linked() override { loop_.quit(); }
  void downloadStarted() override {
    lines = 0;
    askedAgain = 0;
  }
  void lineAdded(const std::string&) override {
    if (++lines == stopAfter) loop_.quit();
  }
  void blockAskedAgain(int, AskAgainReason) override { ++askedAgain; }
  void downloadDone() override {}
  void lineFailed(const std::string&) override { stop(); }
  void stalled(int) override { stop(); }
  void blockUnreadable(int) override { stop(); }

 private:
  void stop() {
    failed = true;
    loop_.quit();
  }
  TaskLoop& loop_;
};

// The simulator on its own thread; the session on this one.
class Bench {
 public:
  explicit Bench(sim::DeviceOptions options) : device_(sim::syntheticMemory(6, sim::kMaxRecords), options) {
    device_.start();
    line_.setClosePause(0ms);
    // A trace of the exchange, to see where a slow run lost its time.
    if (const char* path = std::getenv("KQ_BENCH_TRACE")) {
      trace_ = std::make_unique<Trace>(path, Clock::now());
      session_.setTrace(trace_.get());
    }
    session_.link(device_.devicePath());
    linked_ = loop_.runUntil(Clock::now() + 10s) && session_.linkState() == LinkState::linked;
  }

  bool linked() const { return linked_; }
  const sim::SimulatedDevice& device() const { return device_; }
  int askedAgain() const { return watch_.askedAgain; }

  // Downloads the first `blocks` blocks; the seconds it took, or nothing on a failure.
  std::optional<double> download(int blocks) {
    watch_.stopAfter = static_cast<std::size_t>(blocks);
    const auto start = Clock::now();
    session_.startDownload();
    if (!loop_.runUntil(start + 1200s) || watch_.failed) return std::nullopt;
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

 private:
  sim::SimulatedDevice device_;
  TaskLoop loop_;
  SerialLine line_{loop_};
  Watch watch_{loop_};
  DownloadSession session_{line_, loop_, watch_};
  bool linked_ = false;
  std::unique_ptr<Trace> trace_;
};

void BM_DownloadBlocksPerSecond(benchmark::State& state) {
  Bench bench({.baud = 0});
  if (!bench.linked()) return state.SkipWithError("no link with the simulator");
  for (auto _ : state) {
    const auto seconds = bench.download(layout::kBlockCount);
    if (!seconds) return state.SkipWithError("download failed");
    state.SetIterationTime(*seconds);
  }
  state.counters["blocks_per_second"] =
      benchmark::Counter(layout::kBlockCount, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DownloadBlocksPerSecond)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);

// The host's turnaround, as the device saw it: from the last byte of a reply
// leaving the device to the next request's arrival there.
void countTurnarounds(benchmark::State& state, const sim::SimulatedDevice& device) {
  auto turnarounds = device.turnarounds();
  std::sort(turnarounds.begin(), turnarounds.end());
  const auto percentile = [&](double p) {
    if (turnarounds.empty()) return 0.0;
    const auto index = static_cast<std::size_t>(p * static_cast<double>(turnarounds.size() - 1));
    return std::chrono::duration<double, std::micro>(turnarounds[index]).count();
  };
  state.counters["turnaround_p50_us"] = percentile(0.50);
  state.counters["turnaround_p99_us"] = percentile(0.99);
}

// Arguments: line speed, device latency in ms, number of blocks. Reports the
// ratio to the line's own time plus the device's latency, and the turnaround
// from the last byte of a reply to the next request, as the device saw it.
void BM_DownloadToLineTime(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  const auto latency = std::chrono::milliseconds(state.range(1));
  const int blocks = static_cast<int>(state.range(2));
  Bench bench({.baud = baud, .latency = latency});
  if (!bench.linked()) return state.SkipWithError("no link with the simulator");
  const double idealSeconds =
      blocks * (kLineBytesPerBlock * 10.0 / baud + std::chrono::duration<double>(latency).count());
  double ratio = 0;
  for (auto _ : state) {
    const auto seconds = bench.download(blocks);
    if (!seconds) return state.SkipWithError("download failed");
    state.SetIterationTime(*seconds);
    ratio = *seconds / idealSeconds;
  }
  state.counters["ideal_seconds"] = idealSeconds;
  state.counters["ratio_to_ideal"] = ratio;
  countTurnarounds(state, bench.device());
}
BENCHMARK(BM_DownloadToLineTime)
    ->Args({384000, 0, layout::kBlockCount})
    ->Args({38400, 0, 256})
    ->Args({38400, 30, 256})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// Arguments: adapter packet bytes (0: none), its latency timer in ms, the
// device's reply delay in ms, number of blocks; at 38,400 baud. The pace is
// the download's time over the device's own: the sum, over its replies, of
// the time from a request's arrival to the reply's last byte handed over
// (1.00 is the line's own limit).
void BM_DownloadPace(benchmark::State& state) {
  const int blocks = static_cast<int>(state.range(3));
  Bench bench({.baud = 38400,
               .latency = std::chrono::milliseconds(state.range(2)),
               .usbPacket = static_cast<int>(state.range(0)),
               .usbLatency = std::chrono::milliseconds(state.range(1))});
  if (!bench.linked()) return state.SkipWithError("no link with the simulator");
  double seconds = 0;
  for (auto _ : state) {
    const auto taken = bench.download(blocks);
    if (!taken) return state.SkipWithError("download failed");
    seconds = *taken;
    state.SetIterationTime(seconds);
  }
  Clock::duration deviceTime{};
  for (const auto replyTime : bench.device().replyTimes()) deviceTime += replyTime;
  state.counters["pace"] = seconds / std::chrono::duration<double>(deviceTime).count();
  state.counters["asked_again"] = bench.askedAgain();
  countTurnarounds(state, bench.device());
}
BENCHMARK(BM_DownloadPace)
    ->ArgNames({"packet", "timer_ms", "delay_ms", "blocks"})
    ->Args({0, 0, 0, 300})
    ->Args({62, 16, 0, 300})
    ->Args({62, 1, 0, 300})
    ->Args({32, 2, 0, 300})
    ->Args({64, 4, 0, 300})
    ->Args({0, 0, 150, 200})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kq

BENCHMARK_MAIN();
