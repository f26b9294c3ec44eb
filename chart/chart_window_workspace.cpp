// The chart window's workspaces: the whole analysis written to a small JSON
// file and opened again, with a replacement offered for a dump not found.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>

#include "base/safe_file.h"
#include "chart/cell_table_view.h"
#include "chart/chart_window.h"
#include "chart/formula_edit.h"
#include "chart/series_plot.h"
#include "chart/workspace.h"
#include "dump/dump_file.h"
#include "ui/error_box.h"
#include "ui/plot_marker.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
const QString kWorkspaceFilter = QStringLiteral("Рабочие области (*.kqw);;Все файлы (*)");

struct OpenedDrive {
  QString path;
  Dump dump;
  DumpModel model;
  double offset = 0;
};

// Reads and decodes a dump; the problem for the user, or "".
QString openDrive(OpenedDrive& drive, char separator) {
  try {
    loadDumpFile(fileNameForCore(drive.path), drive.dump);
    if (!drive.dump.empty()) drive.model = buildDumpModel(drive.dump, separator);
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  }
  if (drive.model.recordCount() == 0) return QStringLiteral("в файле нет записей");
  return {};
}
}  // namespace

void ChartWindow::addWorkspaceActions() {
  auto* save = plotMenu_->addAction(QStringLiteral("Сохранить рабочую область…"));
  save->setObjectName(QStringLiteral("saveWorkspace"));
  connect(save, &QAction::triggered, this, [this] {
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить рабочую область"),
                                                      QFileInfo(dumpPath_).absolutePath(), kWorkspaceFilter);
    if (file.isEmpty()) return;
    if (QString problem = saveWorkspace(file); !problem.isEmpty()) showErrorBox(this, problem);
  });
  auto* open = plotMenu_->addAction(QStringLiteral("Открыть рабочую область…"));
  open->setObjectName(QStringLiteral("openWorkspace"));
  connect(open, &QAction::triggered, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть рабочую область"),
                                                      QFileInfo(dumpPath_).absolutePath(), kWorkspaceFilter);
    if (file.isEmpty()) return;
    if (QString problem = openWorkspace(file); !problem.isEmpty())
      showErrorBox(this, problem);
    else if (!workspaceNote_.isEmpty())
      QMessageBox::information(this, QStringLiteral("Рабочая область"), workspaceNote_);
  });
  connect(plotMenu_, &QMenu::aboutToShow, this, [this, save] { save->setEnabled(model_.recordCount() > 0); });
}

Workspace ChartWindow::currentWorkspace() const {
  Workspace workspace;
  for (int d = 0; d < driveCount(); ++d)
    workspace.drives.push_back({d == 0 ? dumpPath_ : compared_[d - 1]->path, comparison_.offset(d)});
  for (int i = 0; i < kSeriesCount; ++i)
    workspace.series[i] = {parameterSelectors_[i]->currentText(), shownSwitches_[i]->isChecked(),
                           rightAxisSwitches_[i]->isChecked()};
  workspace.timeAxis = timeAxisSwitch_->isChecked();
  for (int m = 0; m < 2; ++m)
    if (markers_[m]->isSet()) workspace.markers[m] = markers_[m]->x();
  if (plot_->isZoomed()) workspace.zoom = std::pair(plot_->xAxis->range().lower, plot_->xAxis->range().upper);
  workspace.channels = channels_;
  workspace.filter = filterText_;
  workspace.cellTable = cellTable_->settings();
  return workspace;
}

QString ChartWindow::saveWorkspace(const QString& file) {
  if (model_.recordCount() == 0) return QStringLiteral("Нет графика, который можно сохранить.");
  if (dumpPath_.isEmpty())
    return QStringLiteral(
        "Запись A не сохранена в файл: сохраните её, чтобы рабочая область могла на неё "
        "сослаться.");
  const QByteArray json = workspaceJson(currentWorkspace(), QFileInfo(file).absoluteDir());
  try {
    writeFileSafely(fileNameForCore(file), std::string_view(json.constData(), std::size_t(json.size())));
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  }
  return {};
}

QString ChartWindow::workspaceNote() const { return workspaceNote_; }

QString ChartWindow::openWorkspace(const QString& file) {
  const QString name = QFileInfo(file).fileName();
  QFile input(file);
  if (!input.open(QIODevice::ReadOnly))
    return QStringLiteral("Рабочая область «%1» не открыта: %2").arg(name, input.errorString());
  Workspace workspace;
  try {
    workspace = readWorkspace(input.readAll(), QFileInfo(file).absoluteDir());
  } catch (const WorkspaceError& error) {
    return QStringLiteral("Рабочая область «%1» не открыта: %2").arg(name, QString::fromUtf8(error.what()));
  }

  // Every dump is read before the window changes.
  const char separator = model_.recordCount() > 0 ? model_.decimalSeparator()
                                                  : QLocale::system().decimalPoint().front().toLatin1();
  ReplacementChooser choose = chooseReplacement_;
  if (!choose)
    choose = [this](const QString& missing, const QString& problem) {
      return QFileDialog::getOpenFileName(this,
                                          QStringLiteral("Запись «%1» не открыта (%2) — выберите замену")
                                              .arg(QFileInfo(missing).fileName(), problem),
                                          QFileInfo(missing).absolutePath());
    };
  QString note;
  std::vector<OpenedDrive> drives;
  for (std::size_t d = 0; d < workspace.drives.size() && drives.size() < std::size_t(SeriesPlot::kMaxDrives);
       ++d) {
    OpenedDrive drive;
    drive.path = workspace.drives[d].path;
    drive.offset = workspace.drives[d].offset;
    QString problem = openDrive(drive, separator);
    while (!problem.isEmpty()) {
      const QString replacement = choose(drive.path, problem);
      if (replacement.isEmpty()) break;
      note += QStringLiteral("Запись «%1» заменена на «%2».\n").arg(drive.path, replacement);
      drive = OpenedDrive();
      drive.path = replacement;
      drive.offset = workspace.drives[d].offset;
      problem = openDrive(drive, separator);
    }
    if (!problem.isEmpty()) {
      if (d == 0)
        return QStringLiteral("Рабочая область «%1» не открыта: запись A «%2» не открыта (%3).")
            .arg(name, workspace.drives[0].path, problem);
      note += QStringLiteral("Запись «%1» не открыта (%2) и оставлена в стороне.\n").arg(drive.path, problem);
      continue;
    }
    drives.push_back(std::move(drive));
  }

  channels_ = workspace.channels;
  filterText_ = workspace.filter;
  filterField_->setText(workspace.filter);
  compared_.clear();
  shownGridDrive_ = 0;
  prepare(drives[0].dump, separator, drives[0].path);
  for (std::size_t d = 1; d < drives.size(); ++d) {
    auto drive = std::make_unique<ComparedDrive>();
    drive->path = QFileInfo(drives[d].path).absoluteFilePath();
    drive->model = std::move(drives[d].model);
    compared_.push_back(std::move(drive));
  }
  rebuildComparison(false);
  for (int d = 1; d < driveCount(); ++d) comparison_.setOffset(d, drives[d].offset);
  for (int d = 0; d < driveCount(); ++d) times_[d] = comparison_.alignedTimes(d);
  syncComparedDrives();

  for (int i = 0; i < kSeriesCount; ++i) {
    const Workspace::Series& series = workspace.series[i];
    QComboBox* selector = parameterSelectors_[i];
    QSignalBlocker blocker(selector);
    const int item = selector->findText(series.parameter, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    selector->setCurrentIndex(item);
    if (item < 0 && !series.parameter.isEmpty()) {
      // Kept as typed, so a later dump that has it plots it again.
      selector->setEditText(series.parameter);
      note += QStringLiteral("График %1: нет параметра «%2» в записи A.\n").arg(i + 1).arg(series.parameter);
    }
    selector->lineEdit()->setCursorPosition(0);
    QSignalBlocker shownBlocker(shownSwitches_[i]);
    shownSwitches_[i]->setChecked(series.shown);
    plot_->setSeriesShown(i, series.shown);
    QSignalBlocker rightBlocker(rightAxisSwitches_[i]);
    rightAxisSwitches_[i]->setChecked(series.rightAxis);
    plot_->setOnRightAxis(i, series.rightAxis);
    if (item < 0) continue;
    for (int d = 1; d < driveCount(); ++d)
      if (!columnOfTitle(driveModel(d), series.parameter.toStdString()))
        note += QStringLiteral("График %1: нет параметра «%2» в записи %3.\n")
                    .arg(i + 1)
                    .arg(series.parameter, QString::fromStdString(DriveComparison::driveName(d)));
  }
  timeAxisSwitch_->setChecked(workspace.timeAxis);
  if (!filterError_->text().isEmpty()) note += filterError_->text() + QLatin1Char('\n');
  showDrives();
  refillSeries();
  // Hidden series too are named as saved, ready to be shown; a parameter
  // the dump lacks draws nothing rather than the record number.
  for (int i = 0; i < kSeriesCount; ++i) {
    if (const int item = chosenItem(i); item >= 0) {
      plot_->setSeriesTitle(i, parameterSelectors_[i]->itemText(item));
    } else if (!workspace.series[i].parameter.isEmpty()) {
      setSeriesPoints(i, {}, -1);
      plot_->setSeriesTitle(i, {});
    }
  }
  cellTable_->setSettings(workspace.cellTable);
  for (int m = 0; m < 2; ++m)
    if (workspace.markers[m]) setMarker(m + 1, *workspace.markers[m]);
  refresh();
  if (workspace.zoom) plot_->showKeys(workspace.zoom->first, workspace.zoom->second);
  workspaceNote_ = note.trimmed();
  return {};
}

}  // namespace kq
