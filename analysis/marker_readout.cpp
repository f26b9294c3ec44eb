#include "analysis/marker_readout.h"

#include <algorithm>

#include "analysis/column_statistics.h"
#include "analysis/record_time.h"
#include "analysis/series_values.h"
#include "decode/number_text.h"

namespace kq {

std::string_view seriesValueAt(const ChartGrid& grid, const SeriesSource& series, int x) {
  if (series.column < 0 || x < 0 || x >= series.points) return {};
  return grid.cell(x + 1, series.column);
}

MarkerReadout readMarkers(const ChartGrid& grid, std::span<const SeriesSource> series,
                          std::optional<int> marker1, std::optional<int> marker2, char decimalSeparator) {
  MarkerReadout readout;
  if (marker1 && marker2) {
    readout.distance = *marker2 - *marker1;
    const int earlier = std::min(*marker1, *marker2) + 1, later = std::max(*marker1, *marker2) + 1;
    readout.seconds = secondsBetween(grid.cell(earlier, kDateColumn), grid.cell(earlier, kTimeColumn),
                                     grid.cell(later, kDateColumn), grid.cell(later, kTimeColumn));
    if (readout.seconds && *marker2 < *marker1) readout.seconds = -*readout.seconds;
  }
  for (std::size_t i = 0; i < series.size(); ++i) {
    if (!series[i].visible) continue;
    SeriesReadout row;
    row.series = static_cast<int>(i);
    if (marker1) row.atMarker1 = seriesValueAt(grid, series[i], *marker1);
    if (marker2) row.atMarker2 = seriesValueAt(grid, series[i], *marker2);
    if (!row.atMarker1.empty() && !row.atMarker2.empty()) {
      long double a = readCellNumber(row.atMarker1, decimalSeparator);
      long double b = readCellNumber(row.atMarker2, decimalSeparator);
      appendNumber(row.difference, b - a, decimalSeparator);
    }
    if (marker1 && marker2) {
      int last = std::min(std::max(*marker1, *marker2), series[i].points - 1);
      if (auto statistics = columnStatistics(grid, series[i].column, std::min(*marker1, *marker2), last,
                                             decimalSeparator)) {
        appendNumber(row.minimum, statistics->minimum, decimalSeparator);
        appendNumber(row.maximum, statistics->maximum, decimalSeparator);
        appendNumber(row.mean, statistics->mean, decimalSeparator);
      }
    }
    readout.rows.push_back(std::move(row));
  }
  return readout;
}

}  // namespace kq
