#pragma once

#include <string>

#include "analysis/cell_table.h"

namespace kq {

// The cell table's choices as the user left them.
struct CellTableSettings {
  std::string x, y, z;           // parameter titles
  std::string xBreaks, yBreaks;  // as typed; empty: even steps of the data
  CellStatistic statistic = CellStatistic::count;
  int minimumRecords = 1;   // cells with fewer records are greyed
  int drive = 0;            // whose table, with drives compared: 0 for A
  bool difference = false;  // that drive's statistic less A's
  bool operator==(const CellTableSettings&) const = default;
};

}  // namespace kq
