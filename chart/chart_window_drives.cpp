// The chart window's drives compared: more dumps beside the prepared one,
// their offsets and alignment on an event, their lines and statistics.
#include <qcustomplot.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

#include "base/state_folder.h"
#include "chart/chart_window.h"
#include "chart/compare_readout.h"
#include "chart/formula_edit.h"
#include "chart/series_plot.h"
#include "decode/number_text.h"
#include "dump/dump_file.h"
#include "ui/error_box.h"
#include "ui/grid_model.h"
#include "ui/plot_marker.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kMaxCompared = SeriesPlot::kMaxDrives - 1;
constexpr int kOffsetFieldWidth = 90;

QString driveName(int drive) { return QString::fromStdString(DriveComparison::driveName(drive)); }

// Seconds typed with a point or the regional comma.
std::optional<double> secondsTyped(QString text) {
  bool ok = false;
  const double seconds = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
  return ok && std::isfinite(seconds) ? std::optional(seconds) : std::nullopt;
}

QString secondsText(double seconds, char separator) {
  std::string text;
  appendNumber(text, seconds, separator);
  return QString::fromStdString(text);
}
}  // namespace

const DumpModel& ChartWindow::driveModel(int drive) const {
  return drive == 0 ? model_ : compared_[drive - 1]->model;
}

std::span<const char> ChartWindow::driveKept(int drive) const {
  return drive == 0 ? std::span<const char>(kept_) : std::span<const char>(compared_[drive - 1]->kept);
}

std::vector<DriveSource> ChartWindow::driveSources() const {
  std::vector<DriveSource> sources;
  for (int d = 0; d < driveCount(); ++d)
    sources.push_back({&driveModel(d), d == 0 ? &kept_ : &compared_[d - 1]->kept});
  return sources;
}

void ChartWindow::addDrivesActions() {
  auto* add = plotMenu_->addAction(QStringLiteral("Добавить запись для сравнения…"));
  add->setObjectName(QStringLiteral("addComparedDrive"));
  connect(add, &QAction::triggered, this, &ChartWindow::chooseComparedDrive);
  connect(plotMenu_, &QMenu::aboutToShow, this,
          [this, add] { add->setEnabled(model_.recordCount() > 0 && int(compared_.size()) < kMaxCompared); });
}

void ChartWindow::chooseComparedDrive() {
  QFileDialog dialog(this, QStringLiteral("Добавить запись для сравнения"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("Записи БК (*.txt)"), QStringLiteral("Все файлы (*)")});
  if (!dumpPath_.isEmpty()) dialog.setDirectory(QFileInfo(dumpPath_).absolutePath());
  // Recovery copies of downloads not saved live in the state folder.
  const QString state = QString::fromStdString(userStateFolder().string());
  if (!state.isEmpty() && QFileInfo(state).isDir()) {
    QList<QUrl> places = dialog.sidebarUrls();
    places << QUrl::fromLocalFile(state);
    dialog.setSidebarUrls(places);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  if (QString problem = addComparedDrive(dialog.selectedFiles().front()); !problem.isEmpty())
    showErrorBox(this, problem);
}

QString ChartWindow::addComparedDrive(const QString& path) {
  if (model_.recordCount() == 0) return QStringLiteral("Нет записи, с которой сравнивать.");
  if (int(compared_.size()) >= kMaxCompared) return QStringLiteral("Сравниваются не больше четырёх записей.");
  auto drive = std::make_unique<ComparedDrive>();
  drive->path = QFileInfo(path).absoluteFilePath();
  try {
    Dump dump;
    loadDumpFile(fileNameForCore(path), dump);
    if (!dump.empty()) drive->model = buildDumpModel(dump, model_.decimalSeparator());
  } catch (const std::exception& error) {
    return QStringLiteral("Файл «%1»: %2").arg(QFileInfo(path).fileName(), QString::fromUtf8(error.what()));
  }
  if (drive->model.recordCount() == 0)
    return QStringLiteral("В файле «%1» нет записей.").arg(QFileInfo(path).fileName());
  compared_.push_back(std::move(drive));
  rebuildComparison(true);
  showDrives();
  refillSeries();
  refresh();
  return {};
}

void ChartWindow::removeComparedDrive(int drive) {
  compared_.erase(compared_.begin() + (drive - 1));
  // The drives after it move up a letter, with their offsets.
  std::vector<double> offsets;
  for (int d = 0; d < comparison_.driveCount(); ++d)
    if (d != drive) offsets.push_back(comparison_.offset(d));
  rebuildComparison(false);
  for (int d = 1; d < comparison_.driveCount(); ++d) comparison_.setOffset(d, offsets[d]);
  times_.clear();
  for (int d = 0; d < comparison_.driveCount(); ++d) times_.push_back(comparison_.alignedTimes(d));
  if (shownGridDrive_ >= comparison_.driveCount()) shownGridDrive_ = 0;
  if (markedDrive_ >= drive) {  // its records are gone or another drive's now
    marked_.clear();
    markedDrive_ = 0;
  }
  for (auto& marker : markers_) marker->hide();
  showDrives();
  refillSeries();
  plot_->resetZoom();
  refresh();
}

void ChartWindow::rebuildComparison(bool keepOffsets) {
  std::vector<double> offsets;
  for (int d = 0; d < comparison_.driveCount(); ++d) offsets.push_back(comparison_.offset(d));
  comparison_ = DriveComparison();
  comparison_.addDrive(model_);
  for (const auto& drive : compared_) comparison_.addDrive(drive->model);
  if (keepOffsets)
    for (int d = 1; d < std::min(comparison_.driveCount(), int(offsets.size())); ++d)
      comparison_.setOffset(d, offsets[d]);
  times_.clear();
  for (int d = 0; d < comparison_.driveCount(); ++d) times_.push_back(comparison_.alignedTimes(d));
  plot_->setDriveCount(comparison_.driveCount());
}

void ChartWindow::syncComparedDrives() {
  for (const auto& drive : compared_) {
    DumpModel& model = drive->model;
    model.removeAllDerived();
    drive->problems.clear();
    for (const ChannelDefinition& channel : channels_) {
      try {
        addChannels(model, std::span(&channel, 1));
      } catch (const std::runtime_error& error) {
        drive->problems += QString::fromUtf8(error.what()) + QStringLiteral("; ");
      }
    }
    drive->kept.clear();
    if (!filterText_.trimmed().isEmpty()) {
      try {
        drive->kept = Expression(filterText_.toStdString(), model.titles()).keep(model);
      } catch (const ExpressionError& error) {
        drive->problems += QStringLiteral("фильтр не применён: ") + QString::fromUtf8(error.what());
      }
    }
  }
}

void ChartWindow::buildDrivesRow(QWidget* row) {
  drivesRow_ = row;
  auto* column = new QVBoxLayout(row);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  drivesLayout_ = new QGridLayout;
  drivesLayout_->setHorizontalSpacing(6);
  drivesLayout_->setVerticalSpacing(1);
  column->addLayout(drivesLayout_);
  missingNote_ = new QLabel;
  missingNote_->setObjectName(QStringLiteral("missingNote"));
  missingNote_->setStyleSheet(QStringLiteral("color: #805000"));
  column->addWidget(missingNote_);

  auto* eventRow = new QHBoxLayout;
  eventRow->addWidget(new QLabel(QStringLiteral("Выровнять по событию:")));
  eventField_ = new FormulaEdit;
  eventField_->setObjectName(QStringLiteral("alignEventField"));
  eventField_->setPlaceholderText(QStringLiteral("например: [Положение дроссельной заслонки] > 80 — Enter"));
  eventRow->addWidget(eventField_, 1);
  auto* alignButton = new QPushButton(QStringLiteral("Выровнять"));
  alignButton->setObjectName(QStringLiteral("alignEventButton"));
  eventRow->addWidget(alignButton);
  column->addLayout(eventRow);
  drivesNote_ = new QLabel;
  drivesNote_->setObjectName(QStringLiteral("drivesNote"));
  drivesNote_->setWordWrap(true);
  drivesNote_->setStyleSheet(QStringLiteral("color: #805000"));
  column->addWidget(drivesNote_);
  const auto align = [this] {
    const QString note = alignOnEvent(eventField_->text());
    drivesNote_->setText(note);
  };
  connect(eventField_, &QLineEdit::returnPressed, this, align);
  connect(alignButton, &QPushButton::clicked, this, align);
  row->hide();
}

// The rows of the drives: name and file, offset (typed), reset and remove.
void ChartWindow::showDrives() {
  // The button or field whose signal brought us here may be among them: later.
  while (QLayoutItem* item = drivesLayout_->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->deleteLater();
    }
    delete item;
  }
  const int drives = comparison_.driveCount();
  drivesRow_->setVisible(drives > 1);
  const char separator = model_.decimalSeparator();
  QString note, list;
  for (int d = 0; d < drives; ++d) {
    const QString file =
        d == 0 ? (dumpPath_.isEmpty() ? QStringLiteral("запись из БК") : QFileInfo(dumpPath_).fileName())
               : QFileInfo(compared_[d - 1]->path).fileName();
    auto* name = new QLabel(QStringLiteral("<b>%1</b>: %2").arg(driveName(d), file.toHtmlEscaped()));
    name->setToolTip(d == 0 ? dumpPath_ : compared_[d - 1]->path);
    drivesLayout_->addWidget(name, d, 0);
    if (d == 0) {
      drivesLayout_->addWidget(new QLabel(QStringLiteral("сдвиг 0 с (образец)")), d, 1, 1, 4);
      auto* hint = new QLabel(QStringLiteral(
          "Shift + перетаскивание линии сравниваемой записи на графике сдвигает её; Esc отменяет"));
      hint->setObjectName(QStringLiteral("driveDragHint"));
      hint->setStyleSheet(QStringLiteral("color: #606060"));
      drivesLayout_->addWidget(hint, d, 5);
      continue;
    }
    drivesLayout_->addWidget(new QLabel(QStringLiteral("сдвиг, с:")), d, 1);
    auto* offset = new QLineEdit(secondsText(comparison_.offset(d), separator));
    offset->setObjectName(QStringLiteral("driveOffset") + driveName(d));
    offset->setFixedWidth(kOffsetFieldWidth);
    offset->setToolTip(QStringLiteral("Сдвиг записи %1 в секундах: введите число или перетащите линию записи "
                                      "на графике, удерживая Shift (Esc отменяет)")
                           .arg(driveName(d)));
    drivesLayout_->addWidget(offset, d, 2);
    connect(offset, &QLineEdit::editingFinished, this, [this, d, offset] {
      if (auto seconds = secondsTyped(offset->text()))
        setDriveOffset(d, *seconds);
      else
        offset->setText(secondsText(comparison_.offset(d), model_.decimalSeparator()));
    });
    auto* reset = new QToolButton;
    reset->setText(QStringLiteral("Сброс"));
    reset->setObjectName(QStringLiteral("driveReset") + driveName(d));
    reset->setToolTip(QStringLiteral("Начало записи %1 — вместе с началом записи A").arg(driveName(d)));
    drivesLayout_->addWidget(reset, d, 3);
    connect(reset, &QToolButton::clicked, this, [this, d] { resetDriveOffset(d); });
    auto* remove = new QToolButton;
    remove->setText(QStringLiteral("Убрать"));
    remove->setObjectName(QStringLiteral("driveRemove") + driveName(d));
    drivesLayout_->addWidget(remove, d, 4);
    connect(remove, &QToolButton::clicked, this, [this, d] { removeComparedDrive(d); });

    // Counted here, listed in the tooltip: a type apart may lack most of them.
    const std::vector<std::string> missing = missingTitles(model_, compared_[d - 1]->model);
    if (!missing.empty()) {
      note += QStringLiteral("нет в записи %1: %2 из %3 параметров записи A\n")
                  .arg(driveName(d))
                  .arg(missing.size())
                  .arg(model_.titles().size());
      list += QStringLiteral("нет в записи %1: ").arg(driveName(d));
      for (std::size_t i = 0; i < missing.size(); ++i)
        list += (i ? QStringLiteral(", ") : QString()) + QString::fromStdString(missing[i]);
      list += QLatin1Char('\n');
    }
    if (!compared_[d - 1]->problems.isEmpty())
      note += QStringLiteral("запись %1: %2\n").arg(driveName(d), compared_[d - 1]->problems);
  }
  drivesLayout_->setColumnStretch(5, 1);
  missingNote_->setText(note.trimmed());
  missingNote_->setToolTip(list.trimmed());
  missingNote_->setVisible(!note.isEmpty());

  QSignalBlocker blocker(gridDrive_);
  gridDrive_->clear();
  for (int d = 0; d < drives; ++d) gridDrive_->addItem(QStringLiteral("Запись ") + driveName(d));
  gridDrive_->setCurrentIndex(shownGridDrive_);
  gridDrive_->setVisible(drives > 1);
  showGridDrive(shownGridDrive_);
}

void ChartWindow::showGridDrive(int drive) {
  if (drive < 0 || drive >= comparison_.driveCount()) drive = 0;
  shownGridDrive_ = drive;
  const DumpModel* model = &driveModel(drive);
  gridModel_->setCells(0, 0, {});
  gridModel_->setCells(model->rowCount(), model->columnCount(),
                       [model](int row, int column) { return model->cell(row, column); });
}

void ChartWindow::setDriveOffset(int drive, double seconds) {
  comparison_.setOffset(drive, seconds);
  times_[drive] = comparison_.alignedTimes(drive);
  showDrives();
  refillSeries();
  refresh();
}

void ChartWindow::onDriveDragged(int drive, double seconds) {
  const double resolution = plot_->xAxis->range().size() / std::max(1, plot_->axisRect()->width());
  setDriveOffset(drive, draggedOffset(comparison_.offset(drive), seconds, resolution));
}

void ChartWindow::resetDriveOffset(int drive) { setDriveOffset(drive, comparison_.startOffset(drive)); }

QString ChartWindow::alignOnEvent(const QString& expression) {
  EventAlignment alignment;
  try {
    alignment = kq::alignOnEvent(comparison_, expression.toStdString());
  } catch (const std::runtime_error& error) {
    return QString::fromUtf8(error.what());
  }
  for (int d = 1; d < comparison_.driveCount(); ++d) comparison_.setOffset(d, alignment.offsets[d]);
  for (int d = 0; d < comparison_.driveCount(); ++d) times_[d] = comparison_.alignedTimes(d);
  QString note;
  if (!alignment.matches[0]) {
    note = QStringLiteral("В записи A условие не выполняется ни разу: записи выровнены по началу.");
  } else {
    for (int d = 1; d < comparison_.driveCount(); ++d)
      if (!alignment.matches[d])
        note += QStringLiteral("В записи %1 условие не выполняется ни разу: она выровнена по началу. ")
                    .arg(driveName(d));
  }
  showDrives();
  refillSeries();
  plot_->resetZoom();
  refresh();
  return note.trimmed();
}

void ChartWindow::plotDrives(int series, const std::vector<double>& values, int column) {
  if (comparison_.driveCount() < 2) {
    plot_->setSeriesPoints(series, values);
    return;
  }
  plot_->setSeriesPoints(series, values, values.empty() ? std::vector<double>() : times_[0]);
  const bool shown = !values.empty() && column >= kFrameColumns;
  for (int d = 1; d < comparison_.driveCount(); ++d) {
    const DumpModel& model = driveModel(d);
    const std::optional<int> own = shown ? columnOfTitle(model, model_.title(column)) : std::nullopt;
    if (own)
      plot_->setDrivePoints(series, d, times_[d], plotValues(model, *own, driveKept(d)));
    else
      plot_->setDrivePoints(series, d, {}, {});
  }
}

void ChartWindow::updateCompareReadout(std::optional<double> marker1, std::optional<double> marker2) {
  std::vector<ComparedSeries> series;
  for (int i = 0; i < kSeriesCount; ++i) {
    const SeriesSource& source = sources_[i];
    if (!source.visible || source.column < kFrameColumns || source.points == 0) continue;
    ComparedSeries s{QString::fromStdString(model_.title(source.column)), {}};
    for (int d = 0; d < comparison_.driveCount(); ++d)
      s.columns.push_back(d == 0 ? std::optional(source.column)
                                 : columnOfTitle(driveModel(d), model_.title(source.column)));
    series.push_back(std::move(s));
  }
  markerReadout_->setText(compareReadoutText(
      comparison_, series, [this](int d) { return driveKept(d); }, marker1, marker2));
  markerReadout_->show();
}

void ChartWindow::updateComparePositionReadout(double x) {
  positionReadout_->setText(comparePositionText(comparison_, x));
}

}  // namespace kq
