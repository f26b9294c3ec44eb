#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/column_statistics.h"
#include "analysis/dump_model.h"

namespace kq {

// Each record's moment: seconds into the year of the log's first record
// (record_time.h), counting on across the turn of the year. A record whose
// date or time cannot be read stands at the moment of the record before it
// (the first readable one for those at the start), so that every record keeps
// its place on a time axis; a log without any readable moment counts one
// second a record from 0.
std::vector<double> recordMoments(const DumpModel& model);

// Drives compared on one time axis. The first is the reference; each keeps
// its own records (nothing is resampled): record p of drive d stands at
//   alignedTime(d, p) = moment(d, p) + offset(d) - moment(0, 0),
// that is in seconds from the reference's first record. An offset is the
// seconds added to that drive's own times to line it up with the reference;
// by default every drive starts with the reference (startOffset). The models
// are the caller's, kept alive and in place while compared.
class DriveComparison {
 public:
  // Appends a drive with its start lined up.
  void addDrive(const DumpModel& model);
  int driveCount() const { return int(drives_.size()); }
  // "A" for the reference, "B", "C"… after it.
  static std::string driveName(int drive);

  const DumpModel& model(int drive) const { return *drives_[drive].model; }
  const std::vector<double>& moments(int drive) const { return drives_[drive].moments; }

  double offset(int drive) const { return drives_[drive].offset; }
  void setOffset(int drive, double seconds);
  // The offset that lines the drive's first record up with the reference's.
  double startOffset(int drive) const;
  double alignedTime(int drive, int position) const;
  // Every record's aligned time, in record order.
  std::vector<double> alignedTimes(int drive) const;

 private:
  struct Drive {
    const DumpModel* model;
    std::vector<double> moments;
    double offset = 0;
  };
  std::vector<Drive> drives_;
};

// Where an event first holds in each drive and the offsets that line those
// records up with the reference's.
struct EventAlignment {
  std::vector<std::optional<int>> matches;  // record positions, per drive
  // Per drive; a drive without a match, and every drive when the reference
  // has none, keeps its start lined up with the reference's.
  std::vector<double> offsets;
};

// The first record of each drive where the expression holds (a number other
// than 0). The expression is read against each drive's own titles; throws
// ExpressionError for the first drive it does not fit, with that drive's
// name in front of the problem ("запись B: позиция 2: неизвестный параметр…").
EventAlignment alignOnEvent(const DriveComparison& drives, std::string_view expression);

// The records of a drive whose aligned time lies in [from, to] and that the
// selection keeps, as a selection for columnStatistics.
std::vector<char> recordsBetween(const DriveComparison& drives, int drive, double from, double to,
                                 RecordSelection kept = {});

// The titles of the reference that a drive lacks, in the reference's order.
std::vector<std::string> missingTitles(const DumpModel& reference, const DumpModel& drive);

}  // namespace kq
