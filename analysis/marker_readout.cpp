#include "analysis/marker_readout.h"

#include <algorithm>
#include <cmath>

#include "analysis/record_time.h"
#include "decode/number_text.h"

namespace kq {
namespace {
bool hasPoint(const SeriesSource& series, int x, RecordSelection kept) {
  return series.column >= 0 && x >= 0 && x < series.points &&
         (kept.empty() || (std::size_t(x) < kept.size() && kept[x]));
}
}  // namespace

std::string seriesValueAt(const DumpModel& model, const SeriesSource& series, int x, RecordSelection kept) {
  return hasPoint(series, x, kept) ? model.cell(x + 1, series.column) : std::string();
}

MarkerReadout readMarkers(const DumpModel& model, std::span<const SeriesSource> series,
                          std::optional<int> marker1, std::optional<int> marker2, RecordSelection kept) {
  MarkerReadout readout;
  const char separator = model.decimalSeparator();
  if (marker1 && marker2) {
    readout.distance = *marker2 - *marker1;
    const int earlier = std::min(*marker1, *marker2), later = std::max(*marker1, *marker2);
    if (later < model.recordCount())
      readout.seconds =
          secondsBetween(model.date(earlier), model.time(earlier), model.date(later), model.time(later));
    if (readout.seconds && *marker2 < *marker1) readout.seconds = -*readout.seconds;
    for (int x = std::max(earlier, 0); x <= std::min(later, model.recordCount() - 1); ++x) {
      ++readout.records;
      if (kept.empty() || (std::size_t(x) < kept.size() && kept[x])) ++readout.keptRecords;
    }
  }
  for (std::size_t i = 0; i < series.size(); ++i) {
    if (!series[i].visible) continue;
    SeriesReadout row;
    row.series = static_cast<int>(i);
    if (marker1) row.atMarker1 = seriesValueAt(model, series[i], *marker1, kept);
    if (marker2) row.atMarker2 = seriesValueAt(model, series[i], *marker2, kept);
    if (!row.atMarker1.empty() && !row.atMarker2.empty()) {
      const std::vector<long double>& values = model.values(series[i].column);
      appendNumber(row.difference, values[*marker2] - values[*marker1], separator);
    }
    if (marker1 && marker2) {
      const int last = std::min(std::max(*marker1, *marker2), series[i].points - 1);
      if (series[i].column >= 0)
        if (auto statistics =
                columnStatistics(model, series[i].column, std::min(*marker1, *marker2), last, kept)) {
          appendNumber(row.minimum, statistics->minimum, separator);
          appendNumber(row.maximum, statistics->maximum, separator);
          appendNumber(row.mean, statistics->mean, separator);
        }
    }
    readout.rows.push_back(std::move(row));
  }
  return readout;
}

}  // namespace kq
