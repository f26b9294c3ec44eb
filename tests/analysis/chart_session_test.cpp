// The chart's state without a window: what each change does and reports.
#include "analysis/chart_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "analysis/chart_workspace.h"
#include "base/utf8_path.h"
#include "dump/dump_file.h"
#include "sim/memory.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {

const std::string kRpm = "Обороты двигателя";

class ChartSessionTest : public ::testing::Test {
 protected:
  ChartSessionTest() {
    subscription = session.observe([this](ChartChanges changes) { reports.push_back(changes); });
  }
  ~ChartSessionTest() override { std::filesystem::remove_all(folder); }

  std::string dumpFile(const std::string& name, int type, int records) {
    const std::string path = utf8Text(folder / name);
    saveDumpFile(path, Dump(sim::syntheticDumpLines(type, records)));
    return path;
  }
  void prepare(int type, int records) { session.prepare(Dump(sim::syntheticDumpLines(type, records)), ','); }
  int keptCount(int drive) const {
    const auto kept = session.kept(drive);
    return int(std::count(kept.begin(), kept.end(), char(1)));
  }

  std::filesystem::path folder = test::makeTempDir("chart-session");
  ChartSession session;
  std::vector<ChartChanges> reports;
  ChartSession::Subscription subscription;
};

TEST_F(ChartSessionTest, EachChangeIsReportedOnceAndABatchOnceForAll) {
  prepare(6, 100);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].has(ChartChange::model));

  reports.clear();
  session.setSeriesShown(3, false);
  session.setSeriesShown(3, false);  // no change, no report
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].touchesSeries(3));
  EXPECT_FALSE(reports[0].touchesSeries(2));
  EXPECT_FALSE(reports[0].has(ChartChange::model));

  reports.clear();
  {
    ChartSession::Batch batch(session);
    session.setTimeAxis(true);
    session.setMarker(0, 10);
    EXPECT_TRUE(reports.empty());
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].has(ChartChange::timeAxis) && reports[0].has(ChartChange::markers));

  // A mistake changes nothing and reports nothing.
  reports.clear();
  EXPECT_NE(session.setFilter("[Нет такого] > 1"), "");
  EXPECT_NE(session.addChannel("Плохой", "[Нет] * 2"), "");
  EXPECT_TRUE(reports.empty());
}

TEST_F(ChartSessionTest, ChannelsAndFilterCarryOverWhereTheTitlesAllow) {
  prepare(6, 300);
  ASSERT_EQ(session.addChannel("Байт вдвое", "[Байт 17] * 2"), "");
  ASSERT_EQ(session.addChannel("Обороты, тыс.", "[" + kRpm + "] / 1000"), "");
  ASSERT_EQ(session.setFilter("[" + kRpm + "] > 1500"), "");
  const int kept6 = keptCount(0);
  EXPECT_GT(kept6, 0);
  EXPECT_LT(kept6, 300);

  // Type 2 has no "Байт 17": that channel goes, the other and the filter stay.
  prepare(2, 200);
  ASSERT_EQ(session.channels().size(), 1u);
  EXPECT_EQ(session.channels()[0].name, "Обороты, тыс.");
  ASSERT_EQ(session.analysisProblems().channels.size(), 1u);
  EXPECT_NE(session.analysisProblems().channels[0].find("Байт 17"), std::string::npos);
  EXPECT_FALSE(session.kept(0).empty());

  // A filter that does not fit the new dump keeps every record and says why.
  ASSERT_EQ(session.setFilter("[Обороты, тыс.] > 1"), "");
  ASSERT_EQ(session.removeChannel(0), "фильтр: позиция 1: неизвестный параметр «Обороты, тыс.»");
  ASSERT_EQ(session.setFilter(""), "");
  EXPECT_TRUE(session.kept(0).empty());
}

TEST_F(ChartSessionTest, ASeriesWithoutAParameterDrawsNothingAndAHiddenOneKeepsItsTitle) {
  prepare(2, 50);
  const std::string first = session.model().titles()[3];
  EXPECT_EQ(session.series(0).parameter, first);
  EXPECT_TRUE(session.plotted(0).filled);
  EXPECT_EQ(session.plotted(0).title, first);

  session.setSeriesParameter(0, "");
  EXPECT_EQ(session.plotted(0), PlottedSeries{});
  EXPECT_EQ(session.seriesSource(0).column, -1);
  session.setSeriesParameter(0, "Обор");  // typed, no title yet
  EXPECT_FALSE(session.plotted(0).filled);

  session.setSeriesShown(1, false);
  session.setSeriesParameter(1, session.model().titles()[7], 7);
  EXPECT_FALSE(session.plotted(1).filled);
  EXPECT_EQ(session.plotted(1).title, session.model().titles()[1]) << "a hidden series keeps its title";

  // A channel that goes takes its series with it.
  ASSERT_EQ(session.addChannel("Вдвое", "[" + kRpm + "] * 2"), "");
  session.setSeriesParameter(2, "Вдвое");
  EXPECT_TRUE(session.plotted(2).filled);
  ASSERT_EQ(session.removeChannel(0), "");
  EXPECT_EQ(session.series(2).parameter, "");
  EXPECT_FALSE(session.plotted(2).filled);
}

TEST_F(ChartSessionTest, ATitleThatStandsTwiceIsPlottedAsTheItemChosen) {
  prepare(7, 20);
  const auto& titles = session.model().titles();
  int first = -1, second = -1;
  for (int i = 0; i < int(titles.size()) && second < 0; ++i)
    for (int j = 0; j < i; ++j)
      if (titles[i] == titles[j]) first = j, second = i;
  ASSERT_GE(second, 0);
  session.setSeriesParameter(0, titles[second], second);
  EXPECT_EQ(session.plotted(0).column, kFrameColumns + second);
  session.setSeriesParameter(0, titles[second]);  // typed: the first of them
  EXPECT_EQ(session.plotted(0).column, kFrameColumns + first);
}

TEST_F(ChartSessionTest, DrivesComparedKeepTheirOffsetsAndLetters) {
  EXPECT_EQ(session.addDrive(dumpFile("b.txt", 6, 100)), "Нет записи, с которой сравнивать.");
  prepare(6, 300);
  EXPECT_EQ(session.addDrive(utf8Text(folder / utf8Path("нет.txt"))).rfind("Файл «нет.txt»: ", 0), 0u);
  ASSERT_EQ(session.addDrive(dumpFile("b.txt", 6, 100)), "");
  ASSERT_EQ(session.addDrive(dumpFile("c.txt", 2, 100)), "");
  ASSERT_EQ(session.addDrive(dumpFile("d.txt", 6, 100)), "");
  EXPECT_EQ(session.addDrive(dumpFile("e.txt", 6, 100)), "Сравниваются не больше четырёх записей.");

  session.setOffset(2, 12.5);
  session.setOffset(3, -4);
  session.setMarker(0, 1e9);  // kept within the drives' times
  double last = 0;
  for (int d = 0; d < session.driveCount(); ++d)
    last = std::max(last, *std::max_element(session.alignedTimes(d).begin(), session.alignedTimes(d).end()));
  EXPECT_EQ(session.marker(0), last);
  ASSERT_EQ(session.setFilter("[" + kRpm + "] > 1500"), "");
  EXPECT_TRUE(session.drive(2).problems.empty()) << "type 2 has engine speed too";
  EXPECT_FALSE(session.kept(2).empty());

  session.removeDrive(1);
  ASSERT_EQ(session.driveCount(), 3);
  EXPECT_EQ(session.comparison().offset(1), 12.5) << "C is now B, with its offset";
  EXPECT_EQ(session.comparison().offset(2), -4);
  EXPECT_EQ(session.alignedTimes(1), session.comparison().alignedTimes(1));
  EXPECT_FALSE(session.marker(0));
}

TEST_F(ChartSessionTest, WorkspaceOpensWhatWasCapturedAndAMissingDriveAIsRefused) {
  session.prepare(Dump(sim::syntheticDumpLines(6, 300)), ',', dumpFile("a.txt", 6, 300));
  ASSERT_EQ(session.addDrive(dumpFile("b.txt", 2, 100)), "");
  session.setOffset(1, 30);
  ASSERT_EQ(session.addChannel("Вдвое", "[" + kRpm + "] * 2"), "");
  ASSERT_EQ(session.setFilter("[" + kRpm + "] > 1000"), "");
  session.setSeriesParameter(4, "Вдвое");
  session.setSeriesOnRightAxis(4, true);
  session.setSeriesShown(6, false);
  session.setMarker(0, 20);
  session.setZoom(std::pair(5.0, 80.0));
  CellTableSettings table = session.cellTable();
  table.drive = 1;
  table.difference = true;
  table.statistic = CellStatistic::maximum;
  session.setCellTable(table);
  const Workspace saved = captureWorkspace(session);

  ChartSession reopened;
  WorkspaceOpening opening = openWorkspace(reopened, saved, "w.kqw", ',', {});
  ASSERT_EQ(opening.error, "");
  const Workspace again = captureWorkspace(reopened);
  EXPECT_EQ(again.drives, saved.drives);
  EXPECT_EQ(again.series, saved.series);
  EXPECT_EQ(again.markers, saved.markers);
  EXPECT_EQ(again.zoom, saved.zoom);
  EXPECT_EQ(again.filter, saved.filter);
  EXPECT_EQ(again.cellTable, saved.cellTable);
  EXPECT_EQ(keptCount(0), [&] {
    const auto kept = reopened.kept(0);
    return int(std::count(kept.begin(), kept.end(), char(1)));
  }());

  // Drive A gone and not replaced: refused, nothing changed.
  Workspace broken = saved;
  broken.drives[0].path = utf8Text(folder / utf8Path("пропал.txt"));
  std::vector<std::string> asked;
  opening =
      openWorkspace(reopened, broken, "w.kqw", ',', [&](const std::string& missing, const std::string&) {
        asked.push_back(missing);
        return std::string();
      });
  EXPECT_EQ(asked, std::vector<std::string>{broken.drives[0].path});
  EXPECT_EQ(opening.error.rfind("Рабочая область «w.kqw» не открыта: запись A", 0), 0u) << opening.error;
  EXPECT_EQ(captureWorkspace(reopened).drives, saved.drives);
}

}  // namespace
}  // namespace kq
