#pragma once

#include <cstddef>
#include <string>

namespace kq {

// Why the session asked for a block again.
enum class AskAgainReason {
  noReply,     // the line stayed silent, or fell silent mid-reply
  tooLong,     // more than 259 bytes came in one run
  twoBursts,   // the reply came in two bursts with a silence between them
  runOn,       // the bytes after a reply ran on from it
  strayBytes,  // bytes came while no reply was due
};

// What a download session reports to the program around it, on the main
// thread. The session's dump holds every line reported as added.
class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;

  // Status texts are UTF-8, the system's own.
  virtual void statusChanged(const std::string& text) = 0;
  // 0 to 100; never falls during one download.
  virtual void progressChanged(int percent) = 0;
  // The device answered or was spoken to; the indicator is never switched off.
  virtual void indicatorLit() = 0;
  // The device confirmed the link.
  virtual void linked() {}
  // The dump was emptied for a new download.
  virtual void downloadStarted() = 0;
  // dump().line(index) was added; lines are added in block order.
  virtual void lineAdded(std::size_t index) = 0;
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
