// kq-cli stats against a decoding of its own: every parameter of every
// controller type, over all records and over a range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "cli_runner.h"
#include "decode/number_text.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
#include "dump/dump_file.h"
#include "sim/memory.h"
#include "tests/support/number_text.h"

namespace kq {
namespace {

using test::linesOf;

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
  return fields;
}

// Min, max and mean of each parameter over records from..to, straight from
// the records.
struct Expected {
  std::string title, minimum, maximum;
  long double mean;
};
std::vector<Expected> decodeStatistics(const Dump& dump, int from, int to) {
  int type = RecordView(dump.line(0), 1).B(9);
  ParameterTable table = parameterTable(type);
  std::vector<long double> minimum(table.size()), maximum(table.size()), sum(table.size());
  int position = 0, count = 0;
  for (const std::string& line : dump.lines()) {
    for (int record = 1; record <= 2; ++record, ++position) {
      RecordView view(line, record);
      if (view.isEmpty()) goto done;
      if (position < from || position > to) continue;
      for (std::size_t i = 0; i < table.size(); ++i) {
        long double value = table[i].value(view);
        if (count == 0 || value < minimum[i]) minimum[i] = value;
        if (count == 0 || value > maximum[i]) maximum[i] = value;
        sum[i] += value;
      }
      ++count;
    }
  }
done:
  std::vector<Expected> expected;
  for (std::size_t i = 0; i < table.size(); ++i)
    expected.push_back({std::string(table[i].title), test::formatNumber(minimum[i], ','),
                        test::formatNumber(maximum[i], ','), sum[i] / count});
  return expected;
}

class CliStatsTest : public testing::Test {
 protected:
  test::CliRunner cli;
};

TEST_F(CliStatsTest, EveryParameterOfEveryTypeMatchesTheRecords) {
  struct Case {
    int type, records, from, to;
    std::string range;
  };
  for (Case c : {Case{1, 300, 0, 299, ""}, Case{2, 300, 0, 299, ""}, Case{3, 300, 0, 299, ""},
                 Case{4, 300, 0, 299, ""}, Case{5, 300, 0, 299, ""}, Case{6, 7680, 0, 7679, ""},
                 Case{7, 300, 0, 299, ""}, Case{6, 300, 17, 17, "--from 17 --to 17"},
                 Case{2, 300, 100, 299, "--from=100 --to 5000"}}) {
    SCOPED_TRACE(std::to_string(c.type) + " " + c.range);
    Dump dump(sim::syntheticDumpLines(c.type, c.records));
    saveDumpFile(cli.path("dump.txt"), dump);
    auto result = cli.run("LANG=C", "stats --decimal-separator=, " + c.range + " " + cli.path("dump.txt"));
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> lines = linesOf(result.out);
    std::vector<Expected> expected = decodeStatistics(dump, c.from, c.to);
    ASSERT_EQ(lines.size(), expected.size() + 1);
    EXPECT_EQ(lines[0], "Параметр;Минимум;Максимум;Среднее");
    for (std::size_t i = 0; i < expected.size(); ++i) {
      std::vector<std::string> fields = fieldsOf(lines[i + 1]);
      ASSERT_EQ(fields.size(), 4u) << lines[i + 1];
      EXPECT_EQ(fields[0], expected[i].title);
      EXPECT_EQ(fields[1], expected[i].minimum) << fields[0];
      EXPECT_EQ(fields[2], expected[i].maximum) << fields[0];
      std::replace(fields[3].begin(), fields[3].end(), ',', '.');
      long double mean = std::strtold(fields[3].c_str(), nullptr);
      EXPECT_NEAR(double(mean), double(expected[i].mean), 1e-12 * std::max(1.0L, std::abs(expected[i].mean)))
          << fields[0];
    }
  }
}

TEST_F(CliStatsTest, SeparatorFollowsTheRegionalSettings) {
  saveDumpFile(cli.path("dump.txt"), Dump(sim::syntheticDumpLines(2, 40)));
  auto comma = cli.run("LC_ALL= LANG=ru_RU.UTF-8", "stats " + cli.path("dump.txt"));
  auto point = cli.run("LC_ALL= LANG=C", "stats " + cli.path("dump.txt"));
  ASSERT_EQ(comma.status, 0);
  ASSERT_EQ(point.status, 0);
  std::vector<std::string> commaLines = linesOf(comma.out), pointLines = linesOf(point.out);
  ASSERT_EQ(commaLines.size(), pointLines.size());
  bool sawComma = false;
  for (std::size_t i = 0; i < commaLines.size(); ++i) {
    std::vector<std::string> fields = fieldsOf(commaLines[i]);
    for (std::size_t f = 1; f < fields.size(); ++f) {  // titles keep their commas
      sawComma |= fields[f].find(',') != std::string::npos;
      std::replace(fields[f].begin(), fields[f].end(), ',', '.');
    }
    EXPECT_EQ(fields, fieldsOf(pointLines[i]));
  }
  EXPECT_TRUE(sawComma);
}

TEST_F(CliStatsTest, FailuresGiveTheMessageAndStatusOne) {
  saveDumpFile(cli.path("dump.txt"), Dump(sim::syntheticDumpLines(2, 40)));
  Dump broken(sim::syntheticDumpLines(2, 40));
  std::string line = broken.line(3);
  line.replace(3 * (3 + 20), 2, "G1");
  broken = Dump({broken.line(0), broken.line(1), broken.line(2), line});
  saveDumpFile(cli.path("broken.txt"), broken);
  saveDumpFile(cli.path("empty.txt"), Dump());
  struct Case {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"--from 40 " + cli.path("dump.txt"), 1,
       "kq-cli stats: no records at chart positions 40 to the last: the dump has positions 0 to 39\n"},
      {"--from 5 --to 4 " + cli.path("dump.txt"), 1,
       "kq-cli stats: no records at chart positions 5 to 4: the dump has positions 0 to 39\n"},
      {cli.path("empty.txt"), 1, "kq-cli stats: the dump has no records\n"},
      {cli.path("broken.txt"), 1, "'$G1' is not a valid integer value\n"},
      {cli.path("missing.txt"), 1,
       "Cannot open file \"" + cli.path("missing.txt") + "\". No such file or directory\n"},
      {"--from -1 " + cli.path("dump.txt"), 2,
       "kq-cli stats: --from and --to take a position of 0 or more\n"},
      {"--to", 2, "kq-cli stats: --from and --to take a position of 0 or more\n"},
      {"--colour " + cli.path("dump.txt"), 2, "kq-cli stats: unknown option '--colour'\n"},
  };
  for (const auto& c : cases) {
    auto result = cli.run("LANG=C", "stats " + c.args);
    EXPECT_EQ(result.status, c.status) << c.args;
    EXPECT_EQ(result.err, c.message) << c.args;
    EXPECT_EQ(result.out, "") << c.args;
  }
}

}  // namespace
}  // namespace kq
