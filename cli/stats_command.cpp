// kq-cli stats: minimum, maximum and mean of every parameter of the chart
// grid, computed as the chart window's marker readout computes them.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "analysis/chart_data.h"
#include "analysis/column_statistics.h"
#include "cli/commands.h"
#include "cli/record_range.h"
#include "cli/shared_options.h"
#include "decode/number_text.h"
#include "dump/dump_file.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

struct Options {
  std::string dump;
  RecordRange range;
  char separator = 0;
};

std::string statisticsText(const ChartData& data, const std::vector<ColumnStatistics>& statistics,
                           char separator) {
  std::string text = "Параметр;Минимум;Максимум;Среднее\n";
  for (std::size_t i = 0; i < data.titles.size(); ++i) {
    text += data.titles[i];
    for (long double value : {statistics[i].minimum, statistics[i].maximum, statistics[i].mean}) {
      text += ';';
      appendNumber(text, value, separator);
    }
    text += '\n';
  }
  return text;
}

int run(const Options& options) {
  const RecordRange& range = options.range;
  const char separator = options.separator ? options.separator : systemDecimalSeparator();
  try {
    Dump dump;
    loadDumpFile(options.dump, dump);
    if (dump.empty()) {
      std::fprintf(stderr, "kq-cli stats: %s\n", emptyRangeMessage(range, 0).c_str());
      return 1;
    }
    ChartData data = prepareChartData(dump, separator);
    const int records = data.grid.rowCount() - 1;
    auto statistics = columnsStatistics(data.grid, kFrameColumns, range.from, range.to, separator);
    if (!statistics) {
      std::fprintf(stderr, "kq-cli stats: %s\n", emptyRangeMessage(range, records).c_str());
      return 1;
    }
    std::string text = statisticsText(data, *statistics, separator);
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

constexpr const char* kDetails =
    "Writes to standard output, in UTF-8, the header line\n"
    "'Параметр;Минимум;Максимум;Среднее' and then one line 'TITLE;MIN;MAX;MEAN'\n"
    "for every parameter column of the chart grid of the dump file DUMP, over\n"
    "the chart positions --from to --to inclusive (0-based, as the chart's\n"
    "'Точка данных'; all records by default).";

}  // namespace

Command addStatsCommand(CLI::App& kqCli) {
  Command command(kqCli, "stats", "minimum, maximum and mean of every parameter of a dump file", kDetails);
  auto options = std::make_shared<Options>();
  addArgument(command, "DUMP", options->dump, "the dump file");
  addDecimalSeparator(command, options->separator);
  addRecordRange(command, options->range);
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
