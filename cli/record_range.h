#pragma once

#include <climits>
#include <string>

namespace kq::cli {

// The records of kq-cli stats and chart: chart positions from..to inclusive,
// 0-based as the chart's "Точка данных"; all records by default.
struct RecordRange {
  int from = 0;
  int to = INT_MAX;
};

// The message for a range without records in a dump of `records` records.
std::string emptyRangeMessage(const RecordRange& range, int records);

}  // namespace kq::cli
