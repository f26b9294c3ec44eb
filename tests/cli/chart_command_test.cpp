// kq-cli chart as a user runs it: the image, its size and colours, failures.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "cli_runner.h"
#include "decode/parameter_table.h"
#include "dump/dump_file.h"
#include "sim/memory.h"

namespace kq {
namespace {

class CliChartTest : public testing::Test {
 protected:
  void SetUp() override { saveDumpFile(cli.path("dump.txt"), Dump(sim::syntheticDumpLines(2, 600))); }

  test::CliRunner::Result chart(const std::string& options, const std::string& output) {
    return cli.run("LANG=C", "chart " + options + " " + cli.path("dump.txt") + " " + cli.path(output));
  }
  // A column title of type 2 in shell quotes.
  static std::string title(int item) {
    std::string quoted(1, '\'');
    quoted.append(parameterTable(2)[item].title).push_back('\'');
    return quoted;
  }

  test::CliRunner cli;
};

std::set<QRgb> colours(const QImage& image) {
  std::set<QRgb> seen;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y) & 0xFFFFFF);
  return seen;
}

TEST_F(CliChartTest, DrawsTheChosenSeriesInTheWindowsColoursAtTheGivenSize) {
  // Items 3 and 6: intake air temperature and engine speed.
  auto result = chart("--series " + title(3) + " --right " + title(6) + " --size 800x400", "chart.png");
  ASSERT_EQ(result.status, 0) << result.err;
  QImage image(QString::fromStdString(cli.path("chart.png")));
  ASSERT_EQ(image.size(), QSize(800, 400));
  std::set<QRgb> seen = colours(image);
  EXPECT_TRUE(seen.count(0xFF0000)) << "series 1, red";
  EXPECT_TRUE(seen.count(0x008000)) << "series 2, green";
  EXPECT_TRUE(seen.count(0x005FAF)) << "the right axis' tint";

  ASSERT_EQ(chart("", "default.png").status, 0);
  EXPECT_EQ(QImage(QString::fromStdString(cli.path("default.png"))).size(), QSize(1416, 681));
}

TEST_F(CliChartTest, RangeAndTimeAxisChangeTheImageAndPdfHasThePageSize) {
  ASSERT_EQ(chart("--size 600x300", "all.png").status, 0);
  ASSERT_EQ(chart("--size 600x300 --from 100 --to 200", "range.png").status, 0);
  ASSERT_EQ(chart("--size 600x300 --time", "time.png").status, 0);
  QImage all(QString::fromStdString(cli.path("all.png")));
  EXPECT_NE(all, QImage(QString::fromStdString(cli.path("range.png"))));
  EXPECT_NE(all, QImage(QString::fromStdString(cli.path("time.png"))));

  ASSERT_EQ(chart("--size 600x300", "chart.pdf").status, 0);
  std::string pdf = readWholeFile(cli.path("chart.pdf"));
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("/MediaBox [0 0 600.000000 300.000000]"), std::string::npos);
}

TEST_F(CliChartTest, FailuresGiveTheMessageAndWriteNoFile) {
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += "--series " + title(i) + " ";
  struct Case {
    std::string options;
    std::string output;
    int status;
    std::string message;
  } cases[] = {
      {"--series 'Нет такого'", "a.png", 1,
       "kq-cli chart: controller type 2 has no parameter \"Нет такого\"\n"},
      {"--from 600", "a.png", 1,
       "kq-cli chart: no records at chart positions 600 to the last: the dump has positions 0 to 599\n"},
      {"", "a.jpg", 2, "kq-cli chart: OUTPUT must end in .png or .pdf\n"},
      {"--size 0x10", "a.png", 2, "kq-cli chart: --size takes WIDTHxHEIGHT in pixels, each 1 to 20000\n"},
      {eleven, "a.png", 2, "kq-cli chart: at most 10 series\n"},
      {"--series", "a.png", 2, ""},  // the title is taken as DUMP: usage
  };
  for (const auto& c : cases) {
    auto result = chart(c.options, c.output);
    EXPECT_EQ(result.status, c.status) << c.options;
    if (!c.message.empty()) {
      EXPECT_EQ(result.err, c.message) << c.options;
    }
    EXPECT_FALSE(std::filesystem::exists(cli.path(c.output))) << c.options;
  }
  auto noFolder = chart("", "missing/a.png");
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_EQ(noFolder.err.rfind("Cannot create file \"" + cli.path("missing/a.png") + "\".", 0), 0u)
      << noFolder.err;

  auto missing = cli.run("LANG=C", "chart " + cli.path("missing.txt") + " " + cli.path("a.png"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Cannot open file \"" + cli.path("missing.txt") + "\". No such file or directory\n");
}

TEST_F(CliChartTest, DrawsASavedWorkspaceOrRefusesADamagedOne) {
  saveDumpFile(cli.path("b.txt"), Dump(sim::syntheticDumpLines(6, 300)));
  std::string series;
  for (int i = 0; i < 10; ++i)
    series.append(i ? "," : "")
        .append(R"({"parameter": "Обороты двигателя", "shown": )")
        .append(i ? "false" : "true")
        .append(R"(, "rightAxis": false})");
  const std::string workspace = R"({"format": "kq-unloader workspace", "version": 1,
    "drives": [{"path": "dump.txt", "offset": 0}, {"path": "b.txt", "offset": 30}],
    "series": [)" + series + R"(], "timeAxis": false, "markers": [null, null], "zoom": null,
    "channels": [], "filter": "", "cellTable": {"x": "", "y": "", "z": "", "xBreaks": "", "yBreaks": "",
    "statistic": 0, "minimumRecords": 1}})";
  writeFileSafely(cli.path("view.kqw"), workspace);
  auto drawn =
      cli.run("LANG=C", "chart --size 700x350 --workspace " + cli.path("view.kqw") + " " + cli.path("w.png"));
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  QImage image(QString::fromStdString(cli.path("w.png")));
  EXPECT_EQ(image.size(), QSize(700, 350));
  EXPECT_TRUE(colours(image).count(0xFF0000)) << "both drives in series 1's red";

  writeFileSafely(cli.path("bad.kqw"), workspace.substr(0, 100));
  auto refused = cli.run("LANG=C", "chart --workspace " + cli.path("bad.kqw") + " " + cli.path("bad.png"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("не открыта: файл повреждён"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(cli.path("bad.png")));
}

}  // namespace
}  // namespace kq
