#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <span>

#include "analysis/drive_comparison.h"
#include "analysis/marker_readout.h"

namespace kq {

// One series of drives compared: its title and, per drive, the grid column
// of that title (nothing where the drive lacks it).
struct ComparedSeries {
  QString title;
  std::vector<std::optional<int>> columns;
};

// The marker readout of drives compared: the markers' times and, with both
// set, a table of each series' minimum, maximum and mean per drive over the
// same aligned interval, with the mean's difference to drive A; "нет в
// записи B" where a drive lacks the parameter. `kept` gives each drive's
// filtered records.
QString compareReadoutText(const DriveComparison& drives, std::span<const ComparedSeries> series,
                           const std::function<RecordSelection(int drive)>& kept,
                           std::optional<double> marker1, std::optional<double> marker2);

// The hover line at aligned time x: the time and, per drive, the record
// shown there (the last one at or before x).
QString comparePositionText(const DriveComparison& drives, double x);

}  // namespace kq
