// kq-cli download: the handshake and the whole download through the same
// session, engine and serial line as the window, with a progress bar.
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/download_output.h"
#include "cli/failure_text.h"
#include "cli/interrupts.h"
#include "cli/option_checks.h"
#include "cli/progress_bar.h"
#include "cli/shared_options.h"
#include "dump/block_layout.h"
#include "dump/dump.h"
#include "link/download_session.h"
#include "link/trace.h"
#include "serial/serial_line.h"
#include "serial/task_loop.h"

namespace kq::cli {
namespace {

using namespace std::chrono_literals;

struct Options {
  std::string port;
  std::string output;
  std::string trace;
  int timeoutSeconds = 10;
};

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
      end(failureText(error));
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
        " s: the on-board computer stopped answering at block " + layout::blockNumberText(block) + " (" +
        received() + ")");
  }
  void blockUnreadable(int block) override {
    end("block " + layout::blockNumberText(block) +
        " did not arrive as one clean 259-byte reply however often it was asked for (" + received() + ")");
  }
  void blockAskedAgain(int block, AskAgainReason reason) override {
    if (reason != AskAgainReason::noReply)
      bar_.note("block " + layout::blockNumberText(block) + " misframed, asked again");
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

int run(const Options& options) {
  // A file that cannot be written must not cost a whole download first.
  try {
    checkOutputBeforeDownload(options.output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli download: %s\n", failureText(error).c_str());
    return 1;
  }

  std::unique_ptr<Trace> trace;
  try {
    if (!options.trace.empty()) trace = std::make_unique<Trace>(options.trace, Trace::Clock::now());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli download: %s\n", failureText(error).c_str());
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

  ProgressBar bar(errorsGoToTerminal());
  Progress progress(loop, bar, options.timeoutSeconds);
  SerialLine line(loop);
  SessionTiming timing;
  timing.stallAfter = std::chrono::seconds(options.timeoutSeconds);
  DownloadSession session(line, loop, progress, timing);
  session.setTrace(trace.get());
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
    progress.end(failureText(error));
  }
  if (interrupted && !progress.finished()) progress.end("interrupted");
  session.unlink();
  bar.finish();
  if (trace && !trace->failure().empty())
    std::fprintf(stderr, "kq-cli download: %s\n", trace->failure().c_str());
  return keepDownload(options.output, progress.dump(), progress.failure());
}

constexpr const char* kDetails =
    "Links with the on-board computer's boot loader on PORT (COM1 to COM8, or a\n"
    "device path such as /dev/ttyUSB0), downloads blocks 0100 to 0FFF and writes\n"
    "the dump file OUTPUT (one line per block, CR LF line ends) once complete.\n"
    "A reply that does not arrive as one clean 259-byte burst is asked for again.\n"
    "With --trace, every byte exchanged and every such judgement is written to\n"
    "FILE with its time, for finding out what a serial adapter or line does.\n"
    "\n"
    "On failure OUTPUT is left as it was and the blocks received so far, if any,\n"
    "are written to OUTPUT.partial. When a file cannot be written, the dump goes\n"
    "to the user's state folder (~/.local/state/kq-unloader) and the message\n"
    "names it.";

}  // namespace

Command addDownloadCommand(CLI::App& kqCli) {
  Command command(kqCli, "download", "download the log memory over a serial port", kDetails);
  auto options = std::make_shared<Options>();
  CLI::App& app = command.app();
  command.onMisuse(app.add_option("--port", options->port, "the serial port")->required()->type_name("PORT"),
                   "--port takes the serial port");
  command.onMisuse(
      app.add_option("--timeout", options->timeoutSeconds,
                     "give up when the device does not link, or no block completes, for this long "
                     "(default 10)")
          ->type_name("SECONDS")
          ->check(wholeNumber(1, INT_MAX)),
      "--timeout takes a whole number of seconds above 0");
  app.add_option("--trace", options->trace,
                 "record every byte sent and received, with its time, and every judgement of the download "
                 "(at most 64 MB)")
      ->type_name("FILE");
  addArgument(command, "OUTPUT", options->output, "the dump file");
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
