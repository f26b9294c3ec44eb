#pragma once

#include "dump/dump.h"
#include "sim/drive_profile.h"
#include "sim/memory.h"

namespace kq::sim {

// A controller's log memory over a long history: records are written one after
// another into its kMaxRecords places, the oldest overwritten once the memory
// is full, so that downloads made now and then overlap as a car's do.
class LogRing {
 public:
  explicit LogRing(int controllerType);

  // Writes the next records of the drive.
  void write(int records);
  // The whole memory as a download gives it.
  Dump download() const;
  int written() const { return written_; }

 private:
  int controllerType_;
  Memory memory_;
  DriveProfile drive_;
  int written_ = 0;
};

}  // namespace kq::sim
