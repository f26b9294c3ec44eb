// kq-cli library report through the real binary.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "base/safe_file.h"
#include "cli_runner.h"
#include "dump/dump_file.h"
#include "sim/memory.h"

namespace kq {
namespace {

class CliReportTest : public testing::Test {
 protected:
  void SetUp() override {
    saveDumpFile(cli.path("dump.txt"), Dump(sim::syntheticDumpLines(2, 3000)));
    for (const char* car : {"A", "B/2"})
      ASSERT_EQ(
          run(std::string("import --car '") + car + "' --date 2024-12-31 " + cli.path("dump.txt")).status, 0);
    writeFileSafely(cli.path("high.json"), R"({"format": "kq-report-template", "version": 1,
      "parameters": ["Обороты двигателя"],
      "checks": [{"name": "Высокие", "expression": "[Обороты двигателя] > 2500", "min_seconds": 4}]})");
  }
  test::CliRunner::Result run(const std::string& args) const {
    return cli.run("LANG=C TZ=UTC", "library --library " + cli.path("library.sqlite") + " " + args);
  }
  static int pagesOf(const std::string& pdf) {
    std::smatch count;
    return std::regex_search(pdf, count, std::regex("/Count ([0-9]+)")) ? std::stoi(count[1]) : 0;
  }
  test::CliRunner cli;
};

TEST_F(CliReportTest, AReportCountsWhatTheHistorySaysAndTheNextStartsAfterIt) {
  const auto trips = run("trips --car A"),
             events = run("events --car A --min-seconds 4 --where '[Обороты двигателя] > 2500'");
  const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n') - 1; };
  ASSERT_GT(lines(events.out), 0);

  const std::string out = cli.path("a.pdf");
  const auto made = run("report --car A --template " + cli.path("high.json") + " " + out);
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string pdf = readWholeFile(out);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_EQ(made.out, "Машина;Файл;Поездок;Событий;Страниц\nA;" + out + ";" +
                          std::to_string(lines(trips.out)) + ";" + std::to_string(lines(events.out)) + ";" +
                          std::to_string(pagesOf(pdf)) + "\n");
  EXPECT_GT(pagesOf(pdf), 1);

  // Nothing came since: the next visit's report has no trips, unless the span is named.
  EXPECT_EQ(run("report --car A " + out).out, "Машина;Файл;Поездок;Событий;Страниц\nA;" + out + ";0;0;1\n");
  EXPECT_EQ(run("report --car A --from 2024-01-01 --no-mark " + out).out.find("A;" + out + ";0;"),
            std::string::npos);
}

TEST_F(CliReportTest, ACarOrCheckThatDoesNotFitWritesNothing) {
  writeFileSafely(cli.path("wrong.json"), R"({"format": "kq-report-template", "version": 1, "parameters": [],
      "checks": [{"name": "Плохая", "expression": "[Обороты двигателя] >"}]})");
  const struct {
    std::string args, message;
  } cases[] = {
      {"--car A --template " + cli.path("wrong.json"),
       "kq-cli library report: car \"A\": проверка «Плохая»: позиция"},
      {"--car A --car Нет", "kq-cli library report: the library has no car \"Нет\""},
      {"--car A --template " + cli.path("none.json"), "Cannot open file"},
  };
  for (const auto& c : cases) {
    const auto result = run("report " + c.args + " --out-dir " + cli.path(""));
    EXPECT_EQ(result.status, 1) << c.args;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  for (const auto& entry : std::filesystem::directory_iterator(cli.path("")))
    EXPECT_NE(entry.path().extension(), ".pdf") << entry.path();
  EXPECT_EQ(run("report --car A --car B/2 " + cli.path("x.pdf")).status, 2);
}

TEST_F(CliReportTest, SeveralCarsOneFileEach) {
  const auto made = run("report --car A --car B/2 --out-dir " + cli.path(""));
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string date =
      std::regex_replace(made.out, std::regex("(?:.|\n)*A-([0-9-]+)\\.pdf(?:.|\n)*"), "$1");
  for (const char* file : {"A-", "B_2-"})
    EXPECT_EQ(readWholeFile(cli.path(file + date + ".pdf")).rfind("%PDF-", 0), 0u) << file << date;
}

}  // namespace
}  // namespace kq
