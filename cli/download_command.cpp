// kq-cli download: the handshake and the whole download through the same
// session, engine and serial channel as the window, with a progress bar.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "cli/commands.h"
#include "cli/download_output.h"
#include "cli/interrupts.h"
#include "cli/progress_bar.h"
#include "cli/whole_number.h"
#include "dump/dump.h"
#include "link/download_session.h"
#include "serial/serial_line.h"
#include "serial/task_loop.h"

namespace kq::cli {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDownloadHelp =
    "Usage: kq-cli download --port PORT [--timeout SECONDS] OUTPUT\n"
    "\n"
    "Links with the on-board computer's boot loader on PORT (COM1 to COM8, or a\n"
    "device path such as /dev/ttyUSB0), downloads blocks 0100 to 0FFF and writes\n"
    "the dump file OUTPUT (one line per block, CR LF line ends) once complete.\n"
    "A reply that does not arrive as one clean 259-byte burst is asked for again.\n"
    "\n"
    "  --port PORT        the serial port\n"
    "  --timeout SECONDS  give up when the device does not link, or no block\n"
    "                     completes, for this long (default 10)\n"
    "\n"
    "On failure OUTPUT is left as it was and the blocks received so far, if any,\n"
    "are written to OUTPUT.partial. When a file cannot be written, the dump goes\n"
    "to the user's state folder (~/.local/state/kq-unloader) and the message\n"
    "names it.\n";

struct Options {
  std::string port;
  std::string output;
  int timeoutSeconds = 10;
};

std::string blockName(int block) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(block));
  return text;
}

// Follows the session: starts the download once linked, draws the progress and
// keeps how it ended.
class Progress : public DownloadObserver {
 public:
  Progress(TaskLoop& loop, ProgressBar& bar, int timeoutSeconds)
      : loop_(loop), bar_(bar), timeoutSeconds_(timeoutSeconds) {}

  void follow(DownloadSession& session) { session_ = &session; }
  bool finished() const { return done_ || failure_.has_value(); }
  const std::optional<std::string>& failure() const { return failure_; }
  const Dump& dump() const { return dump_; }

  void progressChanged(int) override {}
  void linked() override {
    bar_.note("Связь с БК установлена");
    try {
      session_->startDownload();
    } catch (const std::exception& error) {
      end(error.what());
    }
  }
  void downloadStarted() override {
    bar_.note("Скачивание данных из БК");
    dump_.clear();
  }
  void lineAdded(const std::string& line) override {
    dump_.append(line);
    bar_.show(static_cast<int>(dump_.size()), layout::kBlockCount);
  }
  void downloadDone() override {
    bar_.note("Завершено скачивание данных из БК");
    done_ = true;
    loop_.quit();
  }
  void lineFailed(const std::string& message) override { end(message); }
  void stalled(int block) override {
    end("no block completed for " + std::to_string(timeoutSeconds_) +
        " s: the on-board computer stopped answering at block " + blockName(block) + " (" + received() + ")");
  }
  void blockUnreadable(int block) override {
    end("block " + blockName(block) +
        " did not arrive as one clean 259-byte reply however often it was asked for (" + received() + ")");
  }
  void blockAskedAgain(int block, AskAgainReason reason) override {
    if (reason != AskAgainReason::noReply) bar_.note("block " + blockName(block) + " misframed, asked again");
  }

  void end(const std::string& message) {
    if (!failure_) failure_ = message;
    loop_.quit();
  }

 private:
  std::string received() const {
    return std::to_string(dump_.size()) + " of " + std::to_string(layout::kBlockCount) + " blocks received";
  }

  TaskLoop& loop_;
  ProgressBar& bar_;
  int timeoutSeconds_;
  DownloadSession* session_ = nullptr;
  Dump dump_;
  bool done_ = false;
  std::optional<std::string> failure_;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "kq-cli download: %s\n\n%s", message.c_str(), kDownloadHelp);
  return 2;
}

// Options and the one OUTPUT; the exit status of a usage error otherwise.
std::variant<Options, int> parse(const std::vector<std::string>& args) {
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
      } else if (const auto seconds = wholeNumber(value, 1, INT_MAX)) {
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
  return options;
}

}  // namespace

int runDownload(const std::vector<std::string>& args) {
  const auto parsed = parse(args);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const Options& options = std::get<Options>(parsed);

  // A file that cannot be written must not cost a whole download first.
  try {
    checkOutputBeforeDownload(options.output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli download: %s\n", error.what());
    return 1;
  }

  Interrupts interrupts;  // before any thread starts
  TaskLoop loop;
  std::atomic<bool> interrupted{false};
  std::jthread watcher([&](std::stop_token stop) {
    while (!stop.stop_requested()) {
      if (interrupts.wait(100ms)) {
        interrupted = true;
        loop.quit();
        return;
      }
    }
  });

  ProgressBar bar(::isatty(STDERR_FILENO) != 0);
  Progress progress(loop, bar, options.timeoutSeconds);
  SerialLine line(loop);
  line.setClosePause(0ms);  // the process ends; nobody reopens the port at once
  SessionTiming timing;
  timing.stallAfter = std::chrono::seconds(options.timeoutSeconds);
  DownloadSession session(line, loop, progress, timing);
  progress.follow(session);

  try {
    session.link(options.port);
    bar.note("Установка связи с БК");
    const auto linkDeadline = TaskLoop::Clock::now() + std::chrono::seconds(options.timeoutSeconds);
    while (!progress.finished() && !interrupted) {
      // Once the download runs, the session itself notices a stall.
      const auto until = session.downloading() ? TaskLoop::Clock::now() + 1h : linkDeadline;
      if (!loop.runUntil(until) && !session.downloading()) {
        progress.end("no reply from the on-board computer for " + std::to_string(options.timeoutSeconds) +
                     " s (link not established)");
      }
    }
  } catch (const std::exception& error) {
    progress.end(error.what());
  }
  if (interrupted && !progress.finished()) progress.end("interrupted");
  session.unlink();
  bar.finish();
  return keepDownload(options.output, progress.dump(), progress.failure());
}

}  // namespace kq::cli
