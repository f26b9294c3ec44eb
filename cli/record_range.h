#pragma once

#include <climits>
#include <string>
#include <vector>

namespace kq::cli {

// The records of kq-cli stats and chart: chart positions from..to inclusive,
// 0-based as the chart's "Точка данных"; all records by default.
struct RecordRange {
  int from = 0;
  int to = INT_MAX;
};

enum class RangeOption { notRange, taken, invalid };

// Takes "--from N" or "--to N" (or "--from=N") at args[i], advancing i past a
// separate value; invalid for a missing or negative value.
RangeOption takeRangeOption(const std::vector<std::string>& args, std::size_t& i, RecordRange& range);

// The message for a range without records in a dump of `records` records.
std::string emptyRangeMessage(const RecordRange& range, int records);

}  // namespace kq::cli
