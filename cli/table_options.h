#pragma once

#include <string>

#include "analysis/cell_table.h"
#include "cli/analysis_options.h"

namespace kq::cli {

struct TableOptions {
  std::string x, y, z;
  CellStatistic statistic = CellStatistic::count;
  std::string xBreaks, yBreaks;  // as typed; empty: 8 even steps of the data
  AnalysisOptions analysis;
  std::string dump;
};

// The table of options.dump to standard output; the exit status.
int runTableWith(const TableOptions& options, char decimalSeparator);

}  // namespace kq::cli
