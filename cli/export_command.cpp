// kq-cli export: the spreadsheet file of a dump file, byte for byte what the
// window's export writes, at exactly the path given.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "dump/dump_file.h"
#include "dump/safe_file.h"
#include "export/spreadsheet_export.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

constexpr const char* kExportHelp =
    "Usage: kq-cli export [--decimal-separator=C] DUMP OUTPUT\n"
    "\n"
    "Writes the spreadsheet file of the dump file DUMP to OUTPUT: code page 1251,\n"
    "CR LF line ends, a header line of column titles (controller types 1 to 7),\n"
    "then one row per record, every field followed by ';'. OUTPUT is written\n"
    "whole or not at all; '-' writes to standard output.\n"
    "\n"
    "  --decimal-separator=C  print numbers with C instead of the separator of\n"
    "                         the regional settings\n";

bool writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int runExport(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  char separator = 0;
  for (const auto& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::fputs(kExportHelp, stdout);
      return 0;
    }
    if (arg.rfind("--decimal-separator=", 0) == 0) {
      std::string value = arg.substr(20);
      if (value.size() != 1) {
        std::fprintf(stderr, "kq-cli export: --decimal-separator takes one character\n");
        return 2;
      }
      separator = value[0];
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "kq-cli export: unknown option '%s'\n", arg.c_str());
      return 2;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    std::fputs(kExportHelp, stderr);
    return 2;
  }
  if (separator == 0) separator = systemDecimalSeparator();

  try {
    Dump dump;
    loadDumpFile(positional[0], dump);
    std::string file = spreadsheetFile(dump, separator);
    if (positional[1] == "-") {
      if (!writeAll(STDOUT_FILENO, file)) {
        std::fprintf(stderr, "kq-cli export: cannot write to standard output\n");
        return 1;
      }
    } else {
      writeFileSafely(positional[1], file);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace kq::cli
