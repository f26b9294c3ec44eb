#pragma once

#include <optional>
#include <vector>

#include "analysis/chart_data.h"

namespace kq {

struct ColumnStatistics {
  long double minimum = 0;
  long double maximum = 0;
  long double mean = 0;
};

// Minimum, maximum and mean of one grid column over the records at chart
// positions first to last inclusive (position p is grid row p + 1), clipped to
// the records there are; nothing when no record remains. Each value is the
// extended number nearest to its text; the texts are summed exactly as
// decimals (in extended precision should one not fit) and the sum divided in
// extended precision. Throws ConversionError for a cell that is not a number.
std::optional<ColumnStatistics> columnStatistics(const ChartGrid& grid, int column, int first, int last,
                                                 char decimalSeparator);

// The same for every column from firstColumn on, in column order, read row by
// row (much faster than column by column for many columns). A cell that is
// not a number fails with the first such cell in row order.
std::optional<std::vector<ColumnStatistics>> columnsStatistics(const ChartGrid& grid, int firstColumn,
                                                               int first, int last, char decimalSeparator);

}  // namespace kq
