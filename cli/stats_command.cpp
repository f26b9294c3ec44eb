// kq-cli stats: minimum, maximum and mean of every parameter of the chart
// grid, computed as the chart window's marker readout computes them.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "analysis/column_statistics.h"
#include "cli/analysis_options.h"
#include "cli/commands.h"
#include "cli/record_range.h"
#include "cli/shared_options.h"
#include "decode/number_text.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

struct Options {
  std::string dump;
  RecordRange range;
  char separator = 0;
  AnalysisOptions analysis;
};

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

int run(const Options& options) {
  const RecordRange& range = options.range;
  const char separator = options.separator ? options.separator : systemDecimalSeparator();
  return runReporting("stats", [&options, &range, separator] {
    std::vector<char> kept;
    DumpModel model = analysedModel(options.dump, separator, options.analysis, kept);
    const int records = model.recordCount();
    if (records == 0 || range.from > std::min(range.to, records - 1)) {
      std::fprintf(stderr, "kq-cli stats: %s\n", emptyRangeMessage(range, records).c_str());
      return 1;
    }
    auto statistics = columnsStatistics(model, kFrameColumns, range.from, range.to, kept);
    return writeToStandardOutput("stats", statisticsText(model, statistics));
  });
}

constexpr const char* kDetails =
    "Writes to standard output, in UTF-8, the header line\n"
    "'Параметр;Минимум;Максимум;Среднее' and then one line 'TITLE;MIN;MAX;MEAN'\n"
    "for every parameter column of the chart grid of the dump file DUMP, over\n"
    "the chart positions --from to --to inclusive (0-based, as the chart's\n"
    "'Точка данных'; all records by default), then one line per --channel.\n"
    "With --filter only the records it keeps count; a field is empty where no\n"
    "record has a value (a division by zero in a channel gives none).";

}  // namespace

Command addStatsCommand(CLI::App& kqCli) {
  Command command(kqCli, "stats", "minimum, maximum and mean of every parameter of a dump file", kDetails);
  auto options = std::make_shared<Options>();
  addArgument(command, "DUMP", options->dump, "the dump file");
  addDecimalSeparator(command, options->separator);
  addRecordRange(command, options->range);
  addAnalysisOptions(command, options->analysis);
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
