#include "link/download_session.h"

#include <algorithm>
#include <exception>

#include "dump/block_layout.h"
#include "link/trace.h"

namespace kq {
namespace {

const char* reasonText(AskAgainReason reason) {
  switch (reason) {
    case AskAgainReason::noReply:
      return "no reply, or it fell silent";
    case AskAgainReason::tooLong:
      return "more than 259 bytes";
    case AskAgainReason::twoBursts:
      return "two bursts";
    case AskAgainReason::runOn:
      return "bytes ran on from a reply";
  }
  return "";
}

std::string blockName(int block) { return "block " + layout::blockNumberText(block); }

std::string millis(std::chrono::milliseconds time) { return std::to_string(time.count()) + " ms"; }

}  // namespace

DownloadSession::DownloadSession(Line& line, Timers& timers, DownloadObserver& observer, SessionTiming timing)
    : line_(line),
      timers_(timers),
      observer_(observer),
      timing_(timing),
      run_(timing.burstGap),
      silenceTimer_(timers),
      quietTimer_(timers),
      stallTimer_(timers) {
  line_.setHandlers([this](std::span<const std::uint8_t> chunk,
                           Clock::time_point arrivedAt) { onReceived(chunk, arrivedAt); },
                    [this](const std::string& message) { stop(Stop::lineFailed, message); });
}

DownloadSession::~DownloadSession() {
  line_.setHandlers({}, {});
  line_.close();
}

void DownloadSession::link(const std::string& portName) {
  if (line_.isOpen()) stop(Stop::byUser);
  // A new port may lead to another device over another kind of line.
  run_ = Run(timing_.burstGap);
  line_.open(portName);
  engine_.beginLink();
  note("port " + portName + " opened");
}

void DownloadSession::unlink() { stop(Stop::byUser); }

void DownloadSession::startDownload() {
  stopTimers();
  run_ = Run(timing_.burstGap);
  run_.phase = Phase::collecting;
  note("download started");
  observer_.downloadStarted();
  try {
    carryOut(engine_.startDownload());
  } catch (...) {
    run_.phase = Phase::idle;
    throw;
  }
  stallTimer_.start(timing_.stallAfter, [this] { onStall(); });
  requestSent(false);
}

template <typename Step>
void DownloadSession::guarded(Step step) {
  try {
    step();
  } catch (const std::exception& error) {
    stop(Stop::lineFailed, error.what());
  }
}

void DownloadSession::note(const std::string& text) {
  if (trace_) trace_->note(timers_.now(), text);
}

bool DownloadSession::carryOut(ProtocolSteps steps) {
  if (steps.indicator) observer_.indicatorLit();
  for (std::string& line : steps.lines) {
    if (run_.pendingLine) commitPendingLine();
    run_.pendingLine = std::move(line);
  }
  if (steps.progress) {
    run_.pendingProgress = *steps.progress;
    if (!run_.pendingLine) {
      run_.shownProgress = *steps.progress;
      observer_.progressChanged(*steps.progress);
    }
  }
  const bool sent = !steps.send.empty();
  if (sent) {
    if (trace_) trace_->sent(timers_.now(), steps.send);
    line_.write(steps.send);
  }
  if (steps.done) finish();
  // Last: the observer may start the download from here.
  if (steps.linked) {
    note("linked");
    observer_.linked();
  }
  return sent;
}

void DownloadSession::requestSent(bool retry) {
  // The write may have ended the download (a lost line).
  if (run_.phase == Phase::idle) return;
  const auto now = timers_.now();
  if (!retry) run_.firstAskedAt = now;
  run_.retried = retry;
  run_.framing.startReply(now, run_.firstAskedAt);
  silenceTimer_.start(silenceWindow(), [this] { onSilence(); });
}

void DownloadSession::onReceived(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt) {
  if (trace_) trace_->received(arrivedAt, chunk);
  switch (run_.phase) {
    case Phase::idle:
      // A download that stopped leaves its engine collecting: its bytes go nowhere.
      if (engine_.linkState() == LinkState::downloading) return;
      guarded([&] { carryOut(engine_.receiveChunk(chunk)); });
      return;
    case Phase::resyncing:
      // Dropped: whatever comes now belongs to no request of ours.
      quietTimer_.start(silenceWindow(), [this] { onQuietLine(); });
      return;
    case Phase::holding:
      if (run_.framing.mayContinueLastReply(chunk.size(), arrivedAt)) return misframed(AskAgainReason::runOn);
      // Stray bytes after a complete reply: dropped, and the quiet starts over.
      // After a retry they may be the second reply, which is no misbehaviour.
      note("stray bytes dropped");
      if (!run_.verifyBlock) noteMisbehaviour();
      run_.straysInHold = true;
      run_.strayDelay = std::max(run_.strayDelay.value_or(Clock::duration::zero()), arrivedAt - run_.heldAt);
      quietTimer_.start(run_.holdQuiet, [this] { onQuietLine(); });
      return;
    case Phase::collecting:
      collect(chunk, arrivedAt);
      return;
  }
}

void DownloadSession::collect(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt) {
  ReplyFraming& framing = run_.framing;
  if (framing.filled() == 0 && run_.pendingLine) {
    if (framing.ranOnBeforeRequest(chunk.size(), arrivedAt)) {
      // The reply just taken ran on: it held more than one block's bytes.
      run_.pendingLine.reset();
      engine_.rewindTo(engine_.blockNumber() - 1);
      return misframed(AskAgainReason::runOn);
    }
    commitPendingLine();
  }
  silenceTimer_.start(silenceWindow(), [this] { onSilence(); });
  switch (framing.add(chunk.size(), arrivedAt)) {
    case ReplyFraming::Verdict::twoBursts:
      return misframed(AskAgainReason::twoBursts);
    case ReplyFraming::Verdict::tooLong:
      return misframed(AskAgainReason::tooLong);
    case ReplyFraming::Verdict::collecting:
      return guarded([&] { feedEngine(chunk); });
    case ReplyFraming::Verdict::complete:
      // Bytes already waiting came before the next request could go out.
      if (line_.bytesWaiting() > 0) return misframed(AskAgainReason::tooLong);
      if (engine_.blockNumber() == layout::kLastBlock || run_.verifyBlock || run_.quietMode)
        return hold(chunk, arrivedAt);
      return guarded([&] { feedEngine(chunk); });
  }
}

void DownloadSession::feedEngine(std::span<const std::uint8_t> chunk) {
  if (carryOut(engine_.receiveChunk(chunk))) requestSent(false);
}

void DownloadSession::finish() {
  run_.phase = Phase::idle;
  stopTimers();
  if (run_.pendingLine) commitPendingLine();
  note("download done");
  observer_.downloadDone();
}

void DownloadSession::hold(std::span<const std::uint8_t> chunk, Clock::time_point arrivedAt) {
  run_.heldChunk.assign(chunk.begin(), chunk.end());
  run_.heldAt = arrivedAt;
  run_.straysInHold = false;
  run_.phase = Phase::holding;
  silenceTimer_.stop();
  run_.holdQuiet = run_.verifyBlock ? silenceWindow() : run_.quietMode ? quietAfterEachBlock() : settleTime();
  if (engine_.blockNumber() == layout::kLastBlock) run_.holdQuiet = std::max(run_.holdQuiet, settleTime());
  note("reply held until the line is quiet for " + millis(run_.holdQuiet));
  quietTimer_.start(run_.holdQuiet, [this] { onQuietLine(); });
}

std::chrono::milliseconds DownloadSession::silenceWindow() const {
  const auto twice = std::chrono::ceil<std::chrono::milliseconds>(2 * run_.framing.replyWait());
  return std::clamp(twice, timing_.retryAfterSilence,
                    std::max(timing_.longestSilenceWindow, timing_.retryAfterSilence));
}

std::chrono::milliseconds DownloadSession::quietAfterEachBlock() const {
  if (!run_.strayDelay) return timing_.quietAfterEachBlock;
  const auto threeTimes = std::chrono::ceil<std::chrono::milliseconds>(3 * *run_.strayDelay);
  return std::clamp(threeTimes, timing_.shortestQuietAfterEachBlock, timing_.quietAfterEachBlock);
}

std::chrono::milliseconds DownloadSession::settleTime() const {
  const auto twice = std::chrono::ceil<std::chrono::milliseconds>(2 * run_.framing.handOverDelay());
  return std::max(timing_.settleAfterLastBlock, twice);
}

void DownloadSession::onQuietLine() {
  if (run_.phase == Phase::resyncing) return askAgain();
  if (run_.phase != Phase::holding) return;
  guarded([&] {
    line_.discardInput();
    run_.phase = Phase::collecting;
    run_.verifyBlock = false;
    if (run_.quietMode) noteHeldBlockEnded();
    const std::vector<std::uint8_t> chunk = std::move(run_.heldChunk);
    run_.heldChunk.clear();
    feedEngine(chunk);
    // The quiet line has shown that nothing ran on from this reply.
    if (run_.pendingLine) commitPendingLine();
  });
}

void DownloadSession::onSilence() {
  if (run_.phase != Phase::collecting) return;
  // Bytes already here are on their way to onReceived: the reply has started.
  if (line_.bytesWaiting() > 0) {
    silenceTimer_.start(silenceWindow(), [this] { onSilence(); });
    return;
  }
  if (run_.pendingLine) commitPendingLine();
  if (run_.retried) {
    // One retry a request: the stall timer ends a device that stays silent.
    note(blockName(engine_.blockNumber()) + ": silent after its retry");
    return;
  }
  observer_.blockAskedAgain(engine_.blockNumber(), AskAgainReason::noReply);
  note(blockName(engine_.blockNumber()) + " asked again after " + millis(silenceWindow()) + " of silence");
  guarded([&] {
    // Whatever is still queued belongs to an earlier request.
    line_.discardInput();
    // A late reply to the first request may still come: the reply counts only
    // when the line is quiet after it.
    run_.verifyBlock = true;
    carryOut(engine_.retryTick());
    requestSent(true);
  });
}

void DownloadSession::misframed(AskAgainReason reason) {
  const int block = engine_.blockNumber();
  run_.heldChunk.clear();
  silenceTimer_.stop();
  if (run_.attemptsBlock != block) {
    run_.attemptsBlock = block;
    run_.attempts = 0;
  }
  if (++run_.attempts > timing_.attemptsPerBlock) return stop(Stop::unreadable);
  // Quiet lines keep stray bytes out of replies; they do nothing against a
  // silence, and a block asked for twice may well be answered twice.
  const bool strayEvidence = reason == AskAgainReason::tooLong || reason == AskAgainReason::runOn;
  if (strayEvidence && !run_.verifyBlock) noteMisbehaviour();
  observer_.blockAskedAgain(block, reason);
  note(blockName(block) + " misframed (" + reasonText(reason) + "); waiting " + millis(silenceWindow()) +
       " for a quiet line");
  run_.phase = Phase::resyncing;
  run_.framing.dropReply();
  quietTimer_.start(silenceWindow(), [this] { onQuietLine(); });
}

void DownloadSession::askAgain() {
  note(blockName(engine_.blockNumber()) + " asked again");
  guarded([&] {
    // Whatever is still queued belongs to an earlier request.
    line_.discardInput();
    run_.phase = Phase::collecting;
    // A late reply to the earlier request may still come: the reply to this
    // one counts only when the line is quiet after it.
    run_.verifyBlock = true;
    carryOut(engine_.retryTick());
    requestSent(false);
  });
}

void DownloadSession::commitPendingLine() {
  const std::string line = std::move(*run_.pendingLine);
  run_.pendingLine.reset();
  observer_.lineAdded(line);
  if (run_.pendingProgress > run_.shownProgress) {
    run_.shownProgress = run_.pendingProgress;
    observer_.progressChanged(run_.shownProgress);
  }
  if (run_.phase != Phase::idle) stallTimer_.start(timing_.stallAfter, [this] { onStall(); });
}

void DownloadSession::noteMisbehaviour() {
  run_.cleanHeldBlocks = 0;
  const int block = engine_.blockNumber();
  if (block == run_.lastMisbehavingBlock) return;
  run_.lastMisbehavingBlock = block;
  if (++run_.misbehavingBlocks >= timing_.misframedBlocksBeforeQuietMode && !run_.quietMode) {
    run_.quietMode = true;
    note("quiet mode: every reply waits for a quiet line");
  }
}

void DownloadSession::noteHeldBlockEnded() {
  run_.cleanHeldBlocks = run_.straysInHold ? 0 : run_.cleanHeldBlocks + 1;
  // A line that has calmed down gets its full pace back.
  if (run_.cleanHeldBlocks < timing_.cleanBlocksToEndQuietMode) return;
  run_.quietMode = false;
  run_.cleanHeldBlocks = 0;
  run_.misbehavingBlocks = 0;
  note("quiet mode ended");
}

void DownloadSession::onStall() {
  note(blockName(engine_.blockNumber()) + ": stalled, no block completed for " + millis(timing_.stallAfter));
  stop(Stop::stalled);
}

void DownloadSession::stopTimers() {
  silenceTimer_.stop();
  quietTimer_.stop();
  stallTimer_.stop();
}

void DownloadSession::stop(Stop why, const std::string& message) {
  const int block = engine_.blockNumber();
  const bool wasDownloading = run_.phase != Phase::idle;
  run_.phase = Phase::idle;
  stopTimers();
  run_.heldChunk.clear();
  // Its own reply was clean; only what follows it was not seen yet.
  if (run_.pendingLine) commitPendingLine();
  line_.close();
  switch (why) {
    case Stop::byUser:
      if (wasDownloading) note("download stopped by the user");
      return;
    case Stop::lineFailed:
      note("line failed: " + message);
      return observer_.lineFailed(message);
    case Stop::stalled:
      return observer_.stalled(block);
    case Stop::unreadable:
      note(blockName(block) + ": unreadable after " + std::to_string(timing_.attemptsPerBlock) + " attempts");
      return observer_.blockUnreadable(block);
  }
}

}  // namespace kq
