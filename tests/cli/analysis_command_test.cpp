// kq-cli stats with --filter and --channel, and kq-cli table, against a
// binning of their own and against what the chart window shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "analysis/chart_session.h"
#include "analysis/marker_readout.h"
#include "cli_runner.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
#include "dump/dump_file.h"
#include "sim/memory.h"

namespace kq {
namespace {

using test::linesOf;

// A whole-number parameter of every record, straight from the records.
std::vector<long> wholeValues(const Dump& dump, const char* title) {
  const ParameterTable table = parameterTable(6);
  const auto column = std::find_if(table.begin(), table.end(), [title](auto& c) { return c.title == title; });
  std::vector<long> values;
  for (const std::string& line : dump.lines()) {
    for (int record = 1; record <= 2; ++record) {
      const RecordView view(line, record);
      if (view.isEmpty()) return values;
      values.push_back(long(column->value(view)));
    }
  }
  return values;
}

// The nearest of whole-number breakpoints, a tie going to the lower.
std::size_t nearest(const std::vector<long>& breaks, long value) {
  std::size_t best = 0;
  for (std::size_t i = 1; i < breaks.size(); ++i)
    if (std::labs(value - breaks[i]) < std::labs(value - breaks[best])) best = i;
  return best;
}

class CliAnalysisTest : public testing::Test {
 protected:
  test::CliRunner cli;
};

TEST_F(CliAnalysisTest, TableCountsMatchABinningOfTheRecords) {
  const Dump dump(sim::syntheticDumpLines(6, 3000));
  saveDumpFile(cli.path("dump.txt"), dump);
  // Midpoints 1200, 2000, 2800 and 35, 75: whole numbers the speeds and revolutions meet.
  const std::vector<long> xs = {800, 1600, 2400, 3200}, ys = {20, 50, 100};
  auto result = cli.run("LANG=C",
                        "table --x 'Обороты двигателя' --y 'Скорость автомобиля' "
                        "--z 'Обороты двигателя' --stat count --x-breaks '800\t1600;2400 3200' "
                        "--y-breaks '20,50,100' --filter '[Скорость автомобиля] > 0' " +
                            cli.path("dump.txt"));
  ASSERT_EQ(result.status, 0) << result.err;

  const std::vector<long> revolutions = wholeValues(dump, "Обороты двигателя");
  const std::vector<long> speeds = wholeValues(dump, "Скорость автомобиля");
  std::map<std::pair<std::size_t, std::size_t>, int> counts;
  bool onAMidpoint = false;
  for (std::size_t i = 0; i < speeds.size(); ++i) {
    if (speeds[i] <= 0) continue;
    onAMidpoint |= revolutions[i] == 2000 || speeds[i] == 35;
    ++counts[{nearest(xs, revolutions[i]), nearest(ys, speeds[i])}];
  }
  ASSERT_TRUE(onAMidpoint);
  std::string expected = ";800;1600;2400;3200\n";
  for (std::size_t y = 0; y < ys.size(); ++y) {
    expected += std::to_string(ys[y]);
    for (std::size_t x = 0; x < xs.size(); ++x) {
      expected += ';';
      if (auto at = counts.find({x, y}); at != counts.end()) expected += std::to_string(at->second);
    }
    expected += '\n';
  }
  EXPECT_EQ(result.out, expected);
}

TEST_F(CliAnalysisTest, MistakesInExpressionsAndBreakpointsAreSaid) {
  saveDumpFile(cli.path("dump.txt"), Dump(sim::syntheticDumpLines(6, 40)));
  std::string dump = cli.path("dump.txt");
  dump.insert(dump.begin(), ' ');  // GCC 12 warns falsely on " " + a string
  const std::string table =
      "table --x 'Обороты двигателя' --y 'Скорость автомобиля' --z 'Обороты двигателя' ";
  struct Case {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"stats --filter '[Обороты] > 1'" + dump, 1,
       "kq-cli stats: --filter: позиция 1: неизвестный параметр «Обороты»\n"},
      {"stats --channel 'A=2 * * 3'" + dump, 1, "kq-cli stats: канал «A»: позиция 5: ожидается число\n"},
      {"stats --channel A" + dump, 2, "kq-cli stats: --channel takes NAME=EXPR\n"},
      {table + "--stat median" + dump, 2, "kq-cli table: --stat takes count, mean, min or max\n"},
      {table + "--stat count --x-breaks '1 2 x'" + dump, 2, "kq-cli table: breakpoints: «x» — не число\n"},
      {"table --x Нет --y 'Скорость автомобиля' --z 'Обороты двигателя' --stat max" + dump, 1,
       "kq-cli table: controller type 6 has no parameter \"Нет\"\n"},
  };
  for (const auto& c : cases) {
    auto result = cli.run("LANG=C", c.args);
    EXPECT_EQ(result.status, c.status) << c.args;
    EXPECT_EQ(result.err, c.message) << c.args;
    EXPECT_EQ(result.out, "") << c.args;
  }
}

TEST_F(CliAnalysisTest, WindowStatisticsEqualStatsWithTheSameFilterAndChannels) {
  const Dump dump(sim::syntheticDumpLines(6, 2000));
  saveDumpFile(cli.path("dump.txt"), dump);
  const std::string filter = "[Скорость автомобиля] > 30 && [Обороты двигателя@-1] < 2800";
  const std::string channel = "[Обороты двигателя] / ([Скорость автомобиля] - 60)";  // gaps at 60 km/h
  auto result = cli.run("LANG=C", "stats --decimal-separator=. --filter '" + filter +
                                      "' --channel 'Отношение=" + channel + "' " + cli.path("dump.txt"));
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = linesOf(result.out);

  ChartSession window;
  window.prepare(dump, '.');
  ASSERT_EQ(window.addChannel("Отношение", channel), "");
  ASSERT_EQ(window.setFilter(filter), "");
  const DumpModel& model = window.model();
  ASSERT_EQ(lines.size(), std::size_t(model.columnCount() - kFrameColumns + 1));
  // The marker readout over all records, for every column as a series would show it.
  for (int column = kFrameColumns; column < model.columnCount(); ++column) {
    const SeriesSource series[] = {{true, column, model.recordCount()}};
    const MarkerReadout readout = readMarkers(model, series, 0, model.recordCount() - 1, window.kept(0));
    const SeriesReadout& row = readout.rows[0];
    EXPECT_EQ(lines[column - kFrameColumns + 1],
              model.title(column) + ";" + row.minimum + ";" + row.maximum + ";" + row.mean);
  }
  EXPECT_EQ(lines.back().rfind("Отношение;", 0), 0u);
}

}  // namespace
}  // namespace kq
