// The chart window's filter, derived channels and cell table, driven as a
// user drives them.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "analysis/cell_table.h"
#include "chart/chart_window.h"
#include "chart/readout_text.h"
#include "sim/memory.h"
#include "ui/qt_text.h"

namespace kq {
namespace {

class ChartAnalysisTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "chart_analysis_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  template <class Widget>
  Widget* child(const char* name) {
    return window.findChild<Widget*>(QString::fromLatin1(name));
  }
  void typeFilter(const QString& text) {
    auto* field = child<QLineEdit>("filterField");
    field->setText(text);  // keyClicks types ASCII only
    QTest::keyClick(field, Qt::Key_Return);
  }
  // The records series 0 shows a value for.
  std::vector<int> plotted() {
    std::vector<int> positions;
    for (const QCPGraphData& point : *child<QCustomPlot>("plot")->graph(0)->data())
      if (!std::isnan(point.value)) positions.push_back(int(point.key));
    return positions;
  }

  ChartWindow window;
};

const char* const kRevolutions = "Обороты двигателя";

TEST_F(ChartAnalysisTest, FilterMakesGapsAndStaysAcrossReloadChannelsAndNewDumps) {
  const Dump drive(sim::syntheticDumpLines(6, 600));
  window.prepare(drive, ',');
  const QString filter = QStringLiteral("[%1] > 2000").arg(QString::fromUtf8(kRevolutions));
  typeFilter(filter);
  const DumpModel& model = window.session().model();
  const int revolutions =
      kFrameColumns +
      int(std::find(model.titles().begin(), model.titles().end(), kRevolutions) - model.titles().begin());
  std::vector<int> expected;
  for (int i = 0; i < model.recordCount(); ++i)
    if (model.values(revolutions)[i] > 2000) expected.push_back(i);
  ASSERT_GT(expected.size(), 10u);
  ASSERT_LT(expected.size(), 590u);
  EXPECT_EQ(plotted(), expected);
  const QString count = keptCountText(long(expected.size()), 600);
  EXPECT_EQ(child<QLabel>("filterCount")->text(), count);

  // A mistake is said and changes nothing.
  typeFilter(QStringLiteral("[Нет такого] > 1"));
  EXPECT_EQ(child<QLabel>("filterError")->text(), "позиция 1: неизвестный параметр «Нет такого»");
  EXPECT_EQ(plotted(), expected);

  window.prepare(drive, ',');  // the chart button again
  EXPECT_EQ(plotted(), expected);
  EXPECT_EQ(child<QLabel>("filterCount")->text(), count);
  EXPECT_EQ(window.session().addChannel("Обороты, тыс.", std::string("[") + kRevolutions + "] / 1000"), "");
  EXPECT_EQ(plotted(), expected);

  window.prepare(Dump(sim::syntheticDumpLines(6, 100)), ',');  // a new dump
  EXPECT_EQ(child<QLabel>("filterCount")->text().endsWith(" из 100"), true);
  EXPECT_LT(plotted().size(), 100u);

  child<QLineEdit>("filterField")->clear();  // as its clear button does
  EXPECT_EQ(plotted().size(), 100u);
  EXPECT_EQ(child<QLabel>("filterCount")->text(), "");
}

TEST_F(ChartAnalysisTest, AChannelAppearsInEverySelectorTheGridAndTheTable) {
  window.prepare(Dump(sim::syntheticDumpLines(6, 50)), '.');
  const int decoded = window.session().model().decodedCount();
  EXPECT_NE(window.session().addChannel("Удвоенные", "[Нет] * 2"), "");  // said, nothing changed
  EXPECT_EQ(window.session().model().columnCount(), kFrameColumns + decoded);

  EXPECT_EQ(window.session().addChannel("Удвоенные", std::string("[") + kRevolutions + "] * 2"), "");
  const int column = kFrameColumns + decoded;
  for (const char* selector : {"seriesParameter1", "seriesParameter10", "scatterX", "tableZ"})
    EXPECT_EQ(child<QComboBox>(selector)->itemText(decoded), "Удвоенные") << selector;
  QAbstractItemModel* grid = child<QTableView>("grid")->model();
  EXPECT_EQ(grid->headerData(column, Qt::Horizontal).toString(), "Удвоенные");

  EXPECT_EQ(window.session().changeChannel(0, "Тройные", std::string("[") + kRevolutions + "] * 3"), "");
  EXPECT_EQ(child<QComboBox>("seriesParameter1")->itemText(decoded), "Тройные");
  EXPECT_EQ(window.session().removeChannel(0), "");
  EXPECT_EQ(child<QComboBox>("seriesParameter1")->count(), decoded);
}

TEST_F(ChartAnalysisTest, TableTabFromPastedBreakpointsCopiesAndMarksACellsRecords) {
  window.prepare(Dump(sim::syntheticDumpLines(6, 400)), ',');
  child<QTabWidget>("chartTabs")->setCurrentIndex(2);
  auto choose = [this](const char* selector, const char* title) {
    auto* box = child<QComboBox>(selector);
    box->setCurrentIndex(box->findText(QString::fromUtf8(title)));
    emit box->activated(box->currentIndex());
  };
  choose("tableX", kRevolutions);
  choose("tableY", "Нагрузка на двигатель");
  choose("tableZ", "Угол опережения зажигания");
  auto* xBreaks = child<QLineEdit>("tableXBreaks");
  xBreaks->setText(QStringLiteral("800\t1600\t2400\t3200"));
  emit xBreaks->editingFinished();

  auto* cells = child<QTableWidget>("tableCells");
  ASSERT_EQ(cells->columnCount(), 4);
  ASSERT_EQ(cells->rowCount(), 8);
  cells->setFocus();
  QTest::keyClick(cells, Qt::Key_C, Qt::ControlModifier);
  const QString copied = QApplication::clipboard()->text();
  EXPECT_TRUE(copied.startsWith("\t800\t1600\t2400\t3200\n")) << copied.toStdString();
  EXPECT_EQ(copied.count('\n'), 9);

  int row = 0, column = 0;
  for (; row < cells->rowCount(); ++row) {
    for (column = 0; column < cells->columnCount(); ++column)
      if (cells->item(row, column)) break;
    if (column < cells->columnCount()) break;
  }
  ASSERT_LT(row, cells->rowCount());
  emit cells->cellClicked(row, column);
  int marked = 0;
  for (int i = 0; i < child<QCustomPlot>("plot")->graphCount(); ++i)
    if (i >= 10) marked += child<QCustomPlot>("plot")->graph(i)->dataCount();
  EXPECT_GT(marked, 0);
}

}  // namespace
}  // namespace kq
