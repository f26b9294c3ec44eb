// Drives compared in the chart window, and workspaces saved and opened.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "analysis/cell_table.h"
#include "chart/chart_window.h"
#include "chart/series_panel.h"
#include "chart/series_plot.h"
#include "chart/workspace_file.h"
#include "dump/dump_file.h"
#include "sim/memory.h"
#include "ui/qt_text.h"

namespace kq {
namespace {

const QString kRpm = QStringLiteral("Обороты двигателя");

class ChartCompareTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "chart_compare_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }

  // A synthetic drive of the controller type written to the folder.
  // A synthetic drive of the controller type written to the folder; from
  // the given line on, so that drives differ.
  QString dumpFile(const QString& name, int type, int records, const QString& folder = {}, int fromLine = 0) {
    const QString path = (folder.isEmpty() ? dir.path() : folder) + QLatin1Char('/') + name;
    std::vector<std::string> lines = sim::syntheticDumpLines(type, records);
    lines.erase(lines.begin(), lines.begin() + fromLine);
    saveDumpFile(fileNameForCore(path), Dump(lines));
    return path;
  }
  void open(ChartWindow& window, const QString& path) {
    Dump dump;
    loadDumpFile(fileNameForCore(path), dump);
    window.prepare(dump, ',', fileNameForCore(path));
  }
  QByteArray saved(ChartWindow& window, const QString& name) {
    const QString file = dir.filePath(name);
    EXPECT_EQ(saveWorkspaceFile(window.session(), file).toStdString(), "");
    QFile input(file);
    EXPECT_TRUE(input.open(QIODevice::ReadOnly));
    return input.readAll();
  }
  static WorkspaceOpening openWorkspace(ChartWindow& window, const QString& file,
                                        const ReplacementChooser& choose = {}) {
    return openWorkspaceFile(window.session(), file, ',', choose);
  }
  static void takeParameter(ChartWindow& window, int series) {
    window.findChild<SeriesPanel*>()->takeParameter(series);
  }
  QComboBox* selector(ChartWindow& window, int series) {
    return window.findChild<QComboBox*>(QStringLiteral("seriesParameter") + QString::number(series + 1));
  }
  static QCPGraph* line(ChartWindow& window, const QString& legendName) {
    QCustomPlot* plot = window.plot();
    for (int i = 0; i < plot->graphCount(); ++i)
      if (plot->graph(i)->name() == legendName) return plot->graph(i);
    return nullptr;
  }

  template <class Widget>
  Widget* child(const QString& name) {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the drives' rows rebuilt
    return window.findChild<Widget*>(name);
  }
  void choose(const char* selector, const QString& text) {
    auto* box = child<QComboBox>(QString::fromLatin1(selector));
    box->setCurrentIndex(box->findText(text));
    emit box->activated(box->currentIndex());
  }

  QTemporaryDir dir;
  ChartWindow window;
};

// Keys of a line, in order.
std::vector<double> keys(const QCPGraph* line) {
  std::vector<double> result;
  for (const QCPGraphData& point : *line->data()) result.push_back(point.key);
  return result;
}

TEST_F(ChartCompareTest, DrivesKeepTheirOwnRecordsAndMissingParametersAreSaid) {
  open(window, dumpFile("a.txt", 6, 300));
  ASSERT_EQ(window.session().addDrive(fileNameForCore(dumpFile("b.txt", 6, 400, {}, 60))), "");
  ASSERT_EQ(window.session().addDrive(fileNameForCore(dumpFile("c.txt", 2, 80))), "");
  ASSERT_EQ(window.session().driveCount(), 3);
  selector(window, 0)->setCurrentText(kRpm);
  takeParameter(window, 0);

  const DriveComparison& drives = window.session().comparison();
  for (int d = 0; d < 3; ++d) {
    const QString name = kRpm + QStringLiteral(" [%1]").arg(QChar('A' + d));
    QCPGraph* graph = line(window, name);
    ASSERT_TRUE(graph) << name.toStdString();
    const DumpModel& model = drives.model(d);
    const std::vector<long double>& values = model.values(*columnOfTitle(model, kRpm.toStdString()));
    ASSERT_EQ(graph->data()->size(), int(values.size())) << "drive " << d;
    int p = 0;
    for (const QCPGraphData& point : *graph->data()) {
      EXPECT_EQ(point.key, drives.alignedTime(d, p));
      EXPECT_EQ(point.value, double(values[p++]));
    }
  }
  // Type 2 has no "Байт 17" of type 6.
  const QString missing = window.findChild<QLabel*>(QStringLiteral("missingNote"))->toolTip();
  EXPECT_TRUE(missing.contains(QStringLiteral("нет в записи C: ")) &&
              missing.contains(QStringLiteral("Байт 17")))
      << missing.toStdString();
  EXPECT_FALSE(missing.contains(QStringLiteral("нет в записи B"))) << missing.toStdString();

  EXPECT_EQ(window.session().alignOnEvent("[Обороты двигателя] > 2000"), "");
  EXPECT_NE(window.session().comparison().offset(1), window.session().comparison().startOffset(1));
  // The reset button, rebuilt with its row as it is clicked.
  window.findChild<QToolButton*>(QStringLiteral("driveResetB"))->click();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window.session().comparison().offset(1), window.session().comparison().startOffset(1));
  EXPECT_FALSE(window.session().alignOnEvent("[Нет такого] > 1").empty());
}

TEST_F(ChartCompareTest, ShiftDragOfADrivesLineMovesItsOffsetAloneAndEscapeCancels) {
  open(window, dumpFile("a.txt", 6, 300));
  ASSERT_EQ(window.session().addDrive(fileNameForCore(dumpFile("b.txt", 6, 300, {}, 60))), "");
  ASSERT_EQ(window.session().addDrive(fileNameForCore(dumpFile("c.txt", 2, 300))), "");
  selector(window, 0)->setCurrentText(kRpm);
  takeParameter(window, 0);
  SeriesPlot* plot = window.plot();
  plot->replot();
  QCPGraph* b = line(window, kRpm + QStringLiteral(" [B]"));
  QCPGraph* c = line(window, kRpm + QStringLiteral(" [C]"));
  ASSERT_TRUE(b && c);
  // A point of B's line well away from C's.
  QPointF on;
  bool found = false;
  for (auto point = b->data()->constBegin(); point != b->data()->constEnd() && !found; ++point) {
    on = QPointF(plot->xAxis->coordToPixel(point->key), b->valueAxis()->coordToPixel(point->value));
    found = plot->axisRect()->rect().contains(on.toPoint()) && c->selectTest(on, false) > 20;
  }
  ASSERT_TRUE(found);
  const auto mouse = [plot](QEvent::Type type, QPointF at, Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers = Qt::ShiftModifier) {
    QMouseEvent event(type, at, plot->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, modifiers);
    QApplication::sendEvent(plot, &event);
  };
  const std::vector<double> bKeys = keys(b), cKeys = keys(c);
  const double bOffset = window.session().comparison().offset(1),
               cOffset = window.session().comparison().offset(2);
  const QPointF to = on + QPointF(60, 7);
  const double seconds = plot->xAxis->pixelToCoord(to.x()) - plot->xAxis->pixelToCoord(on.x());
  const double pixel = plot->xAxis->range().size() / plot->axisRect()->width();

  // Escape puts the lines back and keeps the offset.
  mouse(QEvent::MouseButtonPress, on, Qt::LeftButton);
  mouse(QEvent::MouseMove, on + QPointF(17, 3), Qt::LeftButton);
  mouse(QEvent::MouseMove, to, Qt::LeftButton);
  EXPECT_NEAR(keys(b)[0] - bKeys[0], seconds, 1e-6) << "B's lines follow the mouse";
  EXPECT_EQ(keys(c), cKeys);
  QTest::keyClick(plot, Qt::Key_Escape);
  EXPECT_EQ(keys(b), bKeys);
  mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  EXPECT_EQ(window.session().comparison().offset(1), bOffset);

  // Without Shift the press draws a zoom rectangle and moves no drive.
  mouse(QEvent::MouseButtonPress, on, Qt::LeftButton, Qt::NoModifier);
  mouse(QEvent::MouseMove, to, Qt::LeftButton, Qt::NoModifier);
  mouse(QEvent::MouseButtonRelease, to, Qt::NoButton, Qt::NoModifier);
  EXPECT_EQ(window.session().comparison().offset(1), bOffset);
  plot->resetZoom();
  window.session().setOffset(1, bOffset);  // the axes as before the zoom
  plot->replot();

  mouse(QEvent::MouseButtonPress, on, Qt::LeftButton);
  mouse(QEvent::MouseMove, to, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  const double offset = window.session().comparison().offset(1);
  EXPECT_NEAR(offset - bOffset, seconds, pixel / 2);
  EXPECT_EQ(window.session().comparison().offset(2), cOffset);
  EXPECT_EQ(keys(b), window.session().comparison().alignedTimes(1));
  EXPECT_EQ(keys(c), cKeys);
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("driveOffsetB"))->text(),
            QString::number(offset, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(',')));
}

TEST_F(ChartCompareTest, ScatterAndCellTableShowEachDrive) {
  const QString bPath = dumpFile("b.txt", 6, 200, {}, 60);
  open(window, dumpFile("a.txt", 6, 300));
  ASSERT_EQ(window.session().addDrive(fileNameForCore(bPath)), "");
  const QString load = QStringLiteral("Нагрузка на двигатель");
  child<QTabWidget>(QStringLiteral("chartTabs"))->setCurrentIndex(1);
  choose("scatterX", kRpm);
  choose("scatterY", load);
  QCustomPlot* scatter = child<QCustomPlot>(QStringLiteral("scatterPlot"));
  for (int d = 0; d < 2; ++d) {
    const DumpModel& model = window.session().comparison().model(d);
    const auto& xs = model.values(*columnOfTitle(model, kRpm.toStdString()));
    const auto& ys = model.values(*columnOfTitle(model, load.toStdString()));
    std::vector<std::pair<double, double>> expected, shown;
    for (std::size_t p = 0; p < xs.size(); ++p)
      if (!std::isnan(xs[p]) && !std::isnan(ys[p])) expected.emplace_back(double(xs[p]), double(ys[p]));
    for (const QCPGraphData& point : *scatter->graph(d)->data()) shown.emplace_back(point.key, point.value);
    std::sort(expected.begin(), expected.end());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, expected) << "drive " << d;
    EXPECT_TRUE(scatter->legend->hasItemWithPlottable(scatter->graph(d)));
    EXPECT_EQ(scatter->graph(d)->name(), QStringLiteral("Запись ") + QChar('A' + d));
  }

  // Drive B's table is the one its dump alone makes.
  child<QTabWidget>(QStringLiteral("chartTabs"))->setCurrentIndex(2);
  const QString angle = QStringLiteral("Угол опережения зажигания");
  choose("tableX", kRpm);
  choose("tableY", load);
  choose("tableZ", angle);
  for (auto [field, breaks] :
       {std::pair("tableXBreaks", "800 1600 2400 3200"), std::pair("tableYBreaks", "4;8;12")}) {
    auto* edit = child<QLineEdit>(QString::fromLatin1(field));
    edit->setText(QString::fromLatin1(breaks));
    emit edit->editingFinished();
  }
  Dump dump;
  loadDumpFile(fileNameForCore(bPath), dump);
  const DumpModel b = buildDumpModel(dump, ',');
  const auto column = [](const DumpModel& model, const QString& title) {
    return *columnOfTitle(model, title.toStdString());
  };
  const auto tableOf = [&](const DumpModel& model) {
    return makeCellTable(model, column(model, kRpm), column(model, load), column(model, angle),
                         parseBreaks("800 1600 2400 3200", ','), parseBreaks("4;8;12", ','));
  };
  auto* cells = child<QTableWidget>(QStringLiteral("tableCells"));
  const auto copied = [cells] {
    cells->setFocus();
    QTest::keyClick(cells, Qt::Key_C, Qt::ControlModifier);
    return QApplication::clipboard()->text().toStdString();
  };
  choose("tableDrive", QStringLiteral("B"));
  EXPECT_EQ(copied(), cellTableText(tableOf(b), CellStatistic::count, ',', '\t'));
  choose("tableDrive", QStringLiteral("B − A"));
  EXPECT_EQ(copied(), cellDifferenceText(tableOf(b), tableOf(window.session().model()), CellStatistic::count,
                                         ',', '\t'));
}

TEST_F(ChartCompareTest, WorkspaceRoundTripWithItsFolderMoved) {
  QDir(dir.path()).mkdir(QStringLiteral("first"));
  const QString first = dir.filePath(QStringLiteral("first"));
  open(window, dumpFile("a.txt", 6, 300, first));
  ASSERT_EQ(window.session().addDrive(fileNameForCore(dumpFile("b.txt", 6, 200, first))), "");
  window.session().setOffset(1, 12.5);
  selector(window, 2)->setCurrentText(kRpm);
  takeParameter(window, 2);
  window.findChild<QCheckBox*>(QStringLiteral("seriesRightAxis3"))->setChecked(true);
  window.findChild<QCheckBox*>(QStringLiteral("seriesShown5"))->setChecked(false);
  ASSERT_EQ(window.session().addChannel("Удвоенные", "[Обороты двигателя] * 2"), "");
  ASSERT_TRUE(window.session().setFilter("[Обороты двигателя] > 1000").empty());
  window.session().setMarker(0, 20);
  window.session().setMarker(1, 140);
  window.plot()->showKeys(10, 150);
  const QString workspace = first + QStringLiteral("/view.kqw");
  ASSERT_EQ(saveWorkspaceFile(window.session(), workspace).toStdString(), "");
  QFile input(workspace);
  ASSERT_TRUE(input.open(QIODevice::ReadOnly));
  const QByteArray written = input.readAll();
  EXPECT_TRUE(written.contains("\"path\": \"b.txt\"")) << written.toStdString();

  // The folder moved with its dumps opens the same analysis.
  const QString moved = dir.filePath(QStringLiteral("moved"));
  ASSERT_TRUE(QDir().rename(first, moved));
  ChartWindow reopened;
  const WorkspaceOpening opening = openWorkspace(reopened, moved + QStringLiteral("/view.kqw"));
  ASSERT_EQ(opening.error, "");
  EXPECT_EQ(opening.note, "");
  EXPECT_EQ(reopened.session().driveCount(), 2);
  EXPECT_EQ(reopened.session().comparison().offset(1), 12.5);
  EXPECT_EQ(reopened.session().channels().size(), 1u);
  EXPECT_EQ(saveWorkspaceFile(reopened.session(), moved + QStringLiteral("/again.kqw")).toStdString(), "");
  QFile again(moved + QStringLiteral("/again.kqw"));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), written);
}

TEST_F(ChartCompareTest, WorkspaceWhoseDumpLacksAParameterOrIsGone) {
  const QString a = dumpFile("a.txt", 6, 200);
  const QString b = dumpFile("b.txt", 6, 200);
  open(window, a);
  ASSERT_EQ(window.session().addDrive(fileNameForCore(b)), "");
  selector(window, 1)->setCurrentText(QStringLiteral("Байт 17"));
  takeParameter(window, 1);
  ASSERT_TRUE(window.session().setFilter("[Обороты двигателя] > 900").empty());
  const QString workspace = dir.filePath(QStringLiteral("view.kqw"));
  ASSERT_EQ(saveWorkspaceFile(window.session(), workspace).toStdString(), "");

  // A now of type 2, without "Байт 17"; B gone, replaced when asked.
  dumpFile("a.txt", 2, 150);
  ASSERT_TRUE(QFile::remove(b));
  const QString replacement = dumpFile("b2.txt", 6, 100);
  QStringList asked;
  ChartWindow reopened;
  const WorkspaceOpening opening =
      openWorkspace(reopened, workspace, [&](const std::string& missing, const std::string&) {
        asked << toQString(missing);
        return fileNameForCore(replacement);
      });
  ASSERT_EQ(opening.error, "");
  EXPECT_EQ(asked, QStringList{b});
  EXPECT_EQ(reopened.session().driveCount(), 2);
  EXPECT_EQ(reopened.session().comparison().model(0).controllerType(), 2);
  const QString note = toQString(opening.note);
  EXPECT_TRUE(note.contains(QStringLiteral("нет параметра «Байт 17» в записи A"))) << note.toStdString();
  EXPECT_EQ(selector(reopened, 1)->currentText(), QStringLiteral("Байт 17"));
  EXPECT_EQ(reopened.plot()->graph(1)->dataCount(), 0) << "nothing drawn for it";
  EXPECT_EQ(reopened.findChild<QLineEdit*>(QStringLiteral("filterField"))->text(),
            QStringLiteral("[Обороты двигателя] > 900"));
}

TEST_F(ChartCompareTest, DamagedOrNewerWorkspaceRefusedWithTheWindowUnchanged) {
  open(window, dumpFile("a.txt", 6, 100));
  ASSERT_EQ(window.session().addDrive(fileNameForCore(dumpFile("b.txt", 6, 50))), "");
  const QByteArray before = saved(window, QStringLiteral("before.kqw"));
  QByteArray newer = before;
  newer.replace("\"version\": 2", "\"version\": 3");
  QByteArray nulInPath = before;
  nulInPath.replace("\"path\": \"b.txt\"", "\"path\": \"b.txt\\u0000a.txt\"");
  QByteArray wrongKind = before;
  wrongKind.replace("\"timeAxis\": false", "\"timeAxis\": \"no\"");
  struct Case {
    QByteArray content;
    const char* said;
  };
  const Case cases[] = {
      {before.left(before.size() / 2), "файл повреждён"},
      {"[1, 2, 3]", "это не рабочая область"},
      {newer, "более новой версией"},
      {wrongKind, "timeAxis"},
      {nulInPath, "drives[1].path"},
  };
  for (const Case& c : cases) {
    const QString file = dir.filePath(QStringLiteral("bad.kqw"));
    QFile output(file);
    ASSERT_TRUE(output.open(QIODevice::WriteOnly | QIODevice::Truncate));
    output.write(c.content);
    output.close();
    const std::string problem = openWorkspace(window, file).error;
    EXPECT_NE(problem.find(c.said), std::string::npos) << problem;
    EXPECT_EQ(saved(window, QStringLiteral("after.kqw")), before) << c.said;
  }

  // A file of the first format, before the cell table's drive was kept, opens as it is.
  QJsonObject root = QJsonDocument::fromJson(before).object();
  QJsonObject table = root.value(QStringLiteral("cellTable")).toObject();
  table.remove(QStringLiteral("drive"));
  table.remove(QStringLiteral("difference"));
  root[QStringLiteral("cellTable")] = table;
  root[QStringLiteral("version")] = 1;
  const QString file = dir.filePath(QStringLiteral("first.kqw"));
  QFile output(file);
  ASSERT_TRUE(output.open(QIODevice::WriteOnly));
  output.write(QJsonDocument(root).toJson());
  output.close();
  EXPECT_EQ(openWorkspace(window, file).error, "");
  EXPECT_EQ(saved(window, QStringLiteral("after.kqw")), before);
}

}  // namespace
}  // namespace kq
