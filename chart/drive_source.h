#pragma once

#include <vector>

#include "analysis/dump_model.h"

namespace kq {

// One drive as the chart window's tabs read it: its model and the records the
// filter keeps (empty: all), kept alive by the window while a tab holds them.
// Drive 0 is A, whose titles the tabs' selectors list.
struct DriveSource {
  const DumpModel* model = nullptr;
  const std::vector<char>* kept = nullptr;
  bool operator==(const DriveSource&) const = default;
};

}  // namespace kq
