#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/column_statistics.h"
#include "analysis/dump_model.h"

namespace kq {

// What one series shows: the grid column it was last filled from and how many
// points that gave (x = 0 to points - 1).
struct SeriesSource {
  bool visible = false;
  int column = -1;
  int points = 0;
};

// The grid text a series shows at x, or empty where it has no point (or the
// record is not kept).
std::string seriesValueAt(const DumpModel& model, const SeriesSource& series, int x,
                          RecordSelection kept = {});

// One row of the marker readout; a text is empty where there is no value.
struct SeriesReadout {
  int series = 0;  // index 0 to 9
  std::string atMarker1;
  std::string atMarker2;
  std::string difference;  // value at marker 2 minus value at marker 1
  // Over the kept records between the markers, both included.
  std::string minimum;
  std::string maximum;
  std::string mean;
};

struct MarkerReadout {
  std::optional<int> distance;  // marker 2 minus marker 1, in records
  std::optional<long> seconds;  // from marker 1 to marker 2, by the records' dates and times
  // With both markers: the records between them, both included, and how many of those are kept.
  long records = 0;
  long keptRecords = 0;
  std::vector<SeriesReadout> rows;  // the visible series, in series order
};

// The values of every visible series at the two markers (x positions), their
// difference, and the minimum, maximum and mean of the series between them,
// in the grid's number text; and the distance and time between the markers.
MarkerReadout readMarkers(const DumpModel& model, std::span<const SeriesSource> series,
                          std::optional<int> marker1, std::optional<int> marker2, RecordSelection kept = {});

}  // namespace kq
