#include "link/download_session.h"

#include <algorithm>
#include <exception>

namespace kq {

DownloadSession::DownloadSession(Line& line, Timers& timers, DownloadObserver& observer, SessionTiming timing)
    : line_(line),
      timers_(timers),
      observer_(observer),
      timing_(timing),
      framing_(ReplyFraming::Duration(timing.burstGap)),
      silenceTimer_(timers),
      quietTimer_(timers),
      stallTimer_(timers) {
  line_.setHandlers([this](std::span<const std::uint8_t> chunk,
                           Line::Clock::time_point arrivedAt) { onReceived(chunk, arrivedAt); },
                    [this](const std::string& message) { stop(Stop::lineFailed, message); });
}

DownloadSession::~DownloadSession() {
  line_.setHandlers({}, {});
  line_.close();
}

void DownloadSession::link(const std::string& portName) {
  if (line_.isOpen()) stop(Stop::byUser);
  line_.open(portName);
  engine_.beginLink();
}

void DownloadSession::unlink() { stop(Stop::byUser); }

void DownloadSession::startDownload() {
  silenceTimer_.stop();
  quietTimer_.stop();
  stallTimer_.stop();
  heldChunk_.clear();
  pendingLine_.reset();
  framing_.forgetLastReply();
  verifyBlock_ = false;
  quietMode_ = false;
  cleanHeldBlocks_ = 0;
  strayDelay_.reset();
  longestReplyWait_ = {};
  engineFinished_ = false;
  attempts_ = 0;
  attemptsBlock_ = -1;
  misbehavingBlocks_ = 0;
  lastMisbehavingBlock_ = -1;

  phase_ = Phase::collecting;
  requestWritten_ = false;
  try {
    engine_.startDownload();
  } catch (...) {
    phase_ = Phase::idle;
    throw;
  }
  stallTimer_.start(timing_.stallAfter, [this] { onStall(); });
  afterEngineCall();
}

template <typename Step>
void DownloadSession::guarded(Step step) {
  try {
    step();
  } catch (const std::exception& error) {
    stop(Stop::lineFailed, error.what());
  }
}

void DownloadSession::onReceived(std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt) {
  switch (phase_) {
    case Phase::idle:
      // A download that stopped leaves its engine collecting: its bytes go nowhere.
      if (engine_.linkState() == LinkState::downloading) return;
      guarded([&] {
        const LinkState before = engine_.linkState();
        engine_.receiveChunk(chunk);
        if (before != LinkState::linked && engine_.linkState() == LinkState::linked) observer_.linked();
      });
      return;
    case Phase::resyncing:
      // Dropped: whatever comes now belongs to no request of ours.
      quietTimer_.start(quietForLateReplies(), [this] { onQuietLine(); });
      return;
    case Phase::holding:
      if (framing_.continuesLastReply(chunk.size(), arrivedAt)) return misframed(AskAgainReason::runOn);
      // Stray bytes after a complete reply: dropped, and the quiet starts over.
      noteMisbehaviour();
      straysInHold_ = true;
      strayDelay_ = std::max(strayDelay_.value_or(Line::Clock::duration::zero()), arrivedAt - heldAt_);
      quietTimer_.start(holdQuiet_, [this] { onQuietLine(); });
      return;
    case Phase::collecting:
      collect(chunk, arrivedAt);
      return;
  }
}

void DownloadSession::collect(std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt) {
  if (framing_.filled() == 0 && pendingLine_) {
    if (framing_.startsBeforeReplyPossible(chunk.size(), arrivedAt, lastRequestAt_)) {
      // The reply just taken ran on: it held more than one block's bytes.
      pendingLine_.reset();
      engine_.rewindTo(engine_.blockNumber() - 1);
      return misframed(AskAgainReason::runOn);
    }
    commitPendingLine();
  }
  if (framing_.filled() == 0)
    longestReplyWait_ = std::max<Line::Clock::duration>(longestReplyWait_, arrivedAt - requestAt_);
  silenceTimer_.start(timing_.retryAfterSilence, [this] { onSilence(); });
  switch (framing_.add(chunk.size(), arrivedAt)) {
    case ReplyFraming::Verdict::twoBursts:
      return misframed(AskAgainReason::twoBursts);
    case ReplyFraming::Verdict::tooLong:
      return misframed(AskAgainReason::tooLong);
    case ReplyFraming::Verdict::collecting:
      return guarded([&] { feedEngine(chunk); });
    case ReplyFraming::Verdict::complete:
      // Bytes already waiting came before the next request could go out.
      if (line_.bytesWaiting() > 0) return misframed(AskAgainReason::tooLong);
      if (engine_.blockNumber() == DownloadProtocol::kLastBlock || verifyBlock_ || quietMode_)
        return hold(chunk, arrivedAt);
      return guarded([&] { feedEngine(chunk); });
  }
}

void DownloadSession::feedEngine(std::span<const std::uint8_t> chunk) {
  requestWritten_ = false;
  engine_.receiveChunk(chunk);
  afterEngineCall();
}

void DownloadSession::afterEngineCall() {
  if (engineFinished_) {
    engineFinished_ = false;
    phase_ = Phase::idle;
    silenceTimer_.stop();
    quietTimer_.stop();
    stallTimer_.stop();
    if (pendingLine_) commitPendingLine();
    observer_.downloadDone();
    return;
  }
  if (!requestWritten_) return;
  requestWritten_ = false;
  requestAt_ = lastRequestAt_ = timers_.now();
  framing_.startReply();
  silenceTimer_.start(timing_.retryAfterSilence, [this] { onSilence(); });
}

void DownloadSession::hold(std::span<const std::uint8_t> chunk, Line::Clock::time_point arrivedAt) {
  heldChunk_.assign(chunk.begin(), chunk.end());
  heldAt_ = arrivedAt;
  straysInHold_ = false;
  phase_ = Phase::holding;
  silenceTimer_.stop();
  holdQuiet_ = verifyBlock_ ? quietForLateReplies()
               : quietMode_ ? quietAfterEachBlock()
                            : timing_.settleAfterLastBlock;
  if (engine_.blockNumber() == DownloadProtocol::kLastBlock)
    holdQuiet_ = std::max(holdQuiet_, timing_.settleAfterLastBlock);
  quietTimer_.start(holdQuiet_, [this] { onQuietLine(); });
}

std::chrono::milliseconds DownloadSession::quietAfterEachBlock() const {
  if (!strayDelay_) return timing_.quietAfterEachBlock;
  const auto threeTimes = std::chrono::ceil<std::chrono::milliseconds>(3 * *strayDelay_);
  return std::clamp(threeTimes, timing_.shortestQuietAfterEachBlock, timing_.quietAfterEachBlock);
}

std::chrono::milliseconds DownloadSession::quietForLateReplies() const {
  constexpr std::chrono::milliseconds kLongest{1000};
  const auto twice = std::chrono::ceil<std::chrono::milliseconds>(2 * longestReplyWait_);
  return std::clamp(twice, timing_.quietBeforeAskingAgain,
                    std::max(kLongest, timing_.quietBeforeAskingAgain));
}

void DownloadSession::onQuietLine() {
  if (phase_ == Phase::resyncing) return askAgain();
  if (phase_ != Phase::holding) return;
  guarded([&] {
    line_.discardInput();
    phase_ = Phase::collecting;
    verifyBlock_ = false;
    if (quietMode_) noteHeldBlockEnded();
    const std::vector<std::uint8_t> chunk = std::move(heldChunk_);
    heldChunk_.clear();
    feedEngine(chunk);
    // The quiet line has shown that nothing ran on from this reply.
    if (pendingLine_) commitPendingLine();
  });
}

void DownloadSession::onSilence() {
  if (phase_ != Phase::collecting) return;
  // Bytes already here are on their way to onReceived: the reply has started.
  if (line_.bytesWaiting() > 0) {
    silenceTimer_.start(timing_.retryAfterSilence, [this] { onSilence(); });
    return;
  }
  if (pendingLine_) commitPendingLine();
  observer_.blockAskedAgain(engine_.blockNumber(), AskAgainReason::noReply);
  // The first request's reply may still come: its wait counts from then.
  const auto firstAskedAt = requestAt_;
  askAgain();
  requestAt_ = firstAskedAt;
}

void DownloadSession::misframed(AskAgainReason reason) {
  const int block = engine_.blockNumber();
  heldChunk_.clear();
  silenceTimer_.stop();
  if (attemptsBlock_ != block) {
    attemptsBlock_ = block;
    attempts_ = 0;
  }
  if (++attempts_ > timing_.attemptsPerBlock) return stop(Stop::unreadable);
  noteMisbehaviour();
  observer_.blockAskedAgain(block, reason);
  phase_ = Phase::resyncing;
  framing_.forgetLastReply();
  quietTimer_.start(quietForLateReplies(), [this] { onQuietLine(); });
}

void DownloadSession::askAgain() {
  guarded([&] {
    // Whatever is still queued belongs to an earlier request.
    line_.discardInput();
    framing_.forgetLastReply();
    phase_ = Phase::collecting;
    // A late reply to the earlier request may still come: the reply to this
    // one counts only when the line is quiet after it.
    verifyBlock_ = true;
    requestWritten_ = false;
    engine_.retryTick();
    afterEngineCall();
  });
}

void DownloadSession::commitPendingLine() {
  dump_.append(std::move(*pendingLine_));
  pendingLine_.reset();
  observer_.lineAdded(dump_.size() - 1);
  if (pendingProgress_ > shownProgress_) {
    shownProgress_ = pendingProgress_;
    observer_.progressChanged(shownProgress_);
  }
  if (phase_ != Phase::idle) stallTimer_.start(timing_.stallAfter, [this] { onStall(); });
}

void DownloadSession::noteMisbehaviour() {
  cleanHeldBlocks_ = 0;
  const int block = engine_.blockNumber();
  if (block == lastMisbehavingBlock_) return;
  lastMisbehavingBlock_ = block;
  if (++misbehavingBlocks_ >= timing_.misframedBlocksBeforeQuietMode) quietMode_ = true;
}

void DownloadSession::noteHeldBlockEnded() {
  cleanHeldBlocks_ = straysInHold_ ? 0 : cleanHeldBlocks_ + 1;
  // A line that has calmed down gets its full pace back.
  if (cleanHeldBlocks_ < timing_.cleanBlocksToEndQuietMode) return;
  quietMode_ = false;
  cleanHeldBlocks_ = 0;
  misbehavingBlocks_ = 0;
}

void DownloadSession::onStall() { stop(Stop::stalled); }

void DownloadSession::stop(Stop why, const std::string& message) {
  const int block = engine_.blockNumber();
  phase_ = Phase::idle;
  silenceTimer_.stop();
  quietTimer_.stop();
  stallTimer_.stop();
  heldChunk_.clear();
  // Its own reply was clean; only what follows it was not seen yet.
  if (pendingLine_) commitPendingLine();
  line_.close();
  switch (why) {
    case Stop::byUser:
      return;
    case Stop::lineFailed:
      return observer_.lineFailed(message);
    case Stop::stalled:
      return observer_.stalled(block);
    case Stop::unreadable:
      return observer_.blockUnreadable(block);
  }
}

void DownloadSession::writeBytes(std::span<const std::uint8_t> bytes) {
  line_.write(bytes);
  if (phase_ != Phase::idle) requestWritten_ = true;
}

void DownloadSession::clearDump() {
  dump_.clear();
  pendingLine_.reset();
  shownProgress_ = 0;
  observer_.downloadStarted();
}

void DownloadSession::appendDumpLine(std::string line) { pendingLine_ = std::move(line); }

void DownloadSession::showStatus(const std::string& text) { observer_.statusChanged(text); }

void DownloadSession::showProgress(int percent) {
  if (pendingLine_) {
    pendingProgress_ = percent;
    return;
  }
  shownProgress_ = percent;
  observer_.progressChanged(percent);
}

void DownloadSession::lightIndicator() { observer_.indicatorLit(); }

}  // namespace kq
