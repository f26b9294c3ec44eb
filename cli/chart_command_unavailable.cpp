// kq-cli chart in a build without the chart window (no Qt Widgets).
#include <cstdio>

#include "cli/commands.h"

namespace kq::cli {

Command addChartCommand(CLI::App& kqCli) {
  Command command(kqCli, "chart", "draw the chart of a dump file (not in this build)",
                  "This build was made without the chart window, which draws the chart.");
  command.app().allow_extras();  // whatever it is given, the answer is the same
  command.setRun([] {
    std::fprintf(stderr,
                 "kq-cli chart: not available in this build (it was built without the chart window)\n");
    return 1;
  });
  return command;
}

}  // namespace kq::cli
