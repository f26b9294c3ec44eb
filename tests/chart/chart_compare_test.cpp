// Drives compared in the chart window, and workspaces saved and opened.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include "chart/chart_window.h"
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
    window.prepare(dump, ',', path);
  }
  QByteArray saved(ChartWindow& window, const QString& name) {
    const QString file = dir.filePath(name);
    EXPECT_EQ(window.saveWorkspace(file).toStdString(), "");
    QFile input(file);
    EXPECT_TRUE(input.open(QIODevice::ReadOnly));
    return input.readAll();
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

  QTemporaryDir dir;
  ChartWindow window;
};

TEST_F(ChartCompareTest, DrivesKeepTheirOwnRecordsAndMissingParametersAreSaid) {
  open(window, dumpFile("a.txt", 6, 300));
  ASSERT_EQ(window.addComparedDrive(dumpFile("b.txt", 6, 400, {}, 60)).toStdString(), "");
  ASSERT_EQ(window.addComparedDrive(dumpFile("c.txt", 2, 80)).toStdString(), "");
  ASSERT_EQ(window.driveCount(), 3);
  selector(window, 0)->setCurrentText(kRpm);
  window.onSeriesParameterChosen(0);

  const DriveComparison& drives = window.comparison();
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

  EXPECT_EQ(window.alignOnEvent(QStringLiteral("[Обороты двигателя] > 2000")).toStdString(), "");
  EXPECT_NE(window.comparison().offset(1), window.comparison().startOffset(1));
  // The reset button, rebuilt with its row as it is clicked.
  window.findChild<QToolButton*>(QStringLiteral("driveResetB"))->click();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window.comparison().offset(1), window.comparison().startOffset(1));
  EXPECT_FALSE(window.alignOnEvent(QStringLiteral("[Нет такого] > 1")).isEmpty());
}

TEST_F(ChartCompareTest, WorkspaceRoundTripWithItsFolderMoved) {
  QDir(dir.path()).mkdir(QStringLiteral("first"));
  const QString first = dir.filePath(QStringLiteral("first"));
  open(window, dumpFile("a.txt", 6, 300, first));
  ASSERT_EQ(window.addComparedDrive(dumpFile("b.txt", 6, 200, first)).toStdString(), "");
  window.setDriveOffset(1, 12.5);
  selector(window, 2)->setCurrentText(kRpm);
  window.onSeriesParameterChosen(2);
  window.findChild<QCheckBox*>(QStringLiteral("seriesRightAxis3"))->setChecked(true);
  window.findChild<QCheckBox*>(QStringLiteral("seriesShown5"))->setChecked(false);
  ASSERT_EQ(
      window.addChannel(QStringLiteral("Удвоенные"), QStringLiteral("[Обороты двигателя] * 2")).toStdString(),
      "");
  ASSERT_TRUE(window.applyFilter(QStringLiteral("[Обороты двигателя] > 1000")));
  window.setMarker(1, 20);
  window.setMarker(2, 140);
  window.plot()->showKeys(10, 150);
  const QString workspace = first + QStringLiteral("/view.kqw");
  ASSERT_EQ(window.saveWorkspace(workspace).toStdString(), "");
  QFile input(workspace);
  ASSERT_TRUE(input.open(QIODevice::ReadOnly));
  const QByteArray written = input.readAll();
  EXPECT_TRUE(written.contains("\"path\": \"b.txt\"")) << written.toStdString();

  // The folder moved with its dumps opens the same analysis.
  const QString moved = dir.filePath(QStringLiteral("moved"));
  ASSERT_TRUE(QDir().rename(first, moved));
  ChartWindow reopened;
  ASSERT_EQ(reopened.openWorkspace(moved + QStringLiteral("/view.kqw")).toStdString(), "");
  EXPECT_EQ(reopened.workspaceNote().toStdString(), "");
  EXPECT_EQ(reopened.driveCount(), 2);
  EXPECT_EQ(reopened.comparison().offset(1), 12.5);
  EXPECT_EQ(reopened.channels().size(), 1u);
  EXPECT_EQ(reopened.saveWorkspace(moved + QStringLiteral("/again.kqw")).toStdString(), "");
  QFile again(moved + QStringLiteral("/again.kqw"));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), written);
}

TEST_F(ChartCompareTest, WorkspaceWhoseDumpLacksAParameterOrIsGone) {
  const QString a = dumpFile("a.txt", 6, 200);
  const QString b = dumpFile("b.txt", 6, 200);
  open(window, a);
  ASSERT_EQ(window.addComparedDrive(b).toStdString(), "");
  selector(window, 1)->setCurrentText(QStringLiteral("Байт 17"));
  window.onSeriesParameterChosen(1);
  ASSERT_TRUE(window.applyFilter(QStringLiteral("[Обороты двигателя] > 900")));
  const QString workspace = dir.filePath(QStringLiteral("view.kqw"));
  ASSERT_EQ(window.saveWorkspace(workspace).toStdString(), "");

  // A now of type 2, without "Байт 17"; B gone, replaced when asked.
  dumpFile("a.txt", 2, 150);
  ASSERT_TRUE(QFile::remove(b));
  const QString replacement = dumpFile("b2.txt", 6, 100);
  QStringList asked;
  ChartWindow reopened;
  reopened.setReplacementChooser([&](const QString& missing, const QString&) {
    asked << missing;
    return replacement;
  });
  ASSERT_EQ(reopened.openWorkspace(workspace).toStdString(), "");
  EXPECT_EQ(asked, QStringList{b});
  EXPECT_EQ(reopened.driveCount(), 2);
  EXPECT_EQ(reopened.comparison().model(0).controllerType(), 2);
  const QString note = reopened.workspaceNote();
  EXPECT_TRUE(note.contains(QStringLiteral("нет параметра «Байт 17» в записи A"))) << note.toStdString();
  EXPECT_EQ(selector(reopened, 1)->currentText(), QStringLiteral("Байт 17"));
  EXPECT_EQ(reopened.plot()->graph(1)->dataCount(), 0) << "nothing drawn for it";
  EXPECT_EQ(reopened.findChild<QLineEdit*>(QStringLiteral("filterField"))->text(),
            QStringLiteral("[Обороты двигателя] > 900"));
}

TEST_F(ChartCompareTest, DamagedOrNewerWorkspaceRefusedWithTheWindowUnchanged) {
  open(window, dumpFile("a.txt", 6, 100));
  ASSERT_EQ(window.addComparedDrive(dumpFile("b.txt", 6, 50)).toStdString(), "");
  const QByteArray before = saved(window, QStringLiteral("before.kqw"));
  QByteArray newer = before;
  newer.replace("\"version\": 1", "\"version\": 2");
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
  };
  for (const Case& c : cases) {
    const QString file = dir.filePath(QStringLiteral("bad.kqw"));
    QFile output(file);
    ASSERT_TRUE(output.open(QIODevice::WriteOnly | QIODevice::Truncate));
    output.write(c.content);
    output.close();
    const QString problem = window.openWorkspace(file);
    EXPECT_TRUE(problem.contains(QString::fromUtf8(c.said))) << problem.toStdString();
    EXPECT_EQ(saved(window, QStringLiteral("after.kqw")), before) << c.said;
  }
}

}  // namespace
}  // namespace kq
