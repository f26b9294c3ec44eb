#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/download_observer.h"
#include "link/download_protocol.h"
#include "link/reply_framing.h"
#include "serial/line.h"
#include "serial/timers.h"

namespace kq {

class Trace;

// The times a session works with; tests shorten them.
struct SessionTiming {
  // A request with no byte of its reply for this long is sent once more; every
  // received chunk restarts the count, so a reply still arriving is never cut.
  // The window grows to twice the longest wait for a reply's first byte the
  // line has shown lately, up to the longest. The same window of quiet must pass
  // before a block is asked for again: a late reply must have shown by then.
  std::chrono::milliseconds retryAfterSilence{100};
  std::chrono::milliseconds longestSilenceWindow{2000};
  // Once replies keep arriving misframed, every block waits for a quiet line
  // before the next request, so stray bytes cannot mix into a reply: three
  // times the longest delay stray bytes came after a reply, within these bounds.
  std::chrono::milliseconds quietAfterEachBlock{50};
  std::chrono::milliseconds shortestQuietAfterEachBlock{5};
  // Bytes running on from the last block show within this time, or twice the
  // line's hand-over delay.
  std::chrono::milliseconds settleAfterLastBlock{20};
  // The longest silence inside one reply beyond what the line's pace and its
  // hand-over delay explain.
  std::chrono::milliseconds burstGap{25};
  // A download with no block completed for this long has stalled.
  std::chrono::milliseconds stallAfter{5000};
  // Misframed replies of one block before the download gives up on it.
  int attemptsPerBlock = 6;
  // Blocks with stray bytes (beyond a reply, running on from it, or after it)
  // before every block waits for a quiet line, and blocks in a row without a
  // stray byte before that ends again.
  int misframedBlocksBeforeQuietMode = 2;
  int cleanBlocksToEndQuietMode = 32;
};

// One link with the on-board computer and its downloads: owns the engine, the
// retry, quiet and stall timers and the receive path, and reports every line
// to its observer once the line's reply proved to be one clean burst of 259
// bytes; a misframed reply is dropped and its block asked for again after the
// line has been quiet. Each request gets one retry after silence. Everything
// runs on the main thread of `timers`.
class DownloadSession {
 public:
  DownloadSession(Line& line, Timers& timers, DownloadObserver& observer, SessionTiming timing = {});
  ~DownloadSession();
  DownloadSession(const DownloadSession&) = delete;
  DownloadSession& operator=(const DownloadSession&) = delete;

  // Opens the port and waits for the device's sync byte. Throws the port's
  // error; the port then stays closed.
  void link(const std::string& portName);
  // Closes the port; a running download ends, its lines so far reported.
  void unlink();
  // Asks for the first block, in any state (with the port closed nothing goes
  // out and the download stalls). Throws when the request cannot be queued.
  void startDownload();
  // Records the exchange and every judgement there; nullptr for none.
  void setTrace(Trace* trace) { trace_ = trace; }

  bool isOpen() const { return line_.isOpen(); }
  bool downloading() const { return run_.phase != Phase::idle; }
  LinkState linkState() const { return engine_.linkState(); }

 private:
  enum class Phase {
    idle,        // no download runs: linking, linked, done or stopped
    collecting,  // a request is out, its reply is being collected
    holding,     // a complete reply waits for a quiet line before it counts
    resyncing,   // a misframed reply was dropped; waiting for a quiet line
  };
  using Clock = Line::Clock;

  // Everything one download learns and counts. A new one at every start and
  // every new port, so nothing carries over from one line or device to the next.
  struct Run {
    explicit Run(ReplyFraming::Duration burstGap) : framing(burstGap) {}

    Phase phase = Phase::idle;
    ReplyFraming framing;
    // The line of the last complete reply, until nothing ran on from it.
    std::optional<std::string> pendingLine;
    int pendingProgress = 0;
    int shownProgress = 0;
    std::vector<std::uint8_t> heldChunk;
    Clock::time_point heldAt{};
    std::chrono::milliseconds holdQuiet{};
    std::optional<Clock::duration> strayDelay;  // the longest seen
    Clock::time_point firstAskedAt{};           // of the block now asked for
    bool retried = false;                       // the newest request had its one retry
    bool verifyBlock = false;                   // after asking again, a reply must be followed by quiet
    bool quietMode = false;
    bool straysInHold = false;
    int cleanHeldBlocks = 0;
    int attempts = 0;
    int attemptsBlock = -1;
    int misbehavingBlocks = 0;
    int lastMisbehavingBlock = -1;
  };

  void onReceived(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt);
  void collect(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt);
  void onSilence();
  void onQuietLine();
  void onStall();

  // Does what the engine asked; true when bytes went out.
  bool carryOut(ProtocolSteps steps);
  // A request for the block went out: its reply and its silence count start.
  void requestSent(bool retry);
  void feedEngine(std::span<const std::uint8_t> chunk);
  void finish();
  void hold(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt);
  std::chrono::milliseconds silenceWindow() const;
  std::chrono::milliseconds quietAfterEachBlock() const;
  std::chrono::milliseconds settleTime() const;
  void misframed(AskAgainReason reason);
  void askAgain();
  void commitPendingLine();
  void noteMisbehaviour();
  void noteHeldBlockEnded();
  void stopTimers();
  enum class Stop { byUser, lineFailed, stalled, unreadable };
  void stop(Stop why, const std::string& message = {});
  // Runs a step from a line or timer event; a write that fails ends the
  // download like a lost line.
  template <typename Step>
  void guarded(Step step);
  void note(const std::string& text);

  Line& line_;
  Timers& timers_;
  DownloadObserver& observer_;
  const SessionTiming timing_;
  Trace* trace_ = nullptr;
  DownloadProtocol engine_;
  Run run_;
  OneShotTimer silenceTimer_;
  OneShotTimer quietTimer_;
  OneShotTimer stallTimer_;
};

}  // namespace kq
