#pragma once

#include <QString>

namespace kq {

// The cell table's choices as the user left them, for workspaces.
struct CellTableSettings {
  QString x, y, z;           // titles
  QString xBreaks, yBreaks;  // as typed; empty: even steps of the data
  int statistic = 0;         // item of "Статистика"
  int minimumRecords = 1;
};

}  // namespace kq
