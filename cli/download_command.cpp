// kq-cli download: the handshake and the whole download through the same
// engine and serial channel as the window, with a progress bar.
#include <unistd.h>

#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/interrupt_watch.h"
#include "dump/dump.h"
#include "dump/dump_file.h"
#include "dump/safe_file.h"
#include "dump/utf8_path.h"
#include "link/download_protocol.h"
#include "link/loop_retry_timer.h"
#include "link/serial_channel.h"
#include "link/task_loop.h"

namespace kq::cli {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDownloadHelp =
    "Usage: kq-cli download --port PORT [--timeout SECONDS] OUTPUT\n"
    "\n"
    "Links with the on-board computer's boot loader on PORT (COM1 to COM8, or a\n"
    "device path such as /dev/ttyUSB0), downloads blocks 0100 to 0FFF and writes\n"
    "the dump file OUTPUT (one line per block, CR LF line ends) once complete.\n"
    "\n"
    "  --port PORT        the serial port\n"
    "  --timeout SECONDS  give up when no byte arrives for this long (default 10)\n"
    "\n"
    "On failure OUTPUT is left as it was and the blocks received so far, if any,\n"
    "are written to OUTPUT.partial.\n";

constexpr std::size_t kChunkBuffer = DownloadProtocol::kBufferSize;

// The engine's host: the channel, a dump in memory and a progress bar.
class CliHost : public DownloadHost {
 public:
  CliHost(SerialChannel& channel, TaskLoop& loop, bool terminal)
      : channel_(channel), terminal_(terminal), retryTimer_(loop, [this] { engine_->retryTick(); }) {}

  void setEngine(DownloadProtocol& engine) { engine_ = &engine; }
  Dump& dump() { return dump_; }

  void writeBytes(std::span<const std::uint8_t> bytes) override { channel_.writeBytes(bytes); }
  void clearDump() override { dump_.clear(); }
  void appendDumpLine(std::string line) override {
    dump_.append(std::move(line));
    drawProgress();
  }
  void showStatus(const std::string& text) override {
    if (!terminal_) return;
    clearProgress();
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  void showProgress(int) override {}
  void lightIndicator() override {}
  void releaseDownloadSwitch() override {}
  void armRetryTimer() override { retryTimer_.arm(); }
  void disarmRetryTimer() override { retryTimer_.disarm(); }
  void appendFrameLog(const std::string&) override {}
  void appendReplyLog(const std::string&) override {}

  void finishProgress() {
    if (terminal_ && barShown_) std::fputc('\n', stderr);
    barShown_ = false;
  }

 private:
  void drawProgress() {
    if (!terminal_) return;
    constexpr int kWidth = 40;
    const int done = static_cast<int>(dump_.size());
    const int filled = done * kWidth / DownloadProtocol::kBlockCount;
    std::fprintf(stderr, "\r[%s%s] %3d%%  %d/%d blocks",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(),
                 done * 100 / DownloadProtocol::kBlockCount, done, DownloadProtocol::kBlockCount);
    barShown_ = true;
  }
  void clearProgress() {
    if (barShown_) std::fputs("\r\033[K", stderr);
    barShown_ = false;
  }

  SerialChannel& channel_;
  bool terminal_;
  DownloadProtocol* engine_ = nullptr;
  Dump dump_;
  LoopRetryTimer retryTimer_;
  bool barShown_ = false;
};

struct Options {
  std::string port;
  std::string output;
  int timeoutSeconds = 10;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "kq-cli download: %s\n\n%s", message.c_str(), kDownloadHelp);
  return 2;
}

std::optional<int> positiveNumber(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

// What stopped the download, or nothing when it completed.
std::optional<std::string> download(const Options& options, CliHost& host, SerialChannel& channel,
                                    TaskLoop& loop, DownloadProtocol& engine,
                                    const InterruptWatch& interrupts) {
  using Clock = std::chrono::steady_clock;
  std::optional<std::string> failure;
  auto lastByte = Clock::now();

  channel.setOnRxChar([&](SerialChannel& sender, std::size_t count) {
    // Read in pieces no larger than the engine's buffer; hand over only what was read.
    std::array<std::uint8_t, kChunkBuffer> buffer;
    while (count > 0) {
      const std::size_t n = sender.readBytes(std::span(buffer).first(std::min(count, buffer.size())));
      if (n == 0) break;
      lastByte = Clock::now();
      count -= n;
      engine.receiveChunk(std::span(buffer).first(n));
      if (engine.linkState() == LinkState::linked) engine.startDownload();
      if (engine.linkState() == LinkState::downloadDone) loop.quit();
    }
  });
  channel.setOnError([&](SerialChannel&, const std::string& message) {
    failure = message;
    loop.quit();
  });

  channel.setDeviceName(options.port);
  channel.openPort();
  channel.setDtrLine(false);
  engine.beginLink();

  const auto timeout = std::chrono::seconds(options.timeoutSeconds);
  while (!loop.runUntil(lastByte + timeout)) {
    if (Clock::now() >= lastByte + timeout) {
      const auto blocks = host.dump().size();
      return "no reply from the on-board computer for " + std::to_string(options.timeoutSeconds) + " s (" +
             (engine.linkState() == LinkState::downloading
                  ? std::to_string(blocks) + " of " + std::to_string(DownloadProtocol::kBlockCount) +
                        " blocks received"
                  : std::string("link not established")) +
             ")";
    }
  }
  if (!failure && engine.linkState() != LinkState::downloadDone && interrupts.interrupted())
    return "interrupted";
  return failure;
}

// A reply that came later than the retry merges with the repeated one into a
// line of more than 258 values, and the following lines shift; the protocol
// cannot tell, so the user is told.
void warnAboutOddLines(const Dump& dump) {
  constexpr std::size_t kLineLength = 3 * DownloadProtocol::kBlockReplySize - 4;  // 258 values
  std::size_t odd = 0;
  std::size_t first = 0;
  for (std::size_t i = 0; i < dump.size(); ++i) {
    if (dump.line(i).size() != kLineLength && odd++ == 0) first = i;
  }
  if (odd == 0) return;
  std::fprintf(
      stderr,
      "kq-cli download: warning: %zu block(s) did not arrive as one 259-byte reply (first: line %zu, "
      "block %04zX); a reply slower than the 100 ms retry shifts the lines after it\n",
      odd, first + 1, first + DownloadProtocol::kFirstBlock);
}

}  // namespace

int runDownload(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kDownloadHelp, stdout);
      return 0;
    }
    if (arg == "--port" || arg == "--timeout") {
      if (i + 1 == args.size()) return usageError(arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--port") {
        options.port = value;
      } else if (const auto seconds = positiveNumber(value)) {
        options.timeoutSeconds = *seconds;
      } else {
        return usageError("--timeout takes a whole number of seconds above 0");
      }
    } else if (arg.starts_with("--")) {
      return usageError("unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (options.port.empty()) return usageError("--port is missing");
  if (positional.size() != 1) return usageError("give exactly one OUTPUT file");
  options.output = positional[0];

  // A file that cannot be written must not cost a whole download first.
  try {
    checkCanCreate(options.output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli download: %s\n", error.what());
    return 1;
  }

  TaskLoop loop;
  const InterruptWatch interrupts(loop);
  SerialChannel channel(loop);
  channel.setReadTimeout(500ms);
  CliHost host(channel, loop, ::isatty(STDERR_FILENO) != 0);
  DownloadProtocol engine(host);
  host.setEngine(engine);

  std::optional<std::string> failure;
  try {
    failure = download(options, host, channel, loop, engine, interrupts);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  host.disarmRetryTimer();
  channel.setClosePause(0ms);  // the process ends; nobody reopens the port at once
  channel.closePort();
  host.finishProgress();

  if (!failure) {
    warnAboutOddLines(host.dump());
    try {
      saveDumpFile(options.output, host.dump());
      std::error_code ignored;
      std::filesystem::remove(utf8Path(options.output + ".partial"), ignored);
      return 0;
    } catch (const std::exception& error) {
      // Keep the complete download where it can still be written.
      failure = error.what();
    }
  }
  try {
    std::fprintf(stderr, "kq-cli download: %s\n", failure->c_str());
    const std::string partial = options.output + ".partial";
    if (host.dump().empty()) {
      // Nothing to keep; a file from an earlier attempt would mislead.
      std::error_code ignored;
      std::filesystem::remove(utf8Path(partial), ignored);
      return 1;
    }
    saveDumpFile(partial, host.dump());
    std::fprintf(stderr, "kq-cli download: %zu blocks kept in %s; %s left unchanged\n", host.dump().size(),
                 partial.c_str(), options.output.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli download: %s\n", error.what());
  }
  return 1;
}

}  // namespace kq::cli
