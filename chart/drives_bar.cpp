#include "chart/drives_bar.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "base/state_folder.h"
#include "base/utf8_path.h"
#include "chart/formula_edit.h"
#include "decode/number_text.h"
#include "ui/error_box.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kOffsetFieldWidth = 90;

QString driveName(int drive) { return toQString(DriveComparison::driveName(drive)); }

// Seconds typed with a point or the regional comma.
std::optional<double> secondsTyped(QString text) {
  bool ok = false;
  const double seconds = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
  return ok && std::isfinite(seconds) ? std::optional(seconds) : std::nullopt;
}

QString secondsText(double seconds, char separator) {
  std::string text;
  appendNumber(text, seconds, separator);
  return toQString(text);
}

QString problemsText(const AnalysisProblems& problems) {
  QString text;
  for (const std::string& channel : problems.channels) text += toQString(channel) + QStringLiteral("; ");
  if (!problems.filter.empty()) text += DrivesBar::tr("фильтр не применён: ") + toQString(problems.filter);
  return text;
}
}  // namespace

DrivesBar::DrivesBar(ChartSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  rows_ = new QGridLayout;
  rows_->setHorizontalSpacing(6);
  rows_->setVerticalSpacing(1);
  column->addLayout(rows_);
  missing_ = new QLabel;
  missing_->setObjectName(QStringLiteral("missingNote"));
  missing_->setStyleSheet(QStringLiteral("color: #805000"));
  column->addWidget(missing_);

  auto* eventRow = new QHBoxLayout;
  eventRow->addWidget(new QLabel(tr("Выровнять по событию:")));
  event_ = new FormulaEdit;
  event_->setObjectName(QStringLiteral("alignEventField"));
  event_->setPlaceholderText(tr("например: [Положение дроссельной заслонки] > 80 — Enter"));
  eventRow->addWidget(event_, 1);
  auto* alignButton = new QPushButton(tr("Выровнять"));
  alignButton->setObjectName(QStringLiteral("alignEventButton"));
  eventRow->addWidget(alignButton);
  column->addLayout(eventRow);
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("drivesNote"));
  note_->setWordWrap(true);
  note_->setStyleSheet(QStringLiteral("color: #805000"));
  column->addWidget(note_);
  connect(event_, &QLineEdit::returnPressed, this, &DrivesBar::align);
  connect(alignButton, &QPushButton::clicked, this, &DrivesBar::align);
  hide();

  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
}

void DrivesBar::addActions(QMenu& menu) {
  auto* add = menu.addAction(tr("Добавить запись для сравнения…"));
  add->setObjectName(QStringLiteral("addComparedDrive"));
  connect(add, &QAction::triggered, this, &DrivesBar::chooseDrive);
  connect(&menu, &QMenu::aboutToShow, this,
          [this, add] { add->setEnabled(session_.hasRecords() && session_.driveCount() < kMaxDrives); });
}

void DrivesBar::update(ChartChanges changes) {
  if (changes.hasAny(ChartChange::model | ChartChange::drives))
    showDrives();
  else if (changes.has(ChartChange::offsets))
    showOffsets();
}

void DrivesBar::chooseDrive() {
  QFileDialog dialog(this, tr("Добавить запись для сравнения"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({tr("Записи БК (*.txt)"), tr("Все файлы (*)")});
  const QString path = toQString(session_.drive(0).path);
  if (!path.isEmpty()) dialog.setDirectory(QFileInfo(path).absolutePath());
  // Recovery copies of downloads not saved live in the state folder.
  const QString state = toQString(utf8Text(userStateFolder()));
  if (!state.isEmpty() && QFileInfo(state).isDir()) {
    QList<QUrl> places = dialog.sidebarUrls();
    places << QUrl::fromLocalFile(state);
    dialog.setSidebarUrls(places);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string problem = session_.addDrive(fileNameForCore(dialog.selectedFiles().front()));
  if (!problem.empty()) showErrorBox(this, toQString(problem));
}

void DrivesBar::align() { note_->setText(toQString(session_.alignOnEvent(event_->text().toStdString()))); }

// The rows of the drives: name and file, offset (typed), reset and remove.
void DrivesBar::showDrives() {
  // The button or field whose signal brought us here may be among them: later.
  while (QLayoutItem* item = rows_->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->deleteLater();
    }
    delete item;
  }
  offsets_.clear();
  const int drives = session_.driveCount();
  setVisible(drives > 1);
  QStringList titles;
  for (const std::string& title : session_.model().titles()) titles << toQString(title);
  event_->setTitles(titles);
  QString note, list;
  for (int d = 0; d < drives; ++d) {
    const ChartDrive& drive = session_.drive(d);
    const QString path = toQString(drive.path);
    const QString file = !path.isEmpty()        ? QFileInfo(path).fileName()
                         : !drive.label.empty() ? toQString(drive.label)
                                                : tr("запись из БК");
    auto* name = new QLabel(QStringLiteral("<b>%1</b>: %2").arg(driveName(d), file.toHtmlEscaped()));
    name->setToolTip(path);
    rows_->addWidget(name, d, 0);
    if (d == 0) {
      rows_->addWidget(new QLabel(tr("сдвиг 0 с (образец)")), d, 1, 1, 4);
      auto* hint = new QLabel(
          tr("Shift + перетаскивание линии сравниваемой записи на графике сдвигает её; Esc отменяет"));
      hint->setObjectName(QStringLiteral("driveDragHint"));
      hint->setStyleSheet(QStringLiteral("color: #606060"));
      rows_->addWidget(hint, d, 5);
      continue;
    }
    rows_->addWidget(new QLabel(tr("сдвиг, с:")), d, 1);
    auto* offset = new QLineEdit;
    offset->setObjectName(QStringLiteral("driveOffset") + driveName(d));
    offset->setFixedWidth(kOffsetFieldWidth);
    offset->setToolTip(tr("Сдвиг записи %1 в секундах: введите число или перетащите линию записи на графике, "
                          "удерживая Shift (Esc отменяет)")
                           .arg(driveName(d)));
    rows_->addWidget(offset, d, 2);
    offsets_.push_back(offset);
    connect(offset, &QLineEdit::editingFinished, this, [this, d, offset] {
      if (auto seconds = secondsTyped(offset->text())) session_.setOffset(d, *seconds);
      showOffsets();  // also puts back what was no number
    });
    auto* reset = new QToolButton;
    reset->setText(tr("Сброс"));
    reset->setObjectName(QStringLiteral("driveReset") + driveName(d));
    reset->setToolTip(tr("Начало записи %1 — вместе с началом записи A").arg(driveName(d)));
    rows_->addWidget(reset, d, 3);
    connect(reset, &QToolButton::clicked, this, [this, d] { session_.resetOffset(d); });
    auto* remove = new QToolButton;
    remove->setText(tr("Убрать"));
    remove->setObjectName(QStringLiteral("driveRemove") + driveName(d));
    rows_->addWidget(remove, d, 4);
    connect(remove, &QToolButton::clicked, this, [this, d] { session_.removeDrive(d); });

    // Counted here, listed in the tooltip: a type apart may lack most of them.
    const std::vector<std::string> missing = session_.missingTitles(d);
    if (!missing.empty()) {
      note += tr("нет в записи %1: %2 из %3 параметров записи A\n")
                  .arg(driveName(d))
                  .arg(missing.size())
                  .arg(session_.model().titles().size());
      list += tr("нет в записи %1: ").arg(driveName(d));
      for (std::size_t i = 0; i < missing.size(); ++i)
        list += (i ? QStringLiteral(", ") : QString()) + toQString(missing[i]);
      list += QLatin1Char('\n');
    }
    if (!session_.drive(d).problems.empty())
      note += tr("запись %1: %2\n").arg(driveName(d), problemsText(session_.drive(d).problems));
  }
  rows_->setColumnStretch(5, 1);
  missing_->setText(note.trimmed());
  missing_->setToolTip(list.trimmed());
  missing_->setVisible(!note.isEmpty());
  showOffsets();
}

void DrivesBar::showOffsets() {
  const char separator = session_.model().decimalSeparator();
  for (std::size_t d = 1; d <= offsets_.size() && int(d) < session_.driveCount(); ++d)
    offsets_[d - 1]->setText(secondsText(session_.comparison().offset(int(d)), separator));
}

}  // namespace kq
