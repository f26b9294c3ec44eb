// kq-cli table: a cell table of a dump, as the chart window's "Таблица" tab makes it.
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/cell_table.h"
#include "cli/analysis_options.h"
#include "cli/commands.h"
#include "cli/shared_options.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

struct Options {
  std::string x, y, z;
  CellStatistic statistic = CellStatistic::count;
  std::string xBreaks, yBreaks;  // as typed; empty: 8 even steps of the data
  AnalysisOptions analysis;
  char separator = 0;
  std::string dump;
};

int run(const Options& options) {
  const char separator = options.separator ? options.separator : systemDecimalSeparator();
  return runReporting("table", [&options, separator] {
    std::vector<char> kept;
    DumpModel model = analysedModel(options.dump, separator, options.analysis, kept);
    if (model.recordCount() == 0) {
      std::fprintf(stderr, "kq-cli table: the dump has no records\n");
      return 1;
    }
    int columns[3];
    const std::string* titles[] = {&options.x, &options.y, &options.z};
    for (int i = 0; i < 3; ++i) {
      const std::optional<int> column = columnOfTitle(model, *titles[i]);
      if (!column) {
        std::fprintf(stderr, "kq-cli table: controller type %d has no parameter \"%s\"\n",
                     model.controllerType(), titles[i]->c_str());
        return 1;
      }
      columns[i] = *column;
    }
    std::vector<long double> xBreaks, yBreaks;
    try {
      xBreaks = parseBreaks(options.xBreaks, separator);
      yBreaks = parseBreaks(options.yBreaks, separator);
    } catch (const std::invalid_argument& error) {
      std::fprintf(stderr, "kq-cli table: breakpoints: %s\n", error.what());
      return 2;
    }
    const CellTable table = makeCellTable(model, columns[0], columns[1], columns[2], xBreaks, yBreaks, kept);
    return writeToStandardOutput("table", cellTableText(table, options.statistic, separator));
  });
}

constexpr const char* kDetails =
    "Writes to standard output, in UTF-8, the cell table of the dump file DUMP:\n"
    "the first line ';X1;X2;…' (the X breakpoints), then one line 'Yk;v1;v2;…'\n"
    "per Y breakpoint. Each record with values of X, Y and Z goes to the cell of\n"
    "the X and the Y breakpoint nearest to its values; exactly halfway between\n"
    "two breakpoints it goes to the lower one. A cell holds the count, mean,\n"
    "minimum or maximum of its records' Z values; it is empty where no record\n"
    "fell. Numbers use the regional decimal separator (or --decimal-separator).\n"
    "\n"
    "A breakpoint LIST is numbers separated by blanks, tabs or ';' (a row pasted\n"
    "from a spreadsheet works). A point is always a decimal mark; a comma is one\n"
    "when the decimal separator is a comma and separates numbers otherwise.\n"
    "Breakpoints are taken in ascending order, repeats dropped; at most 256 per\n"
    "axis. Without a list: 8 breakpoints evenly from the smallest to the largest\n"
    "value of the kept records.";
static_assert(kMaxBreaks == 256, "the help above states the limit");

}  // namespace

Command addTableCommand(CLI::App& kqCli) {
  Command command(kqCli, "table", "a parameter's count, mean, minimum or maximum in cells of two others",
                  kDetails);
  auto options = std::make_shared<Options>();
  CLI::App& app = command.app();
  const char* axes[] = {"--x", "--y", "--z"};
  std::string* titles[] = {&options->x, &options->y, &options->z};
  const char* helps[] = {"the parameter (column title) across the table", "the parameter down the table",
                         "the parameter the cells describe"};
  for (int i = 0; i < 3; ++i)
    command.onMisuse(app.add_option(axes[i], *titles[i], helps[i])->type_name("TITLE")->required(),
                     std::string(axes[i]) + " takes a column title");
  command.onMisuse(app.add_option_function<std::string>(
                          "--stat",
                          [options](const std::string& name) {
                            auto statistic = cellStatisticNamed(name);
                            if (!statistic) throw CLI::ValidationError("--stat", name);
                            options->statistic = *statistic;
                          },
                          "what a cell holds: count, mean, min or max")
                       ->type_name("STAT")
                       ->required(),
                   "--stat takes count, mean, min or max");
  command.onMisuse(app.add_option("--x-breaks", options->xBreaks, "the X breakpoints")->type_name("LIST"),
                   "--x-breaks takes a list of numbers");
  command.onMisuse(app.add_option("--y-breaks", options->yBreaks, "the Y breakpoints")->type_name("LIST"),
                   "--y-breaks takes a list of numbers");
  addAnalysisOptions(command, options->analysis);
  addDecimalSeparator(command, options->separator);
  addArgument(command, "DUMP", options->dump, "the dump file");
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
