// kq-cli: the downloader's work without a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>& args);
  const char* summary;
};

const Command kCommands[] = {
    {"export", kq::cli::runExport, "write the spreadsheet file of a dump file"},
    {"download", kq::cli::runDownload, "download the log memory over a serial port"},
    {"stats", kq::cli::runStats, "minimum, maximum and mean of every parameter of a dump file"},
    {"chart", kq::cli::runChart, "draw the chart of a dump file into a PNG or PDF file"},
#if KQ_CLI_WITH_SIMULATOR
    {"simulate", kq::cli::runSimulate, "run a simulated on-board computer on a pseudo-terminal"},
#endif
};

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kq-cli COMMAND [OPTIONS] ARGUMENTS\n"
               "\n"
               "Downloads and converts the log memory of a KQ-series on-board computer.\n"
               "\n"
               "Commands:\n");
  for (const auto& c : kCommands) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
  std::fprintf(out, "\n'kq-cli COMMAND --help' explains a command; 'kq-cli --version' prints the version.\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = kq::cli::startConsole(argc, argv);
  if (args.empty()) {
    printUsage(stderr);
    return 2;
  }
  const std::string name = args.front();
  args.erase(args.begin());
  if (name == "--help" || name == "-h" || name == "help") {
    printUsage(stdout);
    return 0;
  }
  if (name == "--version") {
    // The project's version, which the package carries too.
    std::printf("kq-cli %s\n", KQ_VERSION);
    return 0;
  }
  for (const auto& c : kCommands) {
    if (name == c.name) return c.run(args);
  }
  std::fprintf(stderr, "kq-cli: unknown command '%s'\n\n", name.c_str());
  printUsage(stderr);
  return 2;
}
