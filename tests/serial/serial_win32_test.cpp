// The Win32 serial device through the serial line, against peers that
// scripts/test-windows puts behind COM ports: a pseudo-terminal pair
// (KQ_TEST_PORT_PAIR="COM2,COM3": the line's port, then the far end), the
// simulated on-board computer (KQ_TEST_DEVICE_PORT, serving the dump file
// KQ_TEST_DEVICE_DUMP), one that hangs up after 50 blocks
// (KQ_TEST_HANGUP_PORT), and a port above COM8 (KQ_TEST_EXTRA_PORT). Each
// test is skipped when its peer is not named.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <optional>

#include "base/windows_text.h"
#include "dump/dump_file.h"
#include "link/download_session.h"
#include "serial/port_discovery.h"
#include "serial/serial_error.h"
#include "serial/serial_line.h"
#include "tests/link/recording_observer.h"
#include "tests/serial/loop_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The far end of the line, opened directly.
class Peer {
 public:
  explicit Peer(const std::string& port) {
    handle_ = ::CreateFileW(wideFromUtf8(portDevicePath(port)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 50;
    if (handle_ != INVALID_HANDLE_VALUE) ::SetCommTimeouts(handle_, &timeouts);
  }
  ~Peer() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

  void write(const std::vector<std::uint8_t>& bytes) {
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
  }

  std::vector<std::uint8_t> read(std::size_t count, std::chrono::seconds limit = 20s) {
    std::vector<std::uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
      std::uint8_t buffer[4096];
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, count - bytes.size()));
      if (::ReadFile(handle_, buffer, want, &got, nullptr)) bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

TEST(SerialWin32Test, MissingPortIsNamedAndLeavesThePortClosed) {
  TaskLoop loop;
  SerialLine line(loop);
  try {
    line.open("COM199");
    FAIL() << "no error";
  } catch (const SerialError& e) {
    EXPECT_STREQ(e.what(), "Specified device not found (COM199).");
  }
  EXPECT_FALSE(line.isOpen());
}

// '|' makes the name invalid rather than missing; its '%d' and '%s' are no format.
TEST(SerialWin32Test, OpenFailureShowsTheNameAsTyped) {
  TaskLoop loop;
  SerialLine line(loop);
  try {
    line.open("COM%d|%s");
    FAIL() << "no error";
  } catch (const SerialError& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Can't open specified device COM%d|%s (Error "))
        << e.what();
  }
  EXPECT_FALSE(line.isOpen());
}

// The registry's list of serial ports (SERIALCOMM) names ports beyond COM8.
TEST(SerialWin32Test, PortsAboveCom8AreListedAfterTheEight) {
  const std::string port = environment("KQ_TEST_EXTRA_PORT");
  if (port.empty()) GTEST_SKIP() << "KQ_TEST_EXTRA_PORT names no port above COM8";
  const auto ports = availablePorts();
  ASSERT_GE(ports.size(), 9u);
  EXPECT_EQ(ports[7].label, "COM8");
  EXPECT_NE(std::find_if(ports.begin() + 8, ports.end(), [&](const PortEntry& p) { return p.label == port; }),
            ports.end());
}

class SerialPairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string pair = environment("KQ_TEST_PORT_PAIR");
    const auto comma = pair.find(',');
    if (comma == std::string::npos) GTEST_SKIP() << "KQ_TEST_PORT_PAIR names no COM port pair";
    port = pair.substr(0, comma);
    peer.emplace(pair.substr(comma + 1));
    ASSERT_TRUE(peer->open()) << pair;
    line.setClosePause(0ms);
    line.setHandlers(
        [this](std::span<const std::uint8_t> chunk, Line::Clock::time_point) {
          chunks.push_back(chunk.size());
          received.insert(received.end(), chunk.begin(), chunk.end());
        },
        [this](const std::string& message) { errors.push_back(message); });
  }

  std::string port;
  std::optional<Peer> peer;
  test::CountingLoop loop;
  SerialLine line{loop};
  std::vector<std::size_t> chunks;
  std::vector<std::uint8_t> received;
  std::vector<std::string> errors;
  test::Watchdog watchdog{60s, "serial pair test"};
};

TEST_F(SerialPairTest, BytesArriveInOrderBothWays) {
  line.open(port);  // a pseudo-terminal has no modem lines: not an error

  std::vector<std::uint8_t> sent(3000);
  std::iota(sent.begin(), sent.end(), 0);
  peer->write(sent);
  ASSERT_TRUE(test::runLoopUntil(loop, [&] { return received.size() >= sent.size(); }));
  EXPECT_EQ(received, sent);
  for (std::size_t chunk : chunks) EXPECT_LE(chunk, Line::kMaxChunk);

  const std::vector<std::uint8_t> first = {0x55, 0x33, 0xCC};
  const std::vector<std::uint8_t> second = {0x77, 0x01, 0x00};
  line.write(first);
  line.write(second);
  std::vector<std::uint8_t> both = first;
  both.insert(both.end(), second.begin(), second.end());
  EXPECT_EQ(peer->read(both.size()), both);
  EXPECT_TRUE(errors.empty());
  line.close();
}

// Wine maps COM ports to Unix devices and does not apply share mode 0 to them.
bool underWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

TEST_F(SerialPairTest, PortIsOpenedExclusively) {
  if (underWine()) GTEST_SKIP() << "wine does not keep a second opener out of a COM port";
  line.open(port);
  TaskLoop otherLoop;
  SerialLine other(otherLoop);
  other.setClosePause(0ms);
  try {
    other.open(port);
    FAIL() << "opened twice";
  } catch (const SerialError& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("Can't open specified device " + port + " (Error "))
        << e.what();
  }
  std::atomic<bool> released{false};
  line.setCloseRest([&](std::stop_token) { released = true; });
  line.close();
  while (!released) std::this_thread::yield();  // the port is let go on the line's closing thread
  EXPECT_NO_THROW(other.open(port));
}

TEST_F(SerialPairTest, CloseWhileBytesStreamInEndsAtOnce) {
  line.open(port);
  peer->write(std::vector<std::uint8_t>(2000, 0x55));
  loop.runUntil(std::chrono::steady_clock::now() + 20ms);
  const auto start = std::chrono::steady_clock::now();
  line.close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  const int posted = loop.posted;
  loop.runPending();
  EXPECT_EQ(loop.posted, posted);
}

// Starts the download as soon as the device has linked.
struct StartingObserver : test::RecordingObserver {
  DownloadSession* session = nullptr;
  void linked() override {
    test::RecordingObserver::linked();
    session->startDownload();
  }
};

// The download session over the serial line to a simulated device on `port`.
class DeviceDownload {
 public:
  explicit DeviceDownload(const std::string& port) {
    line_.setClosePause(0ms);
    observer.session = &session_;
    session_.link(port);
  }

  bool runUntilEnded() {
    return test::runLoopUntil(
        loop_, [this] { return observer.ended(); }, 280s);
  }

  StartingObserver observer;

 private:
  TaskLoop loop_;
  SerialLine line_{loop_};
  DownloadSession session_{line_, loop_, observer};
  test::Watchdog watchdog_{300s, "download through a COM port"};
};

TEST(SerialDeviceDownloadTest, FullDownloadEqualsTheDeviceMemory) {
  const std::string port = environment("KQ_TEST_DEVICE_PORT");
  if (port.empty()) GTEST_SKIP() << "KQ_TEST_DEVICE_PORT names no simulated device";
  Dump expected;
  loadDumpFile(environment("KQ_TEST_DEVICE_DUMP"), expected);
  DeviceDownload download(port);
  ASSERT_TRUE(download.runUntilEnded());
  EXPECT_TRUE(download.observer.done) << download.observer.failure;
  EXPECT_EQ(download.observer.lines, expected.lines());
}

// The simulated device there hangs up after 50 blocks.
TEST(SerialDeviceDownloadTest, DeviceThatHangsUpIsReportedOnceByName) {
  const std::string port = environment("KQ_TEST_HANGUP_PORT");
  if (port.empty()) GTEST_SKIP() << "KQ_TEST_HANGUP_PORT names no simulated device that hangs up";
  Dump memory;
  loadDumpFile(environment("KQ_TEST_DEVICE_DUMP"), memory);
  DeviceDownload download(port);
  ASSERT_TRUE(download.runUntilEnded());
  EXPECT_EQ(download.observer.failure, "Specified device was disconnected (" + port + ").");
  // A busy host may ask for a block again, and each ask may cost one of the
  // replies the device sends before it hangs up; what is kept is exact.
  const std::vector<std::string>& kept = download.observer.lines;
  EXPECT_LE(kept.size(), 50u);
  EXPECT_GE(kept.size() + download.observer.askedAgain.size(), 50u) << download.observer.summary();
  EXPECT_EQ(kept, std::vector<std::string>(memory.lines().begin(), memory.lines().begin() + kept.size()));
}

}  // namespace
}  // namespace kq
