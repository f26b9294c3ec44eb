// The download session against a scripted device on a clock the test moves:
// every timing case runs the same on a busy machine as on an idle one.
#include "link/download_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dump/dump_line.h"
#include "link/trace.h"
#include "sim/memory.h"
#include "sim/usb_adapter.h"
#include "tests/link/recording_observer.h"
#include "tests/link/scripted_line.h"

namespace kq {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::ManualTimers;
using test::RecordingObserver;
using test::ScriptedLine;

constexpr auto kByteTime = std::chrono::nanoseconds(260'417);  // 38,400 baud, 10 bits a byte

// One run of bytes the device sends for a request: `delay` after the request
// has reached it (or after its previous run ended, whichever is later).
struct Burst {
  Clock::duration delay;
  std::vector<std::uint8_t> bytes;
};
// What the device sends for the n-th request (from 1), asking for `block`.
using Script = std::function<std::vector<Burst>(int block, int n, const std::vector<std::uint8_t>& reply)>;

Script replyAfter(Clock::duration latency) {
  return [latency](int, int, const std::vector<std::uint8_t>& reply) {
    return std::vector<Burst>{{latency, reply}};
  };
}

class DownloadSessionTest : public ::testing::Test {
 protected:
  DownloadSessionTest() {
    line.onWrite = [this](const std::vector<std::uint8_t>& bytes) { deviceHears(bytes); };
  }

  std::vector<std::uint8_t> replyFor(int block) const {
    const auto& data = memory[static_cast<std::size_t>(block - layout::kFirstBlock)];
    std::vector<std::uint8_t> reply(1 + data.size(), 0x77);
    std::copy(data.begin(), data.end(), reply.begin() + 1);
    return reply;
  }

  // Puts bytes on the line at its pace, `piece` bytes an arrival, or as the
  // adapter hands them over, or all at once on an instant line.
  void send(Clock::time_point start, const std::vector<std::uint8_t>& bytes) {
    Clock::time_point at = std::max(start, lineFree);
    if (adapter.instant) {
      line.arriveAt(at, bytes);
      return;
    }
    std::vector<Clock::time_point> crossed(bytes.size());
    for (auto& t : crossed) t = at += kByteTime;
    lineFree = at;
    std::vector<sim::HandOver> handOvers;
    if (adapter.packet > 0) {
      handOvers = sim::usbHandOvers(crossed, adapter.packet, adapter.latency);
    } else {
      for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
        const std::size_t n = std::min(piece, bytes.size() - pos);
        handOvers.push_back({crossed[pos + n - 1], n});
      }
    }
    std::size_t pos = 0;
    for (const sim::HandOver& h : handOvers) {
      line.arriveAt(h.at,
                    std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                                              bytes.begin() + static_cast<std::ptrdiff_t>(pos + h.bytes)));
      pos += h.bytes;
    }
  }

  void deviceHears(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != 3 || bytes[0] != 0x77 || !script) return;
    const int block = bytes[1] << 8 | bytes[2];
    requests.push_back(block);
    const auto heard = timers.now() + 3 * kByteTime;
    for (const Burst& burst : script(block, static_cast<int>(requests.size()), replyFor(block)))
      send(std::max(heard, lineFree) + burst.delay, burst.bytes);
  }

  // Links and downloads until the session reports an end, or `lines` lines are in.
  void download(std::size_t lines = layout::kBlockCount) {
    observer = {};
    requests.clear();
    session.link("COM1");
    session.startDownload();
    ASSERT_TRUE(line.runUntil([&] { return observer.ended() || observer.lines.size() >= lines; }));
  }

  void expectExactDump(std::size_t lines) {
    ASSERT_EQ(observer.lines.size(), lines);
    for (std::size_t i = 0; i < lines; ++i) {
      ASSERT_EQ(observer.lines[i], makeDumpLine(memory[i])) << "line " << i;
    }
    EXPECT_TRUE(std::is_sorted(observer.progress.begin(), observer.progress.end()));
  }

  std::size_t requestsFor(int block) const {
    return static_cast<std::size_t>(std::count(requests.begin(), requests.end(), block));
  }

  sim::Memory memory = sim::syntheticMemory(6, sim::kMaxRecords);
  ManualTimers timers;
  ScriptedLine line{timers};
  RecordingObserver observer;
  DownloadSession session{line, timers, observer};
  Script script = replyAfter(0ms);
  std::size_t piece = 3;
  struct Adapter {
    std::size_t packet = 0;  // 0: bytes handed over `piece` at a time as they cross
    Clock::duration latency{};
    bool instant = false;  // a reply arrives whole, at once
  } adapter;
  Clock::time_point lineFree{};
  std::vector<int> requests;
};

TEST_F(DownloadSessionTest, SlowRepliesAreNeverCut) {
  // A reply alone takes 67 ms on the line, so a late one ends long after
  // 100 ms from its request; only silence may start the retry.
  for (const auto latency : {0ms, 25ms, 60ms, 90ms}) {
    SCOPED_TRACE(latency.count());
    script = replyAfter(latency);
    download();
    EXPECT_TRUE(observer.done);
    expectExactDump(layout::kBlockCount);
    EXPECT_TRUE(observer.askedAgain.empty());
    EXPECT_EQ(requests.size(), static_cast<std::size_t>(layout::kBlockCount));
    EXPECT_EQ(observer.progress.back(), 100);
  }
}

TEST_F(DownloadSessionTest, MisframedRepliesAreAskedAgainAndTheDumpStaysExact) {
  const auto spoil = [](int everyN, auto change) -> Script {
    return [=](int, int n, const std::vector<std::uint8_t>& reply) {
      std::vector<Burst> bursts{{0ms, reply}};
      if (n % everyN == 0) change(bursts);
      return bursts;
    };
  };
  struct Case {
    const char* name;
    Script script;
    std::size_t piece;
    AskAgainReason reason;
  };
  const Case cases[] = {
      {"no reply", spoil(7, [](auto& b) { b.clear(); }), 3, AskAgainReason::noReply},
      {"half a reply", spoil(7, [](auto& b) { b[0].bytes.resize(130); }), 3, AskAgainReason::noReply},
      {"one byte too many in the last piece", spoil(7, [](auto& b) { b[0].bytes.push_back(0x00); }), 4,
       AskAgainReason::tooLong},
      {"one byte too many, paced byte by byte", spoil(7, [](auto& b) { b[0].bytes.push_back(0x00); }), 1,
       AskAgainReason::runOn},
      {"two bursts",
       spoil(7,
             [](auto& b) {
               std::vector<std::uint8_t> tail(b[0].bytes.begin() + 100, b[0].bytes.end());
               b[0].bytes.resize(100);
               b.push_back({40ms, tail});
             }),
       3, AskAgainReason::twoBursts},
      {"stray bytes before the reply",
       spoil(7,
             [](auto& b) {
               b.insert(b.begin(), Burst{0ms, {0x01, 0x02, 0x03}});
             }),
       1, AskAgainReason::runOn},
      {"reply too late, then answered twice", spoil(7, [](auto& b) { b[0].delay = 150ms; }), 3,
       AskAgainReason::noReply},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    script = c.script;
    piece = c.piece;
    download();
    EXPECT_TRUE(observer.done) << "unreadable " << observer.unreadable << " stalled " << observer.stalledAt;
    expectExactDump(layout::kBlockCount);
    ASSERT_FALSE(observer.askedAgain.empty());
    EXPECT_EQ(observer.askedAgain.front().second, c.reason);
  }
}

TEST_F(DownloadSessionTest, StrayBytesAfterEveryReplyStillGiveTheExactDump) {
  for (const std::size_t p : {1u, 3u, 16u}) {
    SCOPED_TRACE(p);
    piece = p;
    script = [](int, int, const std::vector<std::uint8_t>& reply) {
      return std::vector<Burst>{{0ms, reply}, {5ms, {0xE0, 0xE1, 0xE2}}};
    };
    download();
    EXPECT_TRUE(observer.done);
    expectExactDump(layout::kBlockCount);
  }
}

TEST_F(DownloadSessionTest, ABlockThatNeverComesCleanStopsTheDownloadNamingIt) {
  script = [](int block, int, const std::vector<std::uint8_t>& reply) {
    std::vector<Burst> bursts{{0ms, reply}};
    if (block == 0x0105) bursts[0].bytes.push_back(0xEE);
    return bursts;
  };
  download();
  EXPECT_FALSE(observer.done);
  EXPECT_EQ(observer.unreadable, 0x0105);
  expectExactDump(5);
  EXPECT_FALSE(line.isOpen());
}

TEST_F(DownloadSessionTest, SilenceOrARestartedDeviceStallsTheDownload) {
  // A restarted boot loader ignores requests and sends its sync byte every
  // 100 ms; its bytes must not count as progress.
  const auto restartAfter = [this](int replies) -> Script {
    return [this, replies](int, int n, const std::vector<std::uint8_t>& reply) {
      if (n <= replies) return std::vector<Burst>{{0ms, reply}};
      if (n == replies + 1)
        for (int i = 1; i <= 100; ++i) line.arriveAt(timers.now() + i * 100ms, {0x55});
      return std::vector<Burst>{};
    };
  };
  for (const Script& s : {restartAfter(40), Script([](int, int n, const std::vector<std::uint8_t>&reply) {
                            return n <= 40 ? std::vector<Burst>{{0ms, reply}} : std::vector<Burst>{};
                          })}) {
    script = s;
    const auto start = timers.now();
    download();
    EXPECT_FALSE(observer.done);
    EXPECT_TRUE(observer.stalledAt == 0x0100 + 40 || observer.unreadable == 0x0100 + 40);
    EXPECT_LT(timers.now() - start, 10s);
    expectExactDump(40);
    EXPECT_FALSE(line.isOpen());
  }
}

TEST_F(DownloadSessionTest, BytesRunningOnFromTheLastBlockAreCaught) {
  piece = 1;
  script = [](int block, int n, const std::vector<std::uint8_t>& reply) {
    std::vector<Burst> bursts{{0ms, reply}};
    if (block == layout::kLastBlock && n == layout::kBlockCount) bursts[0].bytes.push_back(0x00);
    return bursts;
  };
  download();
  EXPECT_TRUE(observer.done);
  expectExactDump(layout::kBlockCount);
  ASSERT_EQ(observer.askedAgain.size(), 1u);
  EXPECT_EQ(observer.askedAgain[0].first, layout::kLastBlock);
}

TEST_F(DownloadSessionTest, LostLineOrFailedWriteEndsTheDownloadKeepingItsLines) {
  const struct {
    std::function<void()> fault;
    const char* message;
  } cases[] = {
      {[this] { line.fail("Specified device was disconnected (COM1)."); },
       "Specified device was disconnected (COM1)."},
      {[this] { line.failWrites = true; }, "Output buffer is full. Please check comm status."},
  };
  for (const auto& c : cases) {
    line.failWrites = false;
    script = [&](int, int n, const std::vector<std::uint8_t>& reply) {
      if (n == 11) c.fault();
      return std::vector<Burst>{{0ms, reply}};
    };
    download();
    EXPECT_EQ(observer.failure, c.message);
    EXPECT_GE(observer.lines.size(), 10u);
    expectExactDump(observer.lines.size());
    EXPECT_FALSE(line.isOpen());
    EXPECT_FALSE(session.downloading());
  }
}

// Adapters hand a reply over in packets, its tail up to their latency timer
// late, and the next reply's first packet may follow that tail closely; a
// device or link may also be slow to answer. None of this is misframing.
TEST_F(DownloadSessionTest, AdaptersAndSlowDevicesGiveTheExactDumpWithoutAskingAgain) {
  struct Case {
    const char* name;
    Adapter adapter;
    Clock::duration latency;
    int learningBlocks;  // blocks that may be asked again while the line is learned
  };
  const Case cases[] = {
      {"62-byte packets, 16 ms timer", {62, 16ms}, 0ms, 0},
      {"62-byte packets, 1 ms timer", {62, 1ms}, 0ms, 0},
      {"32-byte packets, 2 ms timer", {32, 2ms}, 0ms, 0},
      {"64-byte packets, 4 ms timer", {64, 4ms}, 0ms, 0},
      {"whole replies at once", {0, 0ms, true}, 0ms, 0},
      {"a device 150 ms slow to answer", {}, 150ms, 1},
      {"150 ms behind 62-byte packets, 16 ms timer", {62, 16ms}, 150ms, 1},
  };
  constexpr std::size_t kBlocks = 40;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    adapter = c.adapter;
    script = replyAfter(c.latency);
    download(kBlocks);
    expectExactDump(kBlocks);
    for (const auto& [block, reason] : observer.askedAgain)
      EXPECT_LT(block, layout::kFirstBlock + c.learningBlocks) << observer.summary();
    for (int block = layout::kFirstBlock + c.learningBlocks; block < layout::kFirstBlock + int{kBlocks};
         ++block)
      EXPECT_EQ(requestsFor(block), 1u) << "block " << block;
    session.unlink();
  }
}

// What one line taught a download must not mislead the next, on another line.
TEST_F(DownloadSessionTest, TwoDownloadsFromLinesOfDifferentSpeedAreBothExact) {
  const Adapter atOnce{0, 0ms, true};
  const Adapter wire{};
  const Adapter usb{62, 16ms};
  const std::pair<Adapter, Adapter> pairs[] = {{wire, atOnce}, {usb, atOnce}, {atOnce, usb}};
  for (const auto& [first, second] : pairs) {
    for (const Adapter& a : {first, second}) {
      adapter = a;
      download(40);
      expectExactDump(40);
      EXPECT_TRUE(observer.askedAgain.empty()) << observer.summary();
      session.unlink();
    }
  }
}

TEST_F(DownloadSessionTest, ASilentDeviceIsAskedTwicePerBlockThenTheDownloadStalls) {
  for (const int answered : {0, 10}) {
    SCOPED_TRACE(answered);
    script = [answered](int, int n, const std::vector<std::uint8_t>& reply) {
      return n <= answered ? std::vector<Burst>{{0ms, reply}} : std::vector<Burst>{};
    };
    const auto start = timers.now();
    download();
    const int silentBlock = layout::kFirstBlock + answered;
    EXPECT_EQ(observer.stalledAt, silentBlock);
    EXPECT_EQ(requestsFor(silentBlock), 2u);
    EXPECT_EQ(requests.size(), static_cast<std::size_t>(answered) + 2);
    EXPECT_LT(timers.now() - start, 6s);
    expectExactDump(static_cast<std::size_t>(answered));
  }
}

TEST_F(DownloadSessionTest, TheTraceHoldsTheExchangeAndEachJudgement) {
  const auto path =
      std::filesystem::temp_directory_path() / ("kq-session-trace-" + std::to_string(::getpid()));
  {
    Trace trace(path.string(), timers.now());
    session.setTrace(&trace);
    script = [](int, int n, const std::vector<std::uint8_t>& reply) {
      return n <= 2 ? std::vector<Burst>{{0ms, reply}} : std::vector<Burst>{};
    };
    download();
    session.setTrace(nullptr);
  }
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  std::filesystem::remove(path);
  for (const char* expected :
       {" tx 77 01 00\n", " rx 77 ", " tx 77 01 02\n", " -- block 0102 asked again after 100 ms of silence\n",
        " -- block 0102: silent after its retry\n", " -- block 0102: stalled"})
    EXPECT_NE(text.str().find(expected), std::string::npos) << expected << " in\n" << text.str();
}

TEST_F(DownloadSessionTest, HandshakeThenLinkedIsReported) {
  session.link("COM1");
  line.arriveAt(timers.now() + 1ms, {0x55});
  ASSERT_TRUE(line.runUntil([&] { return !line.writes.empty(); }));
  EXPECT_EQ(line.writes[0], (std::vector<std::uint8_t>{0x55, 0x33, 0xCC}));
  line.arriveAt(timers.now() + 1ms, {0xAA});
  ASSERT_TRUE(line.runUntil([&] { return observer.linkedCount == 1; }));
  EXPECT_EQ(session.linkState(), LinkState::linked);
}

TEST_F(DownloadSessionTest, AStartThatCouldNotSendLeavesNoDownloadBehind) {
  session.link("COM1");
  line.failWrites = true;
  EXPECT_THROW(session.startDownload(), std::runtime_error);
  EXPECT_FALSE(session.downloading());
  // Bytes that come now belong to no download and make no line.
  line.arriveAt(timers.now() + 1ms, std::vector<std::uint8_t>(300, 0x11));
  line.runUntil([] { return false; }, 10s);
  EXPECT_TRUE(observer.lines.empty());
}

TEST_F(DownloadSessionTest, FailedOpenLeavesThePortClosed) {
  line.failOpen = true;
  EXPECT_THROW(session.link("COM9"), std::runtime_error);
  EXPECT_FALSE(session.isOpen());
}

}  // namespace
}  // namespace kq
