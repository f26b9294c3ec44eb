// kq-cli download against kq-cli simulate, both as real processes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "dump/dump.h"
#include "dump/dump_file.h"
#include "sim/memory.h"
#include "tests/integration/process.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Compares dump texts line by line, naming the first difference only.
::testing::AssertionResult sameDump(const std::string& actual, const std::string& expected) {
  const auto a = splitLines(actual), e = splitLines(expected);
  for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i) {
    if (a[i] != e[i]) {
      return ::testing::AssertionFailure()
             << "line " << i << " differs: " << a[i].size() << " characters, expected " << e[i].size();
    }
  }
  if (a.size() != e.size())
    return ::testing::AssertionFailure() << a.size() << " lines, expected " << e.size();
  if (actual != expected) return ::testing::AssertionFailure() << "line ends differ";
  return ::testing::AssertionSuccess();
}

class DownloadCommandTest : public ::testing::Test {
 protected:
  DownloadCommandTest() {
    dir = fs::temp_directory_path() / ("kq-download-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  ~DownloadCommandTest() override { fs::remove_all(dir); }

  // Starts the simulator; returns its device path.
  std::string simulate(std::vector<std::string> options) {
    options.insert(options.begin(), {KQ_CLI, "simulate", "--baud", "0"});
    simulator = std::make_unique<test::Process>(options);
    return simulator->firstLine();
  }

  int download(const std::string& port, const fs::path& output, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{KQ_CLI, "download", "--port", port, output.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    test::Process process(args);
    const int status = process.wait();
    stderrText = process.err;
    return status;
  }

  fs::path dir;
  std::unique_ptr<test::Process> simulator;
  std::string stderrText;
};

TEST_F(DownloadCommandTest, FileEqualsTheSimulatorMemory) {
  const std::string port = simulate({"--type", "6", "--records", "7100"});
  ASSERT_FALSE(port.empty()) << simulator->err;
  const fs::path output = dir / "dump.txt";
  ASSERT_EQ(download(port, output), 0) << stderrText;
  EXPECT_TRUE(sameDump(readFile(output), Dump(sim::syntheticDumpLines(6, 7100)).text()));
  EXPECT_FALSE(fs::exists(dir / "dump.txt.partial"));

  // The simulator serves the next program too.
  const fs::path again = dir / "again.txt";
  ASSERT_EQ(download(port, again), 0) << stderrText;
  EXPECT_TRUE(sameDump(readFile(again), readFile(output)));
}

TEST_F(DownloadCommandTest, DumpFileServedBackIsDownloadedUnchanged) {
  const fs::path source = dir / "source.txt";
  saveDumpFile(source.string(), Dump(sim::syntheticDumpLines(3, 2500)));
  const std::string port = simulate({"--dump", source.string()});
  ASSERT_FALSE(port.empty()) << simulator->err;
  const fs::path output = dir / "copy.txt";
  ASSERT_EQ(download(port, output), 0) << stderrText;
  EXPECT_TRUE(sameDump(readFile(output), readFile(source)));
}

TEST_F(DownloadCommandTest, MissingRepliesAreRecoveredByTheRetry) {
  const std::string port = simulate({"--type", "2", "--records", "3000", "--drop-every", "100"});
  const fs::path output = dir / "dump.txt";
  ASSERT_EQ(download(port, output), 0) << stderrText;
  EXPECT_TRUE(sameDump(readFile(output), Dump(sim::syntheticDumpLines(2, 3000)).text()));
}

TEST_F(DownloadCommandTest, HangUpFailsCleanlyAndKeepsTheBlocks) {
  const std::string port = simulate({"--type", "1", "--records", "7680", "--hangup-after", "100"});
  const fs::path output = dir / "dump.txt";
  { std::ofstream(output) << "earlier download\n"; }
  const fs::path trace = dir / "trace.txt";
  EXPECT_EQ(download(port, output, {"--timeout", "5", "--trace", trace.string()}), 1);
  EXPECT_NE(stderrText.find("kq-cli download: "), std::string::npos) << stderrText;
  EXPECT_EQ(readFile(output), "earlier download\n");
  // Every reply the device sent before hanging up is kept, but for those a
  // busy host asked for again: each such ask may have cost one reply.
  std::size_t asks = 0;
  for (const auto& traceLine : splitLines(readFile(trace)))
    if (traceLine.find(" asked again") != std::string::npos) ++asks;
  const std::string partial = readFile(dir / "dump.txt.partial");
  const std::size_t kept = splitLines(partial).size();
  EXPECT_LE(kept, 100u);
  EXPECT_GE(kept + asks, 100u) << stderrText;
  const auto lines = sim::syntheticDumpLines(1, 7680);
  EXPECT_TRUE(sameDump(partial, Dump(std::vector<std::string>(lines.begin(), lines.begin() + kept)).text()));
}

TEST_F(DownloadCommandTest, InterruptKeepsTheBlocksReceivedSoFar) {
  // A paced line, so that the download is still running when interrupted.
  simulator = std::make_unique<test::Process>(
      std::vector<std::string>{KQ_CLI, "simulate", "--baud", "38400", "--type", "5", "--records", "7680"});
  const std::string port = simulator->firstLine();
  const fs::path output = dir / "dump.txt";
  test::Process process({KQ_CLI, "download", "--port", port, output.string()});
  const fs::path partial = dir / "dump.txt.partial";
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  process.interrupt();
  EXPECT_EQ(process.wait(), 1) << process.err;
  EXPECT_NE(process.err.find("kq-cli download: interrupted"), std::string::npos) << process.err;
  EXPECT_FALSE(fs::exists(output));
  const auto kept = splitLines(readFile(partial));
  ASSERT_FALSE(kept.empty());
  const auto lines = sim::syntheticDumpLines(5, 7680);
  EXPECT_TRUE(sameDump(
      readFile(partial),
      Dump(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(kept.size()))).text()));
}

TEST_F(DownloadCommandTest, SilenceOrARestartEndsTheDownloadAfterTheTimeout) {
  // Every request unanswered; then a device that starts over after 40 replies
  // and keeps sending its sync byte, which must not count as progress.
  const struct {
    std::vector<std::string> options;
    std::size_t kept;
  } cases[] = {{{"--drop-every", "1"}, 0},
               {{"--type", "4", "--records", "7680", "--restart-after", "40"}, 40}};
  for (const auto& c : cases) {
    const std::string port = simulate(c.options);
    const fs::path output = dir / "dump.txt";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(download(port, output, {"--timeout", "2"}), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(fs::exists(output));
    if (c.kept == 0) {
      EXPECT_NE(
          stderrText.find("no block completed for 2 s: the on-board computer stopped answering at block "
                          "0100 (0 of 3840 blocks received)"),
          std::string::npos)
          << stderrText;
      EXPECT_FALSE(fs::exists(dir / "dump.txt.partial"));
    } else {
      EXPECT_NE(stderrText.find("block 0128"), std::string::npos) << stderrText;
      const auto lines = sim::syntheticDumpLines(4, 7680);
      EXPECT_TRUE(sameDump(readFile(dir / "dump.txt.partial"),
                           Dump(std::vector<std::string>(lines.begin(), lines.begin() + 40)).text()));
    }
  }
}

TEST_F(DownloadCommandTest, MissingPortAndBadArguments) {
  const fs::path output = dir / "dump.txt";
  EXPECT_EQ(download("/dev/kq-no-such-port", output), 1);
  EXPECT_NE(stderrText.find("Specified device not found (/dev/kq-no-such-port)."), std::string::npos)
      << stderrText;
  EXPECT_FALSE(fs::exists(output));

  test::Process noPort({KQ_CLI, "download", output.string()});
  EXPECT_EQ(noPort.wait(), 2);
  test::Process help({KQ_CLI, "download", "--help"});
  EXPECT_EQ(help.wait(), 0);
  EXPECT_NE(help.out.find("Usage: kq-cli download"), std::string::npos);
  test::Process simulateHelp({KQ_CLI, "simulate", "--help"});
  EXPECT_EQ(simulateHelp.wait(), 0);
  EXPECT_NE(simulateHelp.out.find("--hangup-after"), std::string::npos);
}

TEST_F(DownloadCommandTest, OutputThatCannotBeWrittenFailsBeforeTheDownload) {
  // A missing port as well: the output is checked first, so no port is opened.
  const struct {
    fs::path output;
    std::string reason;
  } cases[] = {{dir / "no-such-folder" / "dump.txt", "No such file or directory"}, {dir, "Is a directory"}};
  for (const auto& c : cases) {
    EXPECT_EQ(download("/dev/kq-no-such-port", c.output), 1);
    EXPECT_EQ(stderrText,
              "kq-cli download: Cannot create file \"" + c.output.string() + "\". " + c.reason + "\n");
    EXPECT_FALSE(fs::exists(c.output.string() + ".partial"));
  }
}

TEST_F(DownloadCommandTest, SimulatorEndsOnTerminationAndRemovesItsLink) {
  const fs::path link = dir / "kq-port";
  const std::string port = simulate({"--link", link.string()});
  ASSERT_FALSE(port.empty());
  EXPECT_EQ(fs::read_symlink(link), port);
  simulator->terminate();
  EXPECT_EQ(simulator->wait(), 0);
  EXPECT_FALSE(fs::is_symlink(link));
}

}  // namespace
}  // namespace kq
