#include "link/trace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kq {
namespace {

using namespace std::chrono_literals;
using Clock = Trace::Clock;

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TraceTest : public ::testing::Test {
 protected:
  ~TraceTest() override { std::filesystem::remove(path); }
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("kq-trace-test-" + std::to_string(::getpid()));
  const Clock::time_point start{};
};

TEST_F(TraceTest, EachByteWithItsTimeAndDirectionAndEachJudgement) {
  {
    Trace trace(path.string(), start);
    const std::uint8_t request[] = {0x77, 0x01, 0x00};
    const std::uint8_t reply[] = {0x77, 0xAB};
    trace.sent(start + 12us, request);
    trace.received(start + 1'234'567us, reply);
    trace.note(start + 2s, "block 0100 asked again");
  }
  EXPECT_EQ(readAll(path),
            "          12 tx 77 01 00\n"
            "     1234567 rx 77 AB\n"
            "     2000000 -- block 0100 asked again\n");
}

TEST_F(TraceTest, StopsAtItsLimitWithALastLineSayingSo) {
  constexpr std::uintmax_t kLimit = 300;
  {
    Trace trace(path.string(), start, kLimit);
    const std::uint8_t bytes[] = {0x55};
    for (int i = 0; i < 100; ++i) trace.received(start + std::chrono::microseconds(i), bytes);
    EXPECT_TRUE(trace.failure().empty());
  }
  const std::string text = readAll(path);
  EXPECT_LE(text.size(), kLimit);
  EXPECT_TRUE(text.ends_with(" rx 55\ntrace stopped: it reached its limit of 300 bytes\n")) << text;
}

TEST_F(TraceTest, AFileThatCannotBeWrittenIsNamed) {
  const std::string missing = (path / "no-such-folder" / "trace.txt").string();
  try {
    Trace trace(missing, start);
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace kq
