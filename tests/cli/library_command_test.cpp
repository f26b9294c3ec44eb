// kq-cli library through the real binary.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/safe_file.h"
#include "cli_runner.h"
#include "decode/record_view.h"
#include "dump/dump_file.h"
#include "sim/memory.h"
#include "tests/support/dump_builder.h"

namespace kq {
namespace {

using test::linesOf;

// A record's identity, its bytes at offsets 0 to 126, as text.
std::string recordKey(const std::string& line, int record) {
  const RecordView view(line, record);
  std::string key;
  for (int offset = 0; offset < 127; ++offset) key += view.pair(offset);
  return key;
}

// A record's moment in a year, and as the library prints it.
struct Dated {
  std::chrono::sys_seconds at;
  std::string text;
};
Dated dated(int year, const RecordView& view) {
  const std::string date = view.date(), time = view.time();  // DD.MM, HH:MM:SS
  using namespace std::chrono;
  const sys_days day{std::chrono::year(year) / std::stoi(date.substr(3, 2)) / std::stoi(date.substr(0, 2))};
  return {day + hours(std::stoi(time.substr(0, 2))) + minutes(std::stoi(time.substr(3, 2))) +
              seconds(std::stoi(time.substr(6, 2))),
          std::to_string(year) + "-" + date.substr(3, 2) + "-" + date.substr(0, 2) + " " + time};
}

// Where each trip starts in records of time order: more than 300 s after the one before.
std::vector<std::size_t> tripStarts(const std::vector<Dated>& records) {
  std::vector<std::size_t> starts = {0};
  for (std::size_t i = 1; i < records.size(); ++i)
    if (records[i].at - records[i - 1].at > std::chrono::seconds(300)) starts.push_back(i);
  return starts;
}

// Lines [first, last) of a drive: a download that began later or ended earlier than another.
Dump part(const std::vector<std::string>& drive, int first, int last) {
  return Dump({drive.begin() + first, drive.begin() + last});
}

// A type 2 record of 15.03 (or another day) at HH:MM:SS with engine speed rpm / 40.
test::Record recordAt(int number, int hour, int minute, int second, int rpm, int day = 0x15) {
  auto bcd = [](int value) { return std::uint8_t(value / 10 * 16 + value % 10); };
  test::Record record = test::makeRecord(2, number);
  record[1] = std::uint8_t(day);
  record[2] = bcd(second);
  record[3] = bcd(minute);
  record[4] = bcd(hour);
  record[19] = std::uint8_t(rpm / 40);
  return record;
}

// Three trips of 15.03 and a record of 31.02, which is no date.
Dump knownHistory() {
  const test::Record records[] = {
      recordAt(1, 12, 0, 0, 800),  recordAt(2, 12, 0, 2, 2000),  recordAt(3, 12, 0, 4, 3200),
      recordAt(4, 12, 0, 6, 2400), recordAt(5, 12, 10, 0, 3600), recordAt(6, 12, 10, 2, 3600),
      recordAt(7, 12, 10, 4, 800), recordAt(8, 13, 0, 0, 400),   recordAt(9, 13, 0, 2, 400, 0x31),
  };
  test::Record undated = records[8];
  undated[0] = 0x02;
  Dump dump;
  for (int i = 0; i < 8; i += 2) dump.append(test::makeLine(records[i], records[i + 1]));
  dump.append(test::makeLine(undated, test::emptyRecord()));
  return dump;
}

class CliLibraryTest : public testing::Test {
 protected:
  test::CliRunner cli;
  std::string library = cli.path("library.sqlite");

  // kq-cli library on the test's library; TZ fixes the days of file times.
  test::CliRunner::Result run(const std::string& args) const {
    return cli.run("LANG=C TZ=UTC", "library --library " + library + " " + args);
  }
  std::string save(const std::string& name, const Dump& dump) const {
    saveDumpFile(cli.path(name), dump);
    return cli.path(name);
  }
};

TEST_F(CliLibraryTest, OverlappingDownloadsStoreEveryRecordOnce) {
  const std::vector<std::string> drive = sim::syntheticDumpLines(2, 6000);
  const Dump dumps[] = {part(drive, 0, 1500), part(drive, 1000, 2500), part(drive, 2200, 3000),
                        part(drive, 0, 1500)};
  std::string args = "import --car 'Нива 2121' --date 2024-12-31";
  std::string expected = "Файл;Новых записей;Уже в библиотеке\n";
  std::set<std::string> stored;
  std::vector<Dated> records;
  for (int d = 0; d < 4; ++d) {
    const std::string file = save("dump" + std::to_string(d) + ".txt", dumps[d]);
    args += " " + file;
    int fresh = 0;
    for (const std::string& line : dumps[d].lines())
      for (int record = 1; record <= 2; ++record)
        if (stored.insert(recordKey(line, record)).second) {
          ++fresh;
          records.push_back(dated(2024, RecordView(line, record)));
        }
    expected += file + ";" + std::to_string(fresh) + ";" + std::to_string(2 * dumps[d].size() - fresh) + "\n";
  }
  ASSERT_EQ(stored.size(), 6000u);
  const auto imported = run(args);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, expected);

  std::sort(records.begin(), records.end(), [](const Dated& a, const Dated& b) { return a.at < b.at; });
  const std::size_t trips = tripStarts(records).size();
  ASSERT_GT(trips, 3u);
  EXPECT_EQ(cli.run("LANG=C", "library cars --library " + library).out,
            "Машина;Тип контроллера;Записей;Поездок;Первая запись;Последняя запись\nНива 2121;2;6000;" +
                std::to_string(trips) + ";" + records.front().text + ";" + records.back().text + "\n");
  // The fourth file was the first again: no import of its own.
  EXPECT_EQ(linesOf(run("imports --car 'Нива 2121'").out).size(), 4u);
}

TEST_F(CliLibraryTest, KnownTripsEventsAndTrends) {
  const std::string file = save("history.txt", knownHistory());
  // Dated by the day the file was written: 15.03 before 20.03 is of the same year.
  using namespace std::chrono;
  std::filesystem::last_write_time(file,
                                   file_clock::from_sys(sys_seconds{sys_days{2024y / March / 20} + 12h}));
  ASSERT_EQ(run("import --car A " + file).status, 0);
  ASSERT_EQ(run("import --car B --date 2023-03-01 " + file).status, 0);

  const std::string channel = " --channel 'Рост=[Обороты двигателя] - [Обороты двигателя@-1]'";
  struct Case {
    std::string args, out;
  } cases[] = {
      {"cars",
       "Машина;Тип контроллера;Записей;Поездок;Первая запись;Последняя запись\n"
       "A;2;9;3;2024-03-15 12:00:00;2024-03-15 13:00:00\nB;2;9;3;2022-03-15 12:00:00;2022-03-15 13:00:00\n"},
      {"trips --car A",
       "Поездка;Начало;Конец;Записей\n1;2024-03-15 12:00:00;2024-03-15 12:00:06;4\n"
       "2;2024-03-15 12:10:00;2024-03-15 12:10:04;3\n3;2024-03-15 13:00:00;2024-03-15 13:00:00;1\n"},
      {"trips --car A --gap 600",
       "Поездка;Начало;Конец;Записей\n1;2024-03-15 12:00:00;2024-03-15 12:10:04;7\n"
       "2;2024-03-15 13:00:00;2024-03-15 13:00:00;1\n"},
      {"events --car A --where '[Обороты двигателя] > 2500'",
       "Поездка;Начало;Конец;Записей\n1;2024-03-15 12:00:04;2024-03-15 12:00:04;1\n"
       "2;2024-03-15 12:10:00;2024-03-15 12:10:02;2\n"},
      {"events --car A --min-seconds 2 --where '[Обороты двигателя] > 2500'",
       "Поездка;Начало;Конец;Записей\n2;2024-03-15 12:10:00;2024-03-15 12:10:02;2\n"},
      // A trip's first record has no previous one, though the trip before ended at 2400.
      {"events --car A --where '[Рост] > 1000'" + channel,
       "Поездка;Начало;Конец;Записей\n1;2024-03-15 12:00:02;2024-03-15 12:00:04;2\n"},
      {"trend --car A --of 'Обороты двигателя' --stat max",
       "Поездка;Начало;Максимум «Обороты двигателя»\n1;2024-03-15 12:00:00;3200\n"
       "2;2024-03-15 12:10:00;3600\n3;2024-03-15 13:00:00;400\n"},
      {"trend --car A --of 'Обороты двигателя' --stat mean --decimal-separator=,",
       "Поездка;Начало;Среднее «Обороты двигателя»\n1;2024-03-15 12:00:00;2100\n"
       "2;2024-03-15 12:10:00;2666,66666666667\n3;2024-03-15 13:00:00;400\n"},
      {"trend --car A --of Рост --stat min" + channel,
       "Поездка;Начало;Минимум «Рост»\n1;2024-03-15 12:00:00;-800\n2;2024-03-15 12:10:00;-2800\n"
       "3;2024-03-15 13:00:00;\n"},
  };
  for (const Case& c : cases) {
    const auto result = run(c.args);
    EXPECT_EQ(result.status, 0) << c.args << "\n" << result.err;
    EXPECT_EQ(result.out, c.out) << c.args;
  }
  // The same file again adds nothing.
  EXPECT_EQ(run("import --car A " + file).out, "Файл;Новых записей;Уже в библиотеке\n" + file + ";0;9\n");
}

TEST_F(CliLibraryTest, AnExportedTripReadsBackAsThoseRecords) {
  const Dump dump(sim::syntheticDumpLines(2, 3000));
  const std::string file = save("dump.txt", dump);
  ASSERT_EQ(run("import --car A --date 2024-12-31 " + file).status, 0);
  std::vector<Dated> records;  // the memory holds them in time order
  for (const std::string& line : dump.lines())
    for (int record = 1; record <= 2 && !RecordView(line, record).isEmpty(); ++record)
      records.push_back(dated(2024, RecordView(line, record)));
  const std::vector<std::size_t> starts = tripStarts(records);
  ASSERT_GT(starts.size(), 2u);

  ASSERT_EQ(run("export --car A --trip 2 " + cli.path("trip.txt")).status, 0);
  const auto ofTrip = cli.run("LANG=C", "stats " + cli.path("trip.txt"));
  ASSERT_EQ(ofTrip.status, 0) << ofTrip.err;
  EXPECT_EQ(ofTrip.out, cli.run("LANG=C", "stats --from " + std::to_string(starts[1]) + " --to " +
                                              std::to_string(starts[2] - 1) + " " + file)
                            .out);
}

TEST_F(CliLibraryTest, ACopyThereAndBackHoldsTheSameAndAddsOnlyWhatIsMissing) {
  const std::vector<std::string> drive = sim::syntheticDumpLines(2, 4000);
  ASSERT_EQ(run("import --car A --date 2024-12-31 " + save("a.txt", part(drive, 0, 1200)) + " " +
                save("b.txt", part(drive, 800, 2000)))
                .status,
            0);
  // Through the test server where there is one.
  const char* server = std::getenv("KQ_TEST_POSTGRESQL");
  const std::string between = server && *server ? server : cli.path("between.sqlite");
  const std::string back = cli.path("back.sqlite");
  const auto there = cli.run("LANG=C", "library copy " + library + " '" + between + "'");
  ASSERT_EQ(there.status, 0) << there.err;
  EXPECT_EQ(there.out,
            "Машин добавлено;Загрузок скопировано;Загрузок уже было;Записей добавлено\n1;2;0;4000\n");
  EXPECT_EQ(cli.run("LANG=C", "library copy " + library + " '" + between + "'").out,
            "Машин добавлено;Загрузок скопировано;Загрузок уже было;Записей добавлено\n0;0;2;0\n");
  ASSERT_EQ(cli.run("LANG=C", "library copy '" + between + "' " + back).status, 0);
  for (const char* listing : {"cars", "trips --car A", "imports --car A"})
    EXPECT_EQ(cli.run("LANG=C TZ=UTC", "library --library " + back + " " + listing).out, run(listing).out)
        << listing;
}

TEST_F(CliLibraryTest, AFailedCommandChangesNothing) {
  const std::string good = save("good.txt", knownHistory());
  Dump broken = knownHistory();
  broken = Dump({broken.line(0), test::withPair(broken.line(1), 1, 30, "G1")});
  const std::string bad = save("broken.txt", broken);
  const std::string otherType = save("type6.txt", Dump(sim::syntheticDumpLines(6, 10)));
  ASSERT_EQ(run("import --car A --date 2024-03-20 " + good).status, 0);
  writeFileSafely(cli.path("out.txt"), "kept\n");
  const std::string before = readWholeFile(library);

  struct Case {
    std::string args, message;
  } cases[] = {
      {"import --car A " + bad, "'$G1' is not a valid integer value\n"},
      {"import --car New " + bad, "'$G1' is not a valid integer value\n"},
      {"import --car A " + good + " " + cli.path("missing.txt"),
       "Cannot open file \"" + cli.path("missing.txt") + "\". No such file or directory\n"},
      {"import --car A " + otherType, ""},
      {"remove-import 99", ""},
      {"export --car A --trip 4 " + cli.path("out.txt"),
       "kq-cli library export: the car \"A\" has no trip 4 (it has 3)\n"},
      {"events --car A --where '[Нет] > 1'",
       "kq-cli library events: --where: позиция 1: неизвестный параметр «Нет»\n"},
  };
  for (const Case& c : cases) {
    const auto result = run(c.args);
    EXPECT_EQ(result.status, 1) << c.args;
    EXPECT_NE(result.err, "") << c.args;
    EXPECT_EQ(result.err.find("std::"), std::string::npos) << result.err;
    if (!c.message.empty()) {
      EXPECT_EQ(result.err, c.message) << c.args;
    }
    EXPECT_EQ(result.out, "") << c.args;
    EXPECT_TRUE(readWholeFile(library) == before) << c.args;
  }
  EXPECT_EQ(readWholeFile(cli.path("out.txt")), "kept\n");
  EXPECT_EQ(run("cars").out.find("New;"), std::string::npos);
}

TEST_F(CliLibraryTest, TwoProgramsImportingAtOnceStoreEveryRecordOnce) {
  const std::vector<std::string> drive = sim::syntheticDumpLines(6, 7680);
  const std::string files[] = {save("d0.txt", part(drive, 0, 1200)), save("d1.txt", part(drive, 800, 2000)),
                               save("d2.txt", part(drive, 1600, 2800)),
                               save("d3.txt", part(drive, 2400, 3600))};
  const std::string import =
      std::string(KQ_CLI_PATH) + " library --library " + library + " import --car Общая --date 2024-12-31 ";
  const std::string both = "(" + import + files[0] + " " + files[1] + " " + files[2] + " " + files[3] + " >" +
                           cli.path("out1") + " 2>&1; echo $? >" + cli.path("status1") + ") & (" + import +
                           files[3] + " " + files[2] + " " + files[1] + " " + files[0] + " >" +
                           cli.path("out2") + " 2>&1; echo $? >" + cli.path("status2") + ") & wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  EXPECT_EQ(readWholeFile(cli.path("status1")), "0\n") << readWholeFile(cli.path("out1"));
  EXPECT_EQ(readWholeFile(cli.path("status2")), "0\n") << readWholeFile(cli.path("out2"));
  long fresh = 0;
  for (const char* out : {"out1", "out2"})
    for (const std::string& line : linesOf(readWholeFile(cli.path(out))))
      if (line.starts_with(cli.path("d"))) fresh += std::stol(line.substr(line.find(';') + 1));
  const long records = (800 * 3 + 1200) * 2;
  EXPECT_EQ(fresh, records);
  const std::vector<std::string> cars = linesOf(run("cars").out);
  ASSERT_EQ(cars.size(), 2u);
  EXPECT_EQ(cars[1].rfind("Общая;6;" + std::to_string(records) + ";", 0), 0u) << cars[1];
  EXPECT_EQ(linesOf(run("imports --car Общая").out).size(), 5u);
}

TEST_F(CliLibraryTest, UsageErrors) {
  struct Case {
    std::string args, message;
  } cases[] = {
      {"", "kq-cli library: a command is required ('kq-cli library --help' lists them)\n"},
      {"merge", "kq-cli library: unknown command 'merge'\n"},
      {"cars --colour", "kq-cli library cars: unknown option '--colour'\n"},
      {"import --car A --date 2024-02-30 a.txt", "kq-cli library import: --date takes a date YYYY-MM-DD\n"},
      {"trend --car A --of X --stat median", "kq-cli library trend: --stat takes min, max or mean\n"},
      {"trips --car A --library",
       "kq-cli library trips: --library takes a file or postgresql://USER@HOST[:PORT]/DATABASE\n"},
      {"remove-import first",
       "kq-cli library remove-import: ID takes an import's number (see 'kq-cli library imports')\n"},
  };
  for (const Case& c : cases) {
    const auto result = run(c.args);
    EXPECT_EQ(result.status, 2) << c.args;
    EXPECT_EQ(result.err, c.message) << c.args;
  }
  EXPECT_FALSE(std::filesystem::exists(library));
}

}  // namespace
}  // namespace kq
