// kq-cli export: the spreadsheet file of a dump file, byte for byte what the
// window's export writes, at exactly the path given.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "base/safe_file.h"
#include "cli/commands.h"
#include "cli/failure_text.h"
#include "cli/shared_options.h"
#include "dump/dump_file.h"
#include "export/spreadsheet_export.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

struct Options {
  std::string dump;
  std::string output;
  char separator = 0;
};

int run(const Options& options) {
  const char separator = options.separator ? options.separator : systemDecimalSeparator();
  try {
    Dump dump;
    loadDumpFile(options.dump, dump);
    std::string file = spreadsheetFile(dump, separator);
    if (options.output == "-") {
      if (std::fwrite(file.data(), 1, file.size(), stdout) != file.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kq-cli export: cannot write to standard output\n");
        return 1;
      }
    } else {
      writeFileSafely(options.output, file);
    }
  } catch (const std::exception& e) {
    reportFailure("export", e);
    return 1;
  }
  return 0;
}

constexpr const char* kDetails =
    "Writes the spreadsheet file of the dump file DUMP to OUTPUT: code page 1251,\n"
    "CR LF line ends, a header line of column titles (controller types 1 to 7),\n"
    "then one row per record, every field followed by ';'. OUTPUT is written\n"
    "whole or not at all; '-' writes to standard output.";

}  // namespace

Command addExportCommand(CLI::App& kqCli) {
  Command command(kqCli, "export", "write the spreadsheet file of a dump file", kDetails);
  auto options = std::make_shared<Options>();
  addArgument(command, "DUMP", options->dump, "the dump file");
  addArgument(command, "OUTPUT", options->output, "the spreadsheet file, or '-'");
  addDecimalSeparator(command, options->separator);
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
