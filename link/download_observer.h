#pragma once

#include <string>

namespace kq {

// Why the session asked for a block again.
enum class AskAgainReason {
  noReply,    // the line stayed silent, or fell silent mid-reply
  tooLong,    // more than 259 bytes came in one run
  twoBursts,  // the reply came in two bursts with a silence between them
  runOn,      // bytes ran on from a reply, or came before a reply could
};

// What a download session reports to the program around it, on the main
// thread. The texts people read are the program's own.
class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;

  // The device answered or was spoken to; the indicator is never switched off.
  virtual void indicatorLit() {}
  // The device confirmed the link.
  virtual void linked() {}
  // A download began: the lines of the last one are no longer reported on.
  virtual void downloadStarted() = 0;
  // 0 to 100; never falls during one download.
  virtual void progressChanged(int percent) = 0;
  // The next line of the dump, in block order, once its reply proved clean.
  virtual void lineAdded(const std::string& line) = 0;
  // The last block is in.
  virtual void downloadDone() = 0;
  // The device went away or the line failed; the port has been closed.
  virtual void lineFailed(const std::string& message) = 0;
  // No block completed for the stall time; the port has been closed.
  virtual void stalled(int block) = 0;
  // No clean reply for the block after every attempt; the port has been closed.
  virtual void blockUnreadable(int block) = 0;
  virtual void blockAskedAgain(int /*block*/, AskAgainReason /*reason*/) {}
};

}  // namespace kq
