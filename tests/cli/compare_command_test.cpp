// kq-cli compare against the records read on their own: the first record
// where the event holds and the seconds between the lined-up records.
#include <gtest/gtest.h>

#include <optional>

#include "analysis/record_time.h"
#include "cli_runner.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
#include "dump/dump_file.h"
#include "sim/memory.h"

namespace kq {
namespace {

struct Record {
  std::string date, time;
  long number;
  long double rpm;
};

std::vector<Record> recordsOf(const Dump& dump) {
  std::vector<Record> records;
  const ParameterTable table = parameterTable(RecordView(dump.line(0), 1).B(9));
  std::size_t rpm = 0;
  while (table[rpm].title != "Обороты двигателя") ++rpm;
  for (const std::string& line : dump.lines()) {
    for (int r = 1; r <= 2; ++r) {
      RecordView view(line, r);
      if (view.isEmpty()) return records;
      records.push_back({std::string(view.date()), std::string(view.time()), long(view.recordNumber()),
                         table[rpm].value(view)});
    }
  }
  return records;
}

TEST(CliCompareTest, RecordsAndOffsetsOfEachDump) {
  test::CliRunner cli;
  const std::vector<std::string> full = sim::syntheticDumpLines(6, 2000);
  const std::vector<Dump> dumps = {Dump(full), Dump({full.begin() + 300, full.end()}),
                                   Dump(sim::syntheticDumpLines(2, 900))};
  const std::vector<std::string> names = {cli.path("d0.txt"), cli.path("d1.txt"), cli.path("d2.txt")};
  std::string files;
  for (std::size_t d = 0; d < dumps.size(); ++d) {
    saveDumpFile(names[d], dumps[d]);
    files.append(" ").append(names[d]);
  }
  struct Case {
    const char* align;
    long double above;  // the event: revolutions above this
  };
  for (const Case& c : {Case{"", 0}, Case{"--align '[Обороты двигателя] > 2500'", 2500},
                        Case{"--align '[Обороты двигателя] > 99999'", 99999}}) {
    std::vector<std::optional<Record>> events;
    std::vector<Record> starts;
    for (const Dump& dump : dumps) {
      const std::vector<Record> records = recordsOf(dump);
      starts.push_back(records.front());
      events.emplace_back();
      if (*c.align)
        for (const Record& record : records)
          if (record.rpm > c.above && !events.back()) events.back() = record;
    }
    std::string expected;
    for (std::size_t d = 0; d < dumps.size(); ++d) {
      const bool onEvent = events[0] && events[d];
      const Record& mine = onEvent ? *events[d] : starts[d];
      const Record& reference = onEvent ? *events[0] : starts[0];
      // The dumps' clocks may lie either side of each other.
      const long seconds =
          *secondsIntoYear(reference.date, reference.time) - *secondsIntoYear(mine.date, mine.time);
      expected.append(names[d]).append(";");
      if (events[d]) expected.append(std::to_string(events[d]->number));
      expected.append(";").append(std::to_string(seconds)).append("\n");
    }
    auto result = cli.run("LC_ALL=C", std::string("compare ") + c.align + files);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected) << c.align;
  }
}

TEST(CliCompareTest, UsageAndExpressionMistakes) {
  test::CliRunner cli;
  const std::string a = cli.path("a.txt"), b = cli.path("b.txt");
  saveDumpFile(a, Dump(sim::syntheticDumpLines(6, 100)));
  saveDumpFile(b, Dump(sim::syntheticDumpLines(2, 100)));
  struct Case {
    std::string args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {"compare " + a, 2, "kq-cli compare: give two dump files or more\n"},
      {"compare --align '[Байт 17] > 1' " + a + " " + b, 1,
       "kq-cli compare: --align: " + b + ": позиция 1: неизвестный параметр «Байт 17»\n"},
  };
  for (const Case& c : cases) {
    auto result = cli.run("", c.args);
    EXPECT_EQ(result.status, c.status) << c.args;
    EXPECT_EQ(result.err, c.err) << c.args;
  }
}

}  // namespace
}  // namespace kq
