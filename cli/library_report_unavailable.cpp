// kq-cli library report in a build without the chart window (no Qt Widgets).
#include <cstdio>

#include "cli/commands.h"

namespace kq::cli {

Command addLibraryReportCommand(Command& library, std::function<std::string()>) {
  Command command(library.app(), "report", "a car's report as a PDF file (not in this build)",
                  "This build was made without the chart window, which draws the report.");
  command.app().allow_extras();  // whatever it is given, the answer is the same
  command.setRun([] {
    std::fprintf(
        stderr,
        "kq-cli library report: not available in this build (it was built without the chart window)\n");
    return 1;
  });
  return command;
}

}  // namespace kq::cli
