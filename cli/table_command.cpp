// kq-cli table: a cell table of a dump, as the chart window's "Таблица" tab makes it.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "analysis/cell_table.h"
#include "cli/analysis_options.h"
#include "cli/commands.h"
#include "cli/table_options.h"

namespace kq::cli {
namespace {

// The grid column of a title, or -1.
int columnTitled(const DumpModel& model, const std::string& title) {
  const auto& titles = model.titles();
  const auto at = std::find(titles.begin(), titles.end(), title);
  return at == titles.end() ? -1 : kFrameColumns + int(at - titles.begin());
}

}  // namespace

int runTableWith(const TableOptions& options, char separator) {
  try {
    std::vector<char> kept;
    DumpModel model = analysedModel(options.dump, separator, options.analysis, kept);
    if (model.recordCount() == 0) {
      std::fprintf(stderr, "kq-cli table: the dump has no records\n");
      return 1;
    }
    int columns[3];
    const std::string* titles[] = {&options.x, &options.y, &options.z};
    for (int i = 0; i < 3; ++i) {
      columns[i] = columnTitled(model, *titles[i]);
      if (columns[i] < 0) {
        std::fprintf(stderr, "kq-cli table: controller type %d has no parameter \"%s\"\n", model.controllerType(),
                     titles[i]->c_str());
        return 1;
      }
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
    const std::string text = cellTableText(table, options.statistic, separator);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "kq-cli table: cannot write to standard output\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kq-cli table: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace kq::cli
