#include "chart/cell_table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "analysis/drive_comparison.h"
#include "decode/number_text.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
const QColor kGreyed(225, 225, 225);
constexpr int kMinimumCellWidth = 64;
const CellStatistic kStatistics[] = {CellStatistic::count, CellStatistic::mean, CellStatistic::minimum,
                                     CellStatistic::maximum};
const char* const kStatisticNames[] = {
    QT_TRANSLATE_NOOP("kq::CellTableView", "количество"), QT_TRANSLATE_NOOP("kq::CellTableView", "среднее"),
    QT_TRANSLATE_NOOP("kq::CellTableView", "минимум"), QT_TRANSLATE_NOOP("kq::CellTableView", "максимум")};

QComboBox* makeSelector(const char* objectName) {
  auto* selector = new QComboBox;
  selector->setObjectName(QString::fromLatin1(objectName));
  selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  selector->setMinimumContentsLength(24);
  return selector;
}

QLineEdit* makeBreaks(const char* objectName) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromLatin1(objectName));
  edit->setPlaceholderText(CellTableView::tr("8 равных шагов по данным"));
  edit->setClearButtonEnabled(true);
  return edit;
}

QString numberText(long double value, char separator) {
  std::string text;
  appendNumber(text, value, separator);
  return toQString(text);
}

// Blue for the smallest value through green to red for the largest.
QColor scaleColour(double share) {
  return QColor::fromHsvF(float((1.0 - std::clamp(share, 0.0, 1.0)) * 240.0 / 360.0), 0.35f, 1.0f);
}
}  // namespace

CellTableView::CellTableView(ChartSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  xSelector_ = makeSelector("tableX");
  ySelector_ = makeSelector("tableY");
  zSelector_ = makeSelector("tableZ");
  xBreaks_ = makeBreaks("tableXBreaks");
  yBreaks_ = makeBreaks("tableYBreaks");
  statisticSelector_ = new QComboBox;
  statisticSelector_->setObjectName(QStringLiteral("tableStatistic"));
  for (const char* name : kStatisticNames) statisticSelector_->addItem(tr(name));
  minimumRecords_ = new QSpinBox;
  minimumRecords_->setObjectName(QStringLiteral("tableMinimumRecords"));
  minimumRecords_->setRange(1, 1000000);
  minimumRecords_->setValue(1);
  driveLabel_ = new QLabel(tr("Запись:"));
  driveSelector_ = new QComboBox;
  driveSelector_->setObjectName(QStringLiteral("tableDrive"));
  driveSelector_->setToolTip(tr("Таблица одной записи или её разность с записью A"));
  driveLabel_->hide();
  driveSelector_->hide();
  cells_ = new QTableWidget;
  cells_->setObjectName(QStringLiteral("tableCells"));
  cells_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  cells_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  cells_->horizontalHeader()->setMinimumSectionSize(kMinimumCellWidth);
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("tableNote"));
  note_->setWordWrap(true);

  auto* choices = new QGridLayout;
  choices->addWidget(new QLabel(QStringLiteral("X:")), 0, 0);
  choices->addWidget(xSelector_, 0, 1);
  choices->addWidget(new QLabel(tr("точки X:")), 0, 2);
  choices->addWidget(xBreaks_, 0, 3);
  choices->addWidget(new QLabel(tr("Статистика:")), 0, 4);
  choices->addWidget(statisticSelector_, 0, 5);
  choices->addWidget(new QLabel(QStringLiteral("Y:")), 1, 0);
  choices->addWidget(ySelector_, 1, 1);
  choices->addWidget(new QLabel(tr("точки Y:")), 1, 2);
  choices->addWidget(yBreaks_, 1, 3);
  choices->addWidget(new QLabel(tr("Не меньше записей:")), 1, 4);
  choices->addWidget(minimumRecords_, 1, 5);
  choices->addWidget(new QLabel(QStringLiteral("Z:")), 2, 0);
  choices->addWidget(zSelector_, 2, 1);
  choices->addWidget(driveLabel_, 2, 4);
  choices->addWidget(driveSelector_, 2, 5);
  choices->setColumnStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->addLayout(choices);
  layout->addWidget(cells_, 1);
  layout->addWidget(note_);

  for (QComboBox* selector : {xSelector_, ySelector_, zSelector_, driveSelector_, statisticSelector_})
    connect(selector, &QComboBox::activated, this, &CellTableView::takeSettings);
  for (QLineEdit* edit : {xBreaks_, yBreaks_})
    connect(edit, &QLineEdit::editingFinished, this, &CellTableView::takeSettings);
  connect(minimumRecords_, &QSpinBox::valueChanged, this, &CellTableView::takeSettings);
  cells_->installEventFilter(this);
  connect(cells_, &QTableWidget::cellClicked, this, &CellTableView::chooseCell);
  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
}

void CellTableView::update(ChartChanges changes) {
  if (changes.has(ChartChange::model)) showTitles();
  if (changes.has(ChartChange::drives)) showDrives();
  if (changes.hasAny(ChartChange::model | ChartChange::drives | ChartChange::cellTable)) showSettings();
  if (changes.hasAny(ChartChange::model | ChartChange::drives | ChartChange::filter)) {
    rebuild();
  } else if (changes.has(ChartChange::cellTable)) {
    // The statistic and the greying change what the cells show, not the cells.
    CellTableSettings settings = session_.cellTable();
    settings.statistic = built_.statistic;
    settings.minimumRecords = built_.minimumRecords;
    if (settings == built_ && !stale_)
      fill();
    else
      rebuild();
  }
}

void CellTableView::showTitles() {
  QStringList titles;
  for (const std::string& title : session_.model().titles()) titles << toQString(title);
  for (QComboBox* selector : {xSelector_, ySelector_, zSelector_}) {
    const QSignalBlocker blocker(selector);
    selector->clear();
    selector->addItems(titles);
  }
}

// The drives, then each but A less A: "A", "B", "C", "B − A", "C − A".
void CellTableView::showDrives() {
  const int count = session_.driveCount();
  const auto name = [](int d) { return toQString(DriveComparison::driveName(d)); };
  const QSignalBlocker blocker(driveSelector_);
  driveSelector_->clear();
  for (int d = 0; d < count; ++d) driveSelector_->addItem(name(d));
  for (int d = 1; d < count; ++d) driveSelector_->addItem(name(d) + QStringLiteral(" − A"));
  driveLabel_->setVisible(count > 1);
  driveSelector_->setVisible(count > 1);
}

void CellTableView::showSettings() {
  const CellTableSettings& settings = session_.cellTable();
  for (auto [selector, title] : {std::pair(xSelector_, &settings.x), std::pair(ySelector_, &settings.y),
                                 std::pair(zSelector_, &settings.z)}) {
    if (selector->currentText() == toQString(*title)) continue;  // a title that stands twice stays as chosen
    const QSignalBlocker blocker(selector);
    selector->setCurrentIndex(
        selector->findText(toQString(*title), Qt::MatchFixedString | Qt::MatchCaseSensitive));
  }
  for (auto [edit, text] : {std::pair(xBreaks_, &settings.xBreaks), std::pair(yBreaks_, &settings.yBreaks)})
    if (edit->text() != toQString(*text)) edit->setText(toQString(*text));
  const QSignalBlocker statisticBlocker(statisticSelector_);
  statisticSelector_->setCurrentIndex(int(settings.statistic));
  const QSignalBlocker minimumBlocker(minimumRecords_);
  minimumRecords_->setValue(settings.minimumRecords);
  const QSignalBlocker driveBlocker(driveSelector_);
  driveSelector_->setCurrentIndex(settings.difference ? session_.driveCount() - 1 + settings.drive
                                                      : settings.drive);
}

void CellTableView::takeSettings() {
  CellTableSettings settings = session_.cellTable();
  settings.x = xSelector_->currentText().toStdString();
  settings.y = ySelector_->currentText().toStdString();
  settings.z = zSelector_->currentText().toStdString();
  settings.xBreaks = xBreaks_->text().toStdString();
  settings.yBreaks = yBreaks_->text().toStdString();
  settings.statistic = kStatistics[std::max(0, statisticSelector_->currentIndex())];
  settings.minimumRecords = minimumRecords_->value();
  const int count = session_.driveCount();
  const int chosen = std::max(0, driveSelector_->currentIndex());
  settings.difference = chosen >= count;
  settings.drive = settings.difference ? chosen - count + 1 : chosen;
  session_.setCellTable(settings);
}

int CellTableView::columnOf(const std::string& title, int drive) const {
  if (drive == 0)  // by the item chosen, for a title that stands twice
    for (const QComboBox* selector : {xSelector_, ySelector_, zSelector_})
      if (selector->currentIndex() >= 0 && selector->currentText() == toQString(title))
        return kFrameColumns + selector->currentIndex();
  return columnOfTitle(session_.driveModel(drive), title).value_or(-1);
}

char CellTableView::decimalSeparator() const { return session_.model().decimalSeparator(); }

void CellTableView::rebuild() {
  if (!isVisible()) {
    stale_ = true;  // done when shown
    return;
  }
  stale_ = false;
  built_ = session_.cellTable();
  table_ = CellTable();
  reference_ = CellTable();
  note_->clear();
  const CellTableSettings& settings = built_;
  const int x = columnOf(settings.x, 0), y = columnOf(settings.y, 0), z = columnOf(settings.z, 0);
  if (session_.hasRecords() && x >= 0 && y >= 0 && z >= 0) {
    const char separator = decimalSeparator();
    try {
      std::vector<long double> xBreaks = parseBreaks(settings.xBreaks, separator);
      std::vector<long double> yBreaks = parseBreaks(settings.yBreaks, separator);
      // Every drive on A's breakpoints, so that its cells stand beside A's.
      if (xBreaks.empty()) xBreaks = evenBreaks(session_.model(), x, session_.kept(0));
      if (yBreaks.empty()) yBreaks = evenBreaks(session_.model(), y, session_.kept(0));
      const int drive = settings.drive;
      int columns[3];
      QStringList lacking;
      const std::string* titles[] = {&settings.x, &settings.y, &settings.z};
      for (int i = 0; i < 3; ++i)
        if ((columns[i] = columnOf(*titles[i], drive)) < 0)
          lacking << QStringLiteral("«%1»").arg(toQString(*titles[i]));
      if (!lacking.isEmpty()) {
        note_->setText(
            tr("В записи %1 нет: %2.")
                .arg(toQString(DriveComparison::driveName(drive)), lacking.join(QStringLiteral(", "))));
      } else {
        table_ = makeCellTable(session_.driveModel(drive), columns[0], columns[1], columns[2], xBreaks,
                               yBreaks, session_.kept(drive));
        if (settings.difference)
          reference_ = makeCellTable(session_.model(), x, y, z, xBreaks, yBreaks, session_.kept(0));
      }
    } catch (const std::invalid_argument& error) {
      note_->setText(tr("Точки: ") + QString::fromUtf8(error.what()));
    }
  }
  fill();
}

void CellTableView::fill() {
  const CellStatistic statistic = session_.cellTable().statistic;
  const int minimumRecords = session_.cellTable().minimumRecords;
  const char separator = decimalSeparator();
  const bool difference = built_.difference && !reference_.cells.empty();
  const auto valueAt = [&](std::size_t c, std::size_t r) {
    return difference ? cellDifference(table_, reference_, c, r, statistic) : table_.value(c, r, statistic);
  };
  cells_->clear();
  cells_->setColumnCount(int(table_.xBreaks.size()));
  cells_->setRowCount(int(table_.yBreaks.size()));
  QStringList xs, ys;
  for (long double x : table_.xBreaks) xs << numberText(x, separator);
  for (long double y : table_.yBreaks) ys << numberText(y, separator);
  cells_->setHorizontalHeaderLabels(xs);
  cells_->setVerticalHeaderLabels(ys);

  long double lowest = 0, highest = 0;
  bool any = false;
  for (std::size_t r = 0; r < table_.yBreaks.size(); ++r)
    for (std::size_t c = 0; c < table_.xBreaks.size(); ++c)
      if (auto value = valueAt(c, r)) {
        lowest = any ? std::min(lowest, *value) : *value;
        highest = any ? std::max(highest, *value) : *value;
        any = true;
      }
  for (std::size_t r = 0; r < table_.yBreaks.size(); ++r) {
    for (std::size_t c = 0; c < table_.xBreaks.size(); ++c) {
      const auto value = valueAt(c, r);
      if (!value) continue;
      auto* item = new QTableWidgetItem(numberText(*value, separator));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      const long records = table_.at(c, r).count();
      const long referenceRecords = difference ? reference_.at(c, r).count() : records;
      if (std::min(records, referenceRecords) < minimumRecords) {
        item->setBackground(kGreyed);
        item->setForeground(Qt::gray);
      } else {
        // A difference is coloured about 0: green where the drives agree.
        const long double reach = std::max(std::abs(lowest), std::abs(highest));
        const double share = difference         ? (reach > 0 ? double(0.5 + *value / (2 * reach)) : 0.5)
                             : highest > lowest ? double((*value - lowest) / (highest - lowest))
                                                : 0.5;
        item->setBackground(scaleColour(share));
      }
      item->setToolTip(difference ? tr("записей: %1 в %2, %3 в A")
                                        .arg(records)
                                        .arg(driveSelector_->currentText().left(1))
                                        .arg(referenceRecords)
                                  : tr("записей: %1").arg(records));
      cells_->setItem(int(r), int(c), item);
    }
  }
}

QString CellTableView::tableText() const {
  const CellStatistic statistic = session_.cellTable().statistic;
  if (built_.difference && !reference_.cells.empty())
    return toQString(cellDifferenceText(table_, reference_, statistic, decimalSeparator(), '\t'));
  return toQString(cellTableText(table_, statistic, decimalSeparator(), '\t'));
}

// The table view would copy only its current cell.
bool CellTableView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cells_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    if (event->type() == QEvent::KeyPress) QApplication::clipboard()->setText(tableText());
    event->accept();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CellTableView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) rebuild();
}

void CellTableView::chooseCell(int row, int column) {
  if (!session_.hasRecords() || table_.cells.empty()) return;
  const int drive = built_.drive;
  const std::vector<int> positions =
      cellRecords(session_.driveModel(drive), table_, columnOf(built_.x, drive), columnOf(built_.y, drive),
                  columnOf(built_.z, drive), std::size_t(column), std::size_t(row), session_.kept(drive));
  note_->setText(tr("Записей в ячейке: %1%2 — отмечены на графике")
                     .arg(positions.size())
                     .arg(session_.driveCount() > 1
                              ? tr(" в записи ") + toQString(DriveComparison::driveName(drive))
                              : QString()));
  session_.markRecords(drive, positions);
}

}  // namespace kq
