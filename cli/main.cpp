// kq-cli: the downloader's work without a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
  const char* summary;
};

const Command kCommands[] = {
    {"export", kq::cli::runExport, "write the spreadsheet file of a dump file"},
    {"download", kq::cli::runDownload, "download the log memory over a serial port"},
    {"simulate", kq::cli::runSimulate, "run a simulated on-board computer on a pseudo-terminal"},
    {"stats", kq::cli::runStats, "minimum, maximum and mean of every parameter of a dump file"},
    {"chart", kq::cli::runChart, "draw the chart of a dump file into a PNG or PDF file"},
};

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kq-cli COMMAND [OPTIONS] ARGUMENTS\n"
               "\n"
               "Downloads and converts the log memory of a KQ-series on-board computer.\n"
               "\n"
               "Commands:\n");
  for (const auto& c : kCommands) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
  std::fprintf(out, "\n'kq-cli COMMAND --help' explains a command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    printUsage(stdout);
    return 0;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const auto& c : kCommands) {
    if (name == c.name) return c.run(args);
  }
  std::fprintf(stderr, "kq-cli: unknown command '%s'\n\n", name.c_str());
  printUsage(stderr);
  return 2;
}
