#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dump/dump.h"
#include "link/download_observer.h"
#include "link/download_protocol.h"
#include "serial/line.h"
#include "link/reply_framing.h"
#include "serial/timers.h"

namespace kq {

// The times a session works with; tests shorten them.
struct SessionTiming {
  // A request with no byte of its reply for this long is sent again; every
  // received chunk restarts the count, so a reply still arriving is never cut.
  std::chrono::milliseconds retryAfterSilence{100};
  // Before a block is asked for again, and before a reply to a block asked
  // for again counts, the line must have been quiet this long, or twice the
  // longest wait for a reply's first byte seen, whichever is longer: a late
  // reply to an earlier request must have shown by then.
  std::chrono::milliseconds quietBeforeAskingAgain{100};
  // Once replies keep arriving misframed, every block waits for a quiet line
  // before the next request, so stray bytes cannot mix into a reply: three
  // times the longest delay stray bytes came after a reply, within these bounds.
  std::chrono::milliseconds quietAfterEachBlock{50};
  std::chrono::milliseconds shortestQuietAfterEachBlock{5};
  // Bytes running on from the last block show within this time.
  std::chrono::milliseconds settleAfterLastBlock{20};
  // The longest silence inside one reply beyond what the line's pace explains.
  std::chrono::milliseconds burstGap{25};
  // A download with no block completed for this long has stalled.
  std::chrono::milliseconds stallAfter{5000};
  // Misframed replies of one block before the download gives up on it.
  int attemptsPerBlock = 6;
  // Blocks with misframed replies before every block waits for a quiet line,
  // and blocks in a row without a stray byte before that ends again.
  int misframedBlocksBeforeQuietMode = 2;
  int cleanBlocksToEndQuietMode = 32;
};

// One link with the on-board computer and its downloads: owns the engine, the
// retry, quiet and stall timers and the receive path, and keeps the dump of
// the last download. A line is added to the dump only once its reply proved
// to be one clean burst of 259 bytes; a misframed reply is dropped and its
// block asked for again after the line has been quiet. Everything runs on the
// main thread of `timers`.
class DownloadSession : private DownloadHost {
 public:
  DownloadSession(Line& line, Timers& timers, DownloadObserver& observer, SessionTiming timing = {});
  ~DownloadSession() override;
  DownloadSession(const DownloadSession&) = delete;
  DownloadSession& operator=(const DownloadSession&) = delete;

  // Opens the port and waits for the device's sync byte. Throws the port's
  // error; the port then stays closed.
  void link(const std::string& portName);
  // Closes the port; a running download ends, its lines so far kept.
  void unlink();
  // Empties the dump and asks for the first block, in any state (with the
  // port closed nothing goes out and the download stalls). Throws when the
  // request cannot be queued.
  void startDownload();

  bool isOpen() const { return line_.isOpen(); }
  bool downloading() const { return phase_ != Phase::idle; }
  LinkState linkState() const { return engine_.linkState(); }
  // The block being asked for.
  int block() const { return engine_.blockNumber(); }
  const Dump& dump() const { return dump_; }

 private:
  enum class Phase {
    idle,        // no download runs: linking, linked, done or stopped
    collecting,  // a request is out, its reply is being collected
    holding,     // a complete reply waits for a quiet line before it counts
    resyncing,   // a misframed reply was dropped; waiting for a quiet line
  };

  void onReceived(std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt);
  void collect(std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt);
  void onSilence();
  void onQuietLine();
  void onStall();

  // Feeds the engine; afterwards a new request, if one went out, starts its
  // reply and its retry count.
  void feedEngine(std::span<const std::uint8_t> chunk);
  void afterEngineCall();
  void hold(std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt);
  std::chrono::milliseconds quietAfterEachBlock() const;
  std::chrono::milliseconds quietForLateReplies() const;
  void misframed(AskAgainReason reason);
  void askAgain();
  void commitPendingLine();
  void noteMisbehaviour();
  void noteHeldBlockEnded();
  enum class Stop { byUser, lineFailed, stalled, unreadable };
  void stop(Stop why, const std::string& message = {});
  // Runs an engine step from a line or timer event; a write that fails ends
  // the download like a lost line.
  template <typename Step>
  void guarded(Step step);

  // DownloadHost
  void writeBytes(std::span<const std::uint8_t> bytes) override;
  void clearDump() override;
  void appendDumpLine(std::string line) override;
  void showStatus(const std::string& text) override;
  void showProgress(int percent) override;
  void lightIndicator() override;
  void releaseDownloadSwitch() override { engineFinished_ = true; }
  void armRetryTimer() override {}
  void disarmRetryTimer() override {}
  void appendFrameLog(const std::string&) override {}
  void appendReplyLog(const std::string&) override {}
  bool keepsLogs() const override { return false; }

  Line& line_;
  Timers& timers_;
  DownloadObserver& observer_;
  const SessionTiming timing_;
  DownloadProtocol engine_{*this};
  Dump dump_;
  ReplyFraming framing_;

  Phase phase_ = Phase::idle;
  OneShotTimer silenceTimer_;
  OneShotTimer quietTimer_;
  OneShotTimer stallTimer_;
  std::chrono::milliseconds holdQuiet_{};

  // The line of the last complete reply, until nothing ran on from it.
  std::optional<std::string> pendingLine_;
  int pendingProgress_ = 0;
  int shownProgress_ = 0;
  std::vector<std::uint8_t> heldChunk_;
  Line::Clock::time_point heldAt_{};
  std::optional<Line::Clock::duration> strayDelay_;  // the longest seen

  bool requestWritten_ = false;
  // When the reply now awaited was first asked for: a retry after silence
  // leaves it, as the first request's reply may still come.
  Line::Clock::time_point requestAt_{};
  Line::Clock::time_point lastRequestAt_{};  // the newest request, whatever it was
  Line::Clock::duration longestReplyWait_{};
  bool engineFinished_ = false;
  bool verifyBlock_ = false;  // after asking again, a reply must be followed by quiet
  bool quietMode_ = false;
  bool straysInHold_ = false;
  int cleanHeldBlocks_ = 0;
  int attempts_ = 0;
  int attemptsBlock_ = -1;
  int misbehavingBlocks_ = 0;
  int lastMisbehavingBlock_ = -1;
};

}  // namespace kq
