// kq-cli stats: minimum, maximum and mean of every parameter of the chart
// grid, computed as the chart window's marker readout computes them.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "analysis/column_statistics.h"
#include "cli/commands.h"
#include "cli/record_range.h"
#include "decode/number_text.h"
#include "dump/dump_file.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

constexpr const char* kStatsHelp =
    "Usage: kq-cli stats [--decimal-separator=C] [--from N] [--to N] DUMP\n"
    "\n"
    "Writes to standard output, in UTF-8, the header line\n"
    "'Параметр;Минимум;Максимум;Среднее' and then one line 'TITLE;MIN;MAX;MEAN'\n"
    "for every parameter column of the chart grid of the dump file DUMP, over\n"
    "the records at chart positions N to M inclusive (0-based, as the chart's\n"
    "'Точка данных'; all records by default).\n"
    "\n"
    "  --decimal-separator=C  print numbers with C instead of the separator of\n"
    "                         the regional settings (LANG, LC_NUMERIC, LC_ALL)\n"
    "  --from N, --to N       the first and last chart position\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "kq-cli stats: %s\n", message.c_str());
  return 2;
}

std::string statisticsText(const DumpModel& model,
                           const std::vector<std::optional<ColumnStatistics>>& statistics) {
  std::string text = "Параметр;Минимум;Максимум;Среднее\n";
  for (std::size_t i = 0; i < statistics.size(); ++i) {
    text += model.title(kFrameColumns + int(i));
    for (int part = 0; part < 3; ++part) {
      text += ';';
      if (!statistics[i]) continue;
      const long double value = part == 0   ? statistics[i]->minimum
                                : part == 1 ? statistics[i]->maximum
                                            : statistics[i]->mean;
      appendNumber(text, value, model.decimalSeparator());
    }
    text += '\n';
  }
  return text;
}

}  // namespace

int runStats(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  RecordRange range;
  char separator = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kStatsHelp, stdout);
      return 0;
    }
    RangeOption rangeOption = takeRangeOption(args, i, range);
    if (rangeOption == RangeOption::invalid)
      return usageError("--from and --to take a position of 0 or more");
    if (rangeOption == RangeOption::taken) continue;
    if (arg.rfind("--decimal-separator=", 0) == 0) {
      if (arg.size() != 21) return usageError("--decimal-separator takes one character");
      separator = arg.back();
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option '" + arg + "'");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 1) {
    std::fputs(kStatsHelp, stderr);
    return 2;
  }
  if (separator == 0) separator = systemDecimalSeparator();

  try {
    Dump dump;
    loadDumpFile(positional[0], dump);
    if (dump.empty()) {
      std::fprintf(stderr, "kq-cli stats: %s\n", emptyRangeMessage(range, 0).c_str());
      return 1;
    }
    DumpModel model = buildDumpModel(dump, separator);
    const int records = model.recordCount();
    if (range.from > std::min(range.to, records - 1)) {
      std::fprintf(stderr, "kq-cli stats: %s\n", emptyRangeMessage(range, records).c_str());
      return 1;
    }
    auto statistics = columnsStatistics(model, kFrameColumns, range.from, range.to);
    std::string text = statisticsText(model, statistics);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "kq-cli stats: cannot write to standard output\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace kq::cli
