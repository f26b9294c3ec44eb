// Times the chart window comparing four full type-6 drives: the four opened
// and plotted, a selector change, a workspace of the four opened; and the
// process's resident memory. Run with QT_QPA_PLATFORM=offscreen.
//   compare_window_run                        figures for one run
//   compare_window_run --hold SECONDS SCENE   stays open for screenshots:
//     compare (three drives lined up on an event, markers, statistics),
//     workspace (a saved workspace opened again, one drive of type 2)
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "bench/resident_memory.h"
#include "chart/chart_window.h"
#include "chart/series_panel.h"
#include "chart/series_plot.h"
#include "chart/workspace_file.h"
#include "dump/dump_file.h"
#include "sim/memory.h"
#include "ui/qt_text.h"

namespace {

double milliseconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

// A synthetic drive written to the folder, from the given line of the full
// log on: later starts make drives that differ.
QString dumpFile(const QDir& folder, const QString& name, int type, int fromLine) {
  std::vector<std::string> lines = kq::sim::syntheticDumpLines(type, kq::sim::kMaxRecords);
  lines.erase(lines.begin(), lines.begin() + fromLine);
  const QString path = folder.filePath(name);
  kq::saveDumpFile(kq::fileNameForCore(path), kq::Dump(lines));
  return path;
}

void open(kq::ChartWindow& window, const QString& path) {
  kq::Dump dump;
  kq::loadDumpFile(kq::fileNameForCore(path), dump);
  window.prepare(dump, ',', kq::fileNameForCore(path));
}

void choose(kq::ChartWindow& window, int series, const char* title) {
  auto* selector = window.findChild<QComboBox*>(QStringLiteral("seriesParameter%1").arg(series + 1));
  selector->setCurrentIndex(selector->findText(QString::fromUtf8(title)));
  window.findChild<kq::SeriesPanel*>()->takeParameter(series);
}

// Three drives of one car, lined up where the throttle first opens past 30 %,
// engine speed and throttle plotted, a stretch of the drive between markers.
void setCompareScene(kq::ChartWindow& window, const QDir& folder) {
  open(window, dumpFile(folder, QStringLiteral("утро.txt"), 6, 0));
  window.session().addDrive(kq::fileNameForCore(dumpFile(folder, QStringLiteral("вечер.txt"), 6, 140)));
  window.session().addDrive(kq::fileNameForCore(dumpFile(folder, QStringLiteral("январь-2.txt"), 2, 400)));
  choose(window, 0, "Обороты двигателя");
  choose(window, 1, "Положение дроссельной заслонки");
  for (int series = 2; series < kq::kSeriesCount; ++series)
    window.findChild<QCheckBox*>(QStringLiteral("seriesShown%1").arg(series + 1))->setChecked(false);
  window.findChild<QCheckBox*>(QStringLiteral("seriesRightAxis2"))->setChecked(true);
  auto* event = window.findChild<QLineEdit*>(QStringLiteral("alignEventField"));
  event->setText(QStringLiteral("[Положение дроссельной заслонки] > 30"));
  emit event->returnPressed();
  window.plot()->showKeys(-60, 900);
  window.session().setMarker(0, 60);
  window.session().setMarker(1, 600);
}

// The workspace of the scene above saved, the evening drive's dump replaced by
// one of another controller type, and the workspace opened again.
void setWorkspaceScene(kq::ChartWindow& window, const QDir& folder) {
  kq::ChartWindow first;
  setCompareScene(first, folder);
  first.session().addChannel("Разгон", "[Обороты двигателя] - [Обороты двигателя@-1]");
  auto* selector = first.findChild<QComboBox*>(QStringLiteral("seriesParameter3"));
  first.findChild<QCheckBox*>(QStringLiteral("seriesShown3"))->setChecked(true);
  selector->setCurrentIndex(selector->findText(QStringLiteral("Байт 17")));
  first.findChild<kq::SeriesPanel*>()->takeParameter(2);
  first.session().setFilter("[Обороты двигателя] > 800");
  const QString workspace = folder.filePath(QStringLiteral("сравнение.kqw"));
  kq::saveWorkspaceFile(first.session(), workspace);
  first.hide();
  dumpFile(folder, QStringLiteral("утро.txt"), 2, 0);  // "Байт 17" gone from drive A
  const kq::WorkspaceOpening opening = kq::openWorkspaceFile(window.session(), workspace, ',', {});
  window.show();
  // What the user is told, as the menu's action tells it.
  auto* note = new QMessageBox(QMessageBox::Information, QStringLiteral("Рабочая область"),
                               QString::fromStdString(opening.note), QMessageBox::Ok, &window);
  note->show();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QDir folder(dir.path());
  const int holdSeconds = argc > 2 && QByteArray(argv[1]) == "--hold" ? std::atoi(argv[2]) : 0;
  if (holdSeconds > 0) {
    kq::ChartWindow window;
    const QByteArray scene = argc > 3 ? QByteArray(argv[3]) : QByteArray("compare");
    if (scene == "workspace")
      setWorkspaceScene(window, folder);
    else
      setCompareScene(window, folder);
    QTimer::singleShot(holdSeconds * 1000, &app, &QApplication::quit);
    return app.exec();
  }

  QStringList files;
  for (int d = 0; d < 4; ++d) files << dumpFile(folder, QStringLiteral("drive%1.txt").arg(d), 6, 0);
  const long baseKb = residentKilobytes();
  kq::ChartWindow window;
  auto* plot = window.plot();

  // Drive A from the chart button, then the three more as the menu adds them.
  QElapsedTimer timer;
  timer.start();
  open(window, files[0]);
  window.grab();
  const double first = milliseconds(timer);
  double worstAdd = 0;
  timer.restart();
  for (int d = 1; d < 4; ++d) {
    QElapsedTimer add;
    add.start();
    window.session().addDrive(kq::fileNameForCore(files[d]));
    plot->replot(QCustomPlot::rpImmediateRefresh);
    worstAdd = std::max(worstAdd, milliseconds(add));
  }
  window.grab();
  const double three = milliseconds(timer);
  const long openKb = residentKilobytes();

  double worstChange = 0, totalChange = 0;
  const int changes = 20;
  for (int n = 0; n < changes; ++n) {
    const int series = n % kq::kSeriesCount;
    auto* selector = window.findChild<QComboBox*>(QStringLiteral("seriesParameter%1").arg(series + 1));
    selector->setCurrentIndex((selector->currentIndex() + 7) % selector->count());
    timer.restart();
    window.findChild<kq::SeriesPanel*>()->takeParameter(series);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    const double ms = milliseconds(timer);
    worstChange = std::max(worstChange, ms);
    totalChange += ms;
  }

  window.session().setMarker(0, 0);
  timer.restart();
  window.session().setMarker(1, 100000);
  const double markers = milliseconds(timer);

  const QString workspace = folder.filePath(QStringLiteral("four.kqw"));
  kq::saveWorkspaceFile(window.session(), workspace);
  kq::ChartWindow reopened;
  timer.restart();
  const std::string problem = kq::openWorkspaceFile(reopened.session(), workspace, ',', {}).error;
  reopened.grab();
  const double workspaceMs = milliseconds(timer);

  std::printf("four full type-6 drives, %d records each\n",
              window.session().comparison().model(3).recordCount());
  std::printf(
      "drive A prepared and painted: %.1f ms; three drives added and plotted: %.1f ms (worst add %.1f ms);"
      " four in all: %.1f ms\n",
      first, three, worstAdd, first + three);
  std::printf("selector change with four drives, redrawn: mean %.1f ms, worst %.1f ms\n",
              totalChange / changes, worstChange);
  std::printf("second marker, statistics of ten series in four drives: %.1f ms\n", markers);
  std::printf("workspace with four drives opened and painted: %.1f ms%s\n", workspaceMs,
              problem.empty() ? "" : " (failed)");
  std::printf("VmRSS: %ld kB with four drives open (%ld kB before), %ld kB with the workspace's window too\n",
              openKb, baseKb, residentKilobytes());
  return 0;
}
