// kq-cli chart in a build without the chart window (no Qt Widgets).
#include <cstdio>

#include "cli/commands.h"

namespace kq::cli {

int runChart(const std::vector<std::string>&) {
  std::fprintf(stderr, "kq-cli chart: not available in this build (it was built without the chart window)\n");
  return 1;
}

}  // namespace kq::cli
