#pragma once

#include <QString>
#include <optional>
#include <span>

#include "analysis/dump_model.h"
#include "analysis/marker_readout.h"

namespace kq {

// The chart window's readouts as rich text; titles[i] names series i.

// "n = 2 143 из 7 680": the records kept of so many, thousands grouped by a space.
QString keptCountText(long kept, long total);

// The hover line at record position x: position, date, time, record number
// and each visible series' title and value there. Empty off the records.
QString positionReadoutText(const DumpModel& model, std::span<const SeriesSource> series,
                            std::span<const QString> titles, int x, RecordSelection kept);

// Both markers' positions, dates and times, the distance and time between
// them, and a table of each visible series: values at the markers, their
// difference and, with both markers set, "Минимум", "Максимум", "Среднее".
QString markerReadoutText(const DumpModel& model, const MarkerReadout& readout,
                          std::span<const QString> titles, std::optional<int> marker1,
                          std::optional<int> marker2);

}  // namespace kq
