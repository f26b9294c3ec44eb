#include "chart/chart_window.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cmath>
#include <set>

#include "analysis/record_time.h"
#include "base/file_error.h"
#include "chart/image_actions.h"
#include "chart/series_panel.h"
#include "decode/conversion_error.h"
#include "decode/parameter_table.h"
#include "sim/memory.h"
#include "tests/support/dump_builder.h"
#include "ui/plot_view.h"

namespace kq {
namespace {
using namespace test;

class ChartWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "chart_window_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }

  // Controls of a series counted from 0; their object names count from 1.
  template <class Widget>
  Widget* control(const char* role, int series) {
    return window.findChild<Widget*>(QString::fromLatin1(role) + QString::number(series + 1));
  }
  QComboBox* parameterSelector(int series) { return control<QComboBox>("seriesParameter", series); }
  QCheckBox* shownSwitch(int series) { return control<QCheckBox>("seriesShown", series); }
  QCheckBox* rightAxisSwitch(int series) { return control<QCheckBox>("seriesRightAxis", series); }
  QCustomPlot* plot() { return window.findChild<QCustomPlot*>(QStringLiteral("plot")); }
  QCPGraph* graph(int series) { return plot()->graph(series); }
  void takeParameter(ChartWindow& window, int series) {
    window.findChild<SeriesPanel*>()->takeParameter(series);
  }
  QAbstractItemModel* gridModel() { return window.findChild<QTableView*>(QStringLiteral("grid"))->model(); }

  std::vector<double> valuesOf(int series) {
    std::vector<double> values;
    for (const QCPGraphData& point : *graph(series)->data()) values.push_back(point.value);
    return values;
  }
  std::vector<double> keysOf(int series) {
    std::vector<double> keys;
    for (const QCPGraphData& point : *graph(series)->data()) keys.push_back(point.key);
    return keys;
  }
  // The plotted values of a grid column: the model's, as doubles.
  std::vector<double> columnValues(int column) {
    std::vector<double> values;
    for (long double value : window.session().model().values(column)) values.push_back(double(value));
    return values;
  }

  ChartWindow window;
};

TEST_F(ChartWindowTest, EmptyDumpDoesNothing) {
  window.prepare(Dump(), ',');
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.session().model().recordCount(), 0);
  EXPECT_EQ(parameterSelector(0)->count(), 0);
  EXPECT_EQ(parameterSelector(0)->currentText(), "");
}

TEST_F(ChartWindowTest, PreparationFillsGridSelectorsAndSeriesAndShowsTheWindow) {
  window.prepare(makeDump(2, 3), ',');
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "График");
  EXPECT_EQ(gridModel()->rowCount(), 6);
  EXPECT_EQ(gridModel()->columnCount(), 46);
  EXPECT_EQ(gridModel()->headerData(2, Qt::Horizontal).toString(), "Номер записи");
  EXPECT_EQ(gridModel()->data(gridModel()->index(5, 2)).toString(), "5");

  const int initial[] = {3, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ParameterTable table = parameterTable(2);
  for (int series = 0; series < 10; ++series) {
    SCOPED_TRACE(series);
    ASSERT_EQ(parameterSelector(series)->count(), 43);
    EXPECT_EQ(parameterSelector(series)->currentIndex(), initial[series]);
    EXPECT_EQ(graph(series)->name().toStdString(), table[initial[series]].title);
    EXPECT_EQ(keysOf(series), (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(valuesOf(series), columnValues(3 + initial[series]));
  }
  EXPECT_EQ(valuesOf(0), valuesOf(3));
}

TEST_F(ChartWindowTest, PlottedValuesAreTheCellValuesNotRounded) {
  // Type 2 "температура воздуха на впуске" (item 3) is B(15) * 0.75 - 48.
  Dump dump;
  auto record = [](int n, std::uint8_t b15) {
    Record r = makeRecord(2, n);
    r[15] = b15;
    return r;
  };
  dump.append(makeLine(record(0, 2), record(1, 6)));    // -46.5, -43.5
  dump.append(makeLine(record(2, 66), record(3, 70)));  // 1.5, 4.5
  dump.append(makeLine(record(4, 63), record(5, 65)));  // -0.75, 0.75
  window.prepare(dump, ',');
  EXPECT_EQ(window.session().model().cell(1, 6), "-46,5");
  EXPECT_EQ(valuesOf(0), (std::vector<double>{-46.5, -43.5, 1.5, 4.5, -0.75, 0.75}));
}

TEST_F(ChartWindowTest, SecondPreparationListsEachTitleOnceAndDoesNotDoubleTheSeries) {
  window.prepare(makeDump(6, 4), ',');
  window.prepare(makeDump(6, 4), ',');
  for (int series = 0; series < 10; ++series) {
    EXPECT_EQ(parameterSelector(series)->count(), 74);
    EXPECT_EQ(graph(series)->dataCount(), 8);
  }
  EXPECT_EQ(gridModel()->columnCount(), 77);
  EXPECT_EQ(gridModel()->rowCount(), 8);
}

TEST_F(ChartWindowTest, FirstRecordEmptyShowsTheTitleRowOnly) {
  window.prepare(makeDump(2, 2), ',');
  window.prepare(Dump({makeLine(emptyRecord(), makeRecord(2, 1))}), ',');
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.session().model().rowCount(), 1);
  EXPECT_EQ(gridModel()->rowCount(), 0);
  for (int series = 0; series < 10; ++series) EXPECT_EQ(graph(series)->dataCount(), 0);
}

TEST_F(ChartWindowTest, UnknownControllerTypeLeavesSelectorsEmptyAndPlotsNothing) {
  window.prepare(makeDump(2, 2), ',');
  window.prepare(makeDump(9, 2), ',');
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(gridModel()->columnCount(), 3);
  EXPECT_EQ(gridModel()->rowCount(), 4);
  EXPECT_EQ(gridModel()->data(gridModel()->index(3, 2)).toString(), "3");
  for (int series = 0; series < 10; ++series) {
    EXPECT_EQ(parameterSelector(series)->count(), 0);
    EXPECT_EQ(graph(series)->dataCount(), 0);
    EXPECT_EQ(graph(series)->name(), "");
  }
}

TEST_F(ChartWindowTest, FailedPreparationLeavesTheWindowAsItWas) {
  window.prepare(makeDump(2, 2), ',');
  window.hide();
  Dump bad = makeDump(6, 3);
  std::string line = bad.line(2);
  line.replace(3 * (3 + 20), 2, "G1");
  bad = Dump({bad.line(0), bad.line(1), line});
  EXPECT_THROW(window.prepare(bad, ','), ConversionError);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(gridModel()->columnCount(), 46);
  EXPECT_EQ(parameterSelector(0)->count(), 43);
  EXPECT_EQ(graph(0)->dataCount(), 4);
}

TEST_F(ChartWindowTest, SelectorChangedWhileHiddenEmptiesTheSeries) {
  window.prepare(makeDump(2, 3), ',');
  shownSwitch(1)->setChecked(false);
  EXPECT_FALSE(graph(1)->visible());
  parameterSelector(1)->setCurrentIndex(7);
  takeParameter(window, 1);
  EXPECT_EQ(graph(1)->dataCount(), 0);
  EXPECT_EQ(graph(1)->name().toStdString(), parameterTable(2)[1].title);  // keeps its title
  shownSwitch(1)->setChecked(true);
  EXPECT_TRUE(graph(1)->visible());
  EXPECT_EQ(graph(1)->dataCount(), 0);
  takeParameter(window, 1);
  EXPECT_EQ(valuesOf(1), columnValues(3 + 7));
  EXPECT_EQ(graph(1)->name().toStdString(), parameterTable(2)[7].title);
}

TEST_F(ChartWindowTest, PreparationEmptiesAHiddenSeriesAndKeepsItsTitle) {
  window.prepare(makeDump(2, 3), ',');
  shownSwitch(3)->setChecked(false);
  window.prepare(makeDump(6, 2), ',');
  EXPECT_EQ(graph(3)->dataCount(), 0);
  EXPECT_FALSE(graph(3)->visible());
  EXPECT_EQ(graph(3)->name().toStdString(), parameterTable(2)[3].title);
  EXPECT_EQ(graph(4)->name().toStdString(), parameterTable(6)[4].title);
}

TEST_F(ChartWindowTest, ClosingOnlyHides) {
  window.prepare(makeDump(2, 1), ',');
  // wine without a display makes no native window, and closing a window that
  // was never made does nothing; scripts/drive-windows-window closes the real one.
  if (!window.windowHandle()->handle()) GTEST_SKIP() << "no native window to close";
  window.close();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.testAttribute(Qt::WA_DeleteOnClose));
  window.prepare(makeDump(2, 1), ',');
  EXPECT_TRUE(window.isVisible());
}

TEST_F(ChartWindowTest, VisibilityOffAndOnKeepsTheLine) {
  window.prepare(makeDump(2, 3), ',');
  std::vector<double> before = valuesOf(2);
  shownSwitch(2)->setChecked(false);
  EXPECT_FALSE(graph(2)->visible());
  EXPECT_EQ(valuesOf(2), before);
  shownSwitch(2)->setChecked(true);
  EXPECT_TRUE(graph(2)->visible());
  EXPECT_EQ(valuesOf(2), before);
}

TEST_F(ChartWindowTest, RightAxisSwitchMovesOneSeriesAloneAndPreparationMovesItBack) {
  window.prepare(makeDump(2, 3), ',');
  rightAxisSwitch(2)->setChecked(true);
  for (int series = 0; series < 10; ++series)
    EXPECT_EQ(graph(series)->valueAxis(), series == 2 ? plot()->yAxis2 : plot()->yAxis) << series;
  parameterSelector(2)->setCurrentIndex(5);
  takeParameter(window, 2);
  EXPECT_EQ(graph(2)->valueAxis(), plot()->yAxis2);
  window.prepare(makeDump(2, 3), ',');
  EXPECT_FALSE(rightAxisSwitch(2)->isChecked());
  EXPECT_EQ(graph(2)->valueAxis(), plot()->yAxis);
}

TEST_F(ChartWindowTest, SelectorWithoutAChosenItemPlotsNothingUntitled) {
  window.prepare(makeDump(2, 3), ',');
  parameterSelector(4)->setCurrentIndex(-1);
  takeParameter(window, 4);
  EXPECT_EQ(valuesOf(4), std::vector<double>{});
  EXPECT_EQ(graph(4)->name(), "");
}

TEST_F(ChartWindowTest, TypedTextNamingAnItemPlotsThatItem) {
  window.prepare(makeDump(2, 3), ',');
  parameterSelector(5)->setEditText(QString::fromStdString(std::string(parameterTable(2)[9].title)));
  takeParameter(window, 5);
  EXPECT_EQ(valuesOf(5), columnValues(3 + 9));
}

TEST_F(ChartWindowTest, MarkerReadoutShowsValuesDifferenceAndDistance) {
  window.prepare(makeDump(2, 4), ',');
  QLabel* readout = window.findChild<QLabel*>(QStringLiteral("markerReadout"));
  EXPECT_TRUE(readout->isHidden());
  window.session().setMarker(0, 1);
  window.session().setMarker(1, 50);  // beyond the last record: the last one
  EXPECT_FALSE(readout->isHidden());
  QString text = readout->text();
  EXPECT_TRUE(text.contains("Расстояние, записей:</b> 6")) << text.toStdString();
  // Series 1 (item 3, B(15) * 0.75 - 48) with bytes 0x11 and 0x17.
  EXPECT_TRUE(text.contains("<td>-35,25</td>")) << text.toStdString();
  EXPECT_TRUE(text.contains("<td>-30,75</td>")) << text.toStdString();
  EXPECT_TRUE(text.contains("<td>4,5</td>")) << text.toStdString();
  // Statistics over positions 1 to 7, bytes 0x11 to 0x17.
  EXPECT_TRUE(text.contains("<td><b>Минимум</b></td><td>-35,25</td>")) << text.toStdString();
  EXPECT_TRUE(text.contains("<td><b>Максимум</b></td><td>-30,75</td>")) << text.toStdString();
  EXPECT_TRUE(text.contains("<td><b>Среднее</b></td><td>-33</td>")) << text.toStdString();
  window.prepare(makeDump(2, 4), ',');
  EXPECT_TRUE(readout->isHidden());
}

TEST_F(ChartWindowTest, WindowFitsTheScreen) {
  QRect available = window.screen()->availableGeometry();
  EXPECT_LE(window.frameGeometry().width(), available.width());
  EXPECT_LE(window.frameGeometry().height(), available.height());
}

// The same range to far less than a pixel: where an axis ends after a zoom is
// pixel arithmetic, exact only on the machine that drew it.
bool sameRange(const QCPRange& a, const QCPRange& b) {
  const double tolerance = 1e-9 * std::max(1.0, std::abs(b.size()));
  return std::abs(a.lower - b.lower) <= tolerance && std::abs(a.upper - b.upper) <= tolerance;
}

// Waits for the zoom animation to end, up to 5 s on a busy machine.
bool waitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 500 && !condition(); ++i) QTest::qWait(10);
  return condition();
}

TEST_F(ChartWindowTest, RectangleZoomsInWheelZoomsXAndDoubleClickShowsAll) {
  window.prepare(makeDump(2, 200), ',');
  QCustomPlot* plot = this->plot();
  QCPRange all = plot->xAxis->range();
  QCPRange left = plot->yAxis->range();
  EXPECT_LE(all.lower, 0);
  EXPECT_GE(all.upper, 399);

  QRect rect = plot->axisRect()->rect();
  QPoint from(rect.left() + rect.width() / 4, rect.top() + rect.height() / 4);
  QPoint to(rect.left() + rect.width() / 2, rect.top() + rect.height() / 2);
  QTest::mousePress(plot, Qt::LeftButton, {}, from);
  QTest::mouseMove(plot, to);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
  QCPRange target(plot->xAxis->pixelToCoord(from.x()), plot->xAxis->pixelToCoord(to.x()));
  EXPECT_TRUE(waitUntil([&] { return sameRange(plot->xAxis->range(), target); }));
  EXPECT_LT(plot->yAxis->range().size(), left.size());

  QCPRange zoomedLeft = plot->yAxis->range();
  QPointF centre = rect.center();
  QWheelEvent wheel(centre, plot->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(plot, &wheel);
  EXPECT_LT(plot->xAxis->range().size(), target.size());
  EXPECT_EQ(plot->yAxis->range(), zoomedLeft);

  // A selector change does not undo the user's zoom.
  QCPRange zoomedX = plot->xAxis->range();
  takeParameter(window, 1);
  EXPECT_EQ(plot->xAxis->range(), zoomedX);

  QTest::mouseDClick(plot, Qt::LeftButton, {}, centre.toPoint());
  EXPECT_TRUE(waitUntil([&] { return sameRange(plot->xAxis->range(), all); }));
  EXPECT_EQ(plot->yAxis->range(), left);
}

}  // namespace
}  // namespace kq

namespace kq {
namespace {

TEST_F(ChartWindowTest, WheelOverAnAxisZoomsThatAxisAloneAndDraggingAnAxisPansIt) {
  window.prepare(makeDump(2, 200), ',');
  rightAxisSwitch(1)->setChecked(true);
  QCustomPlot* plot = this->plot();
  plot->replot();
  const QRect rect = plot->axisRect()->rect();
  const QCPRange x = plot->xAxis->range(), left = plot->yAxis->range(), right = plot->yAxis2->range();

  const QPointF overLeftAxis(rect.left() - 3, rect.center().y());
  QWheelEvent wheel(overLeftAxis, plot->mapToGlobal(overLeftAxis), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(plot, &wheel);
  EXPECT_LT(plot->yAxis->range().size(), left.size());
  EXPECT_EQ(plot->xAxis->range(), x);
  EXPECT_EQ(plot->yAxis2->range(), right);

  const QCPRange zoomedLeft = plot->yAxis->range();
  const QPoint overRightAxis(rect.right() + 3, rect.center().y());
  QTest::mousePress(plot, Qt::LeftButton, {}, overRightAxis);
  QTest::mouseMove(plot, overRightAxis + QPoint(0, 40));
  QTest::mouseRelease(plot, Qt::LeftButton, {}, overRightAxis + QPoint(0, 40));
  EXPECT_NEAR(plot->yAxis2->range().size(), right.size(), 1e-9 * right.size());
  EXPECT_GT(plot->yAxis2->range().lower, right.lower);  // dragged down: higher values come into view
  EXPECT_EQ(plot->yAxis->range(), zoomedLeft);
  EXPECT_EQ(plot->xAxis->range(), x);
  EXPECT_FALSE(plot->selectionRect()->isActive());
}

TEST_F(ChartWindowTest, RectangleZoomFitsBothValueAxesToTheirSeriesThere) {
  window.prepare(makeDump(2, 200), ',');
  rightAxisSwitch(1)->setChecked(true);
  QCustomPlot* plot = this->plot();
  plot->replot();
  const QRect rect = plot->axisRect()->rect();
  // A flat rectangle high up: the data there lies below it on both axes.
  const QPoint from(rect.left() + rect.width() / 2, rect.top() + 5), to(rect.right() - 5, rect.top() + 15);
  QTest::mousePress(plot, Qt::LeftButton, {}, from);
  QTest::mouseMove(plot, to);
  QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
  const QCPRange keys(plot->xAxis->pixelToCoord(from.x()), plot->xAxis->pixelToCoord(to.x()));
  EXPECT_TRUE(waitUntil([&] { return sameRange(plot->xAxis->range(), keys); }));
  for (int series : {0, 1}) {
    bool found = false;
    QCPRange values = graph(series)->getValueRange(found, QCP::sdBoth, keys);
    ASSERT_TRUE(found);
    EXPECT_TRUE(graph(series)->valueAxis()->range().contains(values.lower)) << series;
    EXPECT_TRUE(graph(series)->valueAxis()->range().contains(values.upper)) << series;
  }
}

TEST_F(ChartWindowTest, RightAxisSeriesIsMarkedInTheLegend) {
  window.prepare(makeDump(2, 3), ',');
  const std::string title(parameterTable(2)[1].title);
  rightAxisSwitch(1)->setChecked(true);
  EXPECT_EQ(graph(1)->name().toStdString(), title + " (R)");
  EXPECT_NE(plot()->legend->itemWithPlottable(graph(1))->textColor(), QColor(Qt::black));
  EXPECT_EQ(plot()->yAxis2->tickLabelColor(), plot()->legend->itemWithPlottable(graph(1))->textColor());
  rightAxisSwitch(1)->setChecked(false);
  EXPECT_EQ(graph(1)->name().toStdString(), title);
  EXPECT_EQ(plot()->legend->itemWithPlottable(graph(1))->textColor(), QColor(Qt::black));
}

// Every tick of the x axis at a record, labelled by label(position), and
// consecutive labels apart by more than their width.
void expectRecordTicks(QCustomPlot* plot, const std::function<QString(int)>& label) {
  plot->replot();
  const QVector<double> ticks = plot->xAxis->tickVector();
  const QVector<QString> labels = plot->xAxis->tickVectorLabels();
  ASSERT_GE(ticks.size(), 2);
  QFontMetrics metrics(plot->xAxis->tickLabelFont());
  for (int i = 0; i < ticks.size(); ++i) {
    ASSERT_EQ(ticks[i], std::round(ticks[i]));
    EXPECT_EQ(labels[i], label(int(ticks[i])));
    if (i == 0) continue;
    int widest = 0;
    for (const QString& text : {labels[i - 1], labels[i]})
      for (const QString& line : text.split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
    EXPECT_GT(plot->xAxis->coordToPixel(ticks[i]) - plot->xAxis->coordToPixel(ticks[i - 1]), widest);
  }
}

TEST_F(ChartWindowTest, TimeAxisLabelsTicksWithTheirRecordsDateAndTimeWithoutOverlap) {
  window.prepare(Dump(sim::syntheticDumpLines(6, 7680)), ',');
  QCheckBox* timeAxis = window.findChild<QCheckBox*>(QStringLiteral("timeAxisSwitch"));
  ASSERT_EQ(timeAxis->text(), "Ось времени");
  const DumpModel& grid = window.session().model();
  auto dateAndTime = [&grid](int position) {
    return QString::fromStdString(std::string(grid.cell(position + 1, 0)) + "\n" +
                                  std::string(grid.cell(position + 1, 1)));
  };
  timeAxis->setChecked(true);
  expectRecordTicks(plot(), dateAndTime);
  static_cast<PlotView*>(plot())->showKeys(1000, 1012);
  expectRecordTicks(plot(), dateAndTime);
  window.resize(500, window.height());
  expectRecordTicks(plot(), dateAndTime);

  timeAxis->setChecked(false);
  EXPECT_EQ(plot()->xAxis->label(), "Точка данных");
  expectRecordTicks(plot(), [](int position) { return QString::number(position); });
}

TEST_F(ChartWindowTest, MarkerReadoutShowsTheTimeBetweenTheMarkers) {
  window.prepare(Dump(sim::syntheticDumpLines(2, 600)), ',');
  const DumpModel& grid = window.session().model();
  window.session().setMarker(0, 500);
  window.session().setMarker(1, 20);
  auto seconds = secondsBetween(grid.cell(21, 0), grid.cell(21, 1), grid.cell(501, 0), grid.cell(501, 1));
  ASSERT_TRUE(seconds);
  QString text = window.findChild<QLabel*>(QStringLiteral("markerReadout"))->text();
  EXPECT_TRUE(text.contains(QString::fromStdString("Время между точками:</b> " + durationText(-*seconds))))
      << text.toStdString();
}

TEST_F(ChartWindowTest, PopupMenuSavesAndCopiesTheChartImageAtItsSize) {
  window.prepare(makeDump(2, 50), ',');
  QStringList texts;
  for (QAction* action : window.findChild<QMenu*>(QStringLiteral("plotMenu"))->actions())
    if (!action->isSeparator()) texts << action->text();
  EXPECT_EQ(texts,
            QStringList({"Точка 1", "Точка 2", "Новый канал…", "Изменить канал", "Удалить канал",
                         "Добавить запись для сравнения…", "Сохранить рабочую область…",
                         "Открыть рабочую область…", "Сохранить изображение…", "Копировать изображение"}));

  QTemporaryDir dir;
  savePlotImage(*plot(), dir.filePath("chart.png"));
  EXPECT_EQ(QImage(dir.filePath("chart.png")).size(), plot()->size());
  savePlotImage(*plot(), dir.filePath("chart"));  // neither extension: PNG
  EXPECT_EQ(QImage(dir.filePath("chart.png")).size(), plot()->size());
  savePlotImage(*plot(), dir.filePath("chart.PDF"));
  QFile pdf(dir.filePath("chart.PDF"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));
  EXPECT_THROW(savePlotImage(*plot(), dir.filePath("missing/chart.png")), FileError);

  copyPlotImage(*plot());
  EXPECT_EQ(QApplication::clipboard()->image().size(), plot()->size());
}

TEST_F(ChartWindowTest, ScatterTabPlotsOneParameterAgainstAnotherForTheRecordsBetweenTheMarkers) {
  window.prepare(Dump(sim::syntheticDumpLines(2, 300)), ',');
  auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("chartTabs"));
  ASSERT_EQ(tabs->tabText(1), "Зависимость");
  tabs->setCurrentIndex(1);
  auto* x = window.findChild<QComboBox*>(QStringLiteral("scatterX"));
  auto* y = window.findChild<QComboBox*>(QStringLiteral("scatterY"));
  auto* scatter = window.findChild<QCustomPlot*>(QStringLiteral("scatterPlot"));
  x->setCurrentIndex(6);  // engine speed
  emit x->activated(6);
  y->setCurrentIndex(3);  // intake air temperature
  emit y->activated(3);
  EXPECT_EQ(scatter->xAxis->label().toStdString(), parameterTable(2)[6].title);
  EXPECT_EQ(scatter->yAxis->label().toStdString(), parameterTable(2)[3].title);

  std::vector<double> speeds = columnValues(3 + 6), temperatures = columnValues(3 + 3);
  std::multiset<std::pair<double, double>> expected, plotted;
  for (std::size_t i = 0; i < speeds.size(); ++i) expected.insert({speeds[i], temperatures[i]});
  for (const QCPGraphData& point : *scatter->graph(0)->data()) plotted.insert({point.key, point.value});
  EXPECT_EQ(plotted, expected);

  window.session().setMarker(1, 40);
  window.session().setMarker(0, 10);
  EXPECT_EQ(scatter->graph(0)->dataCount(), 31);

  // Hovering a point names its record, one of those between the markers at that point.
  scatter->replot();
  const QPointF at(scatter->xAxis->coordToPixel(speeds[25]), scatter->yAxis->coordToPixel(temperatures[25]));
  QMouseEvent move(QEvent::MouseMove, at, scatter->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(scatter, &move);
  QString readout = window.findChild<QLabel*>(QStringLiteral("scatterReadout"))->text();
  QRegularExpressionMatch named = QRegularExpression("Точка данных (\\d+)").match(readout);
  ASSERT_TRUE(named.hasMatch()) << readout.toStdString();
  const int position = named.captured(1).toInt();
  EXPECT_GE(position, 10);
  EXPECT_LE(position, 40);
  EXPECT_EQ(speeds[position], speeds[25]);
  EXPECT_EQ(temperatures[position], temperatures[25]);
  const DumpModel& grid = window.session().model();
  EXPECT_TRUE(readout.contains(QString::fromStdString(std::string(grid.cell(position + 1, 0)) + " " +
                                                      std::string(grid.cell(position + 1, 1)))))
      << readout.toStdString();
}

TEST_F(ChartWindowTest, CtrlCCopiesTheSelectedCellsUnderTheirTitles) {
  window.prepare(makeDump(2, 3), ',');
  auto* grid = window.findChild<QTableView*>(QStringLiteral("grid"));
  QAbstractItemModel* model = grid->model();
  grid->selectionModel()->select(QItemSelection(model->index(1, 1), model->index(2, 3)),
                                 QItemSelectionModel::Select);
  grid->selectionModel()->select(model->index(4, 3), QItemSelectionModel::Select);
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
  const DumpModel& cells = window.session().model();
  auto cell = [&cells](int row) { return std::string(cells.cell(row, 3)); };
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            "Время\tНомер записи\t" + std::string(parameterTable(2)[0].title) + "\n" +  //
                "12:34:56\t1\t" + cell(2) + "\n" + "12:34:56\t2\t" + cell(3) + "\n" + "\t\t" + cell(5) +
                "\n");
}

TEST_F(ChartWindowTest, DateTimeAndNumberStayInViewWhileTheGridScrollsRight) {
  window.prepare(makeDump(6, 3), ',');
  auto* grid = window.findChild<QTableView*>(QStringLiteral("grid"));
  auto* frozen = grid->findChild<QTableView*>(QStringLiteral("frozenColumns"));
  grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
  ASSERT_GT(grid->horizontalScrollBar()->value(), 0);
  EXPECT_TRUE(frozen->isVisible());
  EXPECT_EQ(frozen->geometry().left(), grid->viewport()->geometry().left());
  EXPECT_EQ(frozen->width(), grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2));
  for (int column = 0; column < grid->model()->columnCount(); ++column)
    EXPECT_EQ(frozen->isColumnHidden(column), column >= 3) << column;
  EXPECT_EQ(frozen->indexAt(QPoint(5, 5)).column(), 0);
  EXPECT_EQ(frozen->selectionModel(), grid->selectionModel());
}

TEST_F(ChartWindowTest, HoverLineNamesEachValueAndSuggestionsFitTheLongestTitle) {
  window.prepare(makeDump(6, 3), ',');
  QCustomPlot* plot = this->plot();
  plot->replot();
  const QPointF at(plot->xAxis->coordToPixel(2), plot->axisRect()->center().y());
  QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(plot, &move);
  QString text = window.findChild<QLabel*>(QStringLiteral("positionReadout"))->text();
  for (int series = 0; series < 10; ++series) {
    const std::string value(
        window.session().model().cell(3, window.session().seriesSources()[series].column));
    EXPECT_TRUE(text.contains(
        QString::fromStdString(std::string(parameterTable(6)[series ? series : 3].title) + ": " + value)))
        << series << " " << text.toStdString();
  }

  int longest = 0;
  for (const ParameterColumn& column : parameterTable(6))
    longest = std::max(longest, window.fontMetrics().horizontalAdvance(
                                    QString::fromUtf8(column.title.data(), column.title.size())));
  QComboBox* selector = parameterSelector(0);
  selector->setFocus();
  selector->lineEdit()->setText(QStringLiteral("а"));
  selector->completer()->setCompletionPrefix(QStringLiteral("а"));
  selector->completer()->complete();
  EXPECT_TRUE(selector->completer()->popup()->isVisible());
  EXPECT_GE(selector->completer()->popup()->width(), longest);
}

TEST_F(ChartWindowTest, RightButtonStartsNoZoomRectangle) {
  window.prepare(makeDump(2, 200), ',');
  QCustomPlot* plot = this->plot();
  const QPointF at = plot->axisRect()->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, at, plot->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                    Qt::NoModifier);
  QApplication::sendEvent(plot, &press);
  // The pop-up menu takes the release; the plot must not be left mid-rectangle.
  EXPECT_FALSE(plot->selectionRect()->isActive());

  const QPointF from = at - QPointF(40, 40);
  QMouseEvent left(QEvent::MouseButtonPress, from, plot->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(plot, &left);
  EXPECT_TRUE(plot->selectionRect()->isActive());
}

}  // namespace
}  // namespace kq
