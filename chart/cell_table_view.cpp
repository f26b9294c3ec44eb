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

#include "chart/parameter_choice.h"
#include "decode/number_text.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
const QColor kGreyed(225, 225, 225);
constexpr int kMinimumCellWidth = 64;
const CellStatistic kStatistics[] = {CellStatistic::count, CellStatistic::mean, CellStatistic::minimum,
                                     CellStatistic::maximum};
const char* const kStatisticNames[] = {"количество", "среднее", "минимум", "максимум"};

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
  edit->setPlaceholderText(QStringLiteral("8 равных шагов по данным"));
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

CellTableView::CellTableView(QWidget* parent) : QWidget(parent) {
  xSelector_ = makeSelector("tableX");
  ySelector_ = makeSelector("tableY");
  zSelector_ = makeSelector("tableZ");
  xBreaks_ = makeBreaks("tableXBreaks");
  yBreaks_ = makeBreaks("tableYBreaks");
  statisticSelector_ = new QComboBox;
  statisticSelector_->setObjectName(QStringLiteral("tableStatistic"));
  for (const char* name : kStatisticNames) statisticSelector_->addItem(QString::fromUtf8(name));
  minimumRecords_ = new QSpinBox;
  minimumRecords_->setObjectName(QStringLiteral("tableMinimumRecords"));
  minimumRecords_->setRange(1, 1000000);
  minimumRecords_->setValue(1);
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
  choices->addWidget(new QLabel(QStringLiteral("точки X:")), 0, 2);
  choices->addWidget(xBreaks_, 0, 3);
  choices->addWidget(new QLabel(QStringLiteral("Статистика:")), 0, 4);
  choices->addWidget(statisticSelector_, 0, 5);
  choices->addWidget(new QLabel(QStringLiteral("Y:")), 1, 0);
  choices->addWidget(ySelector_, 1, 1);
  choices->addWidget(new QLabel(QStringLiteral("точки Y:")), 1, 2);
  choices->addWidget(yBreaks_, 1, 3);
  choices->addWidget(new QLabel(QStringLiteral("Не меньше записей:")), 1, 4);
  choices->addWidget(minimumRecords_, 1, 5);
  choices->addWidget(new QLabel(QStringLiteral("Z:")), 2, 0);
  choices->addWidget(zSelector_, 2, 1);
  choices->setColumnStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->addLayout(choices);
  layout->addWidget(cells_, 1);
  layout->addWidget(note_);

  for (QComboBox* selector : {xSelector_, ySelector_, zSelector_})
    connect(selector, &QComboBox::activated, this, &CellTableView::rebuild);
  for (QLineEdit* edit : {xBreaks_, yBreaks_})
    connect(edit, &QLineEdit::editingFinished, this, &CellTableView::rebuild);
  connect(statisticSelector_, &QComboBox::activated, this, &CellTableView::fill);
  connect(minimumRecords_, &QSpinBox::valueChanged, this, &CellTableView::fill);
  cells_->installEventFilter(this);
  connect(cells_, &QTableWidget::cellClicked, this, &CellTableView::chooseCell);
}

void CellTableView::setData(const DumpModel* model, const std::vector<char>* kept,
                            const QStringList& titles) {
  model_ = model;
  kept_ = kept;
  int initial = 0;
  for (QComboBox* selector : {xSelector_, ySelector_, zSelector_})
    refillKeepingChoice(selector, titles, initial++);
  rebuild();
}

CellTableSettings CellTableView::settings() const {
  return {xSelector_->currentText(), ySelector_->currentText(), zSelector_->currentText(),
          xBreaks_->text(),          yBreaks_->text(),          statisticSelector_->currentIndex(),
          minimumRecords_->value()};
}

void CellTableView::setSettings(const CellTableSettings& settings) {
  for (auto [selector, title] : {std::pair(xSelector_, settings.x), std::pair(ySelector_, settings.y),
                                 std::pair(zSelector_, settings.z)})
    if (int index = selector->findText(title, Qt::MatchFixedString | Qt::MatchCaseSensitive); index >= 0)
      selector->setCurrentIndex(index);
  xBreaks_->setText(settings.xBreaks);
  yBreaks_->setText(settings.yBreaks);
  statisticSelector_->setCurrentIndex(std::clamp(settings.statistic, 0, statisticSelector_->count() - 1));
  {
    QSignalBlocker blocker(minimumRecords_);
    minimumRecords_->setValue(settings.minimumRecords);
  }
  rebuild();
}

void CellTableView::rebuild() {
  if (!isVisible()) {
    stale_ = true;  // done when shown
    return;
  }
  stale_ = false;
  table_ = CellTable();
  note_->clear();
  const int x = chosenColumn(xSelector_), y = chosenColumn(ySelector_), z = chosenColumn(zSelector_);
  if (model_ && x >= 0 && y >= 0 && z >= 0) {
    const char separator = model_->decimalSeparator();
    try {
      const std::span<const char> kept = kept_ ? std::span<const char>(*kept_) : std::span<const char>();
      table_ = makeCellTable(*model_, x, y, z, parseBreaks(xBreaks_->text().toStdString(), separator),
                             parseBreaks(yBreaks_->text().toStdString(), separator), kept);
    } catch (const std::invalid_argument& error) {
      note_->setText(QStringLiteral("Точки: ") + QString::fromUtf8(error.what()));
    }
  }
  fill();
}

void CellTableView::fill() {
  statistic_ = kStatistics[std::max(0, statisticSelector_->currentIndex())];
  const char separator = model_ ? model_->decimalSeparator() : '.';
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
      if (auto value = table_.value(c, r, statistic_)) {
        lowest = any ? std::min(lowest, *value) : *value;
        highest = any ? std::max(highest, *value) : *value;
        any = true;
      }
  for (std::size_t r = 0; r < table_.yBreaks.size(); ++r) {
    for (std::size_t c = 0; c < table_.xBreaks.size(); ++c) {
      const auto value = table_.value(c, r, statistic_);
      if (!value) continue;
      auto* item = new QTableWidgetItem(numberText(*value, separator));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (table_.at(c, r).count() < minimumRecords_->value()) {
        item->setBackground(kGreyed);
        item->setForeground(Qt::gray);
      } else {
        const double share = highest > lowest ? double((*value - lowest) / (highest - lowest)) : 0.5;
        item->setBackground(scaleColour(share));
      }
      item->setToolTip(QStringLiteral("записей: %1").arg(table_.at(c, r).count()));
      cells_->setItem(int(r), int(c), item);
    }
  }
}

QString CellTableView::tableText() const {
  return toQString(cellTableText(table_, statistic_, model_ ? model_->decimalSeparator() : '.', '\t'));
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
  if (!model_) return;
  const std::span<const char> kept = kept_ ? std::span<const char>(*kept_) : std::span<const char>();
  const std::vector<int> positions =
      cellRecords(*model_, table_, chosenColumn(xSelector_), chosenColumn(ySelector_),
                  chosenColumn(zSelector_), std::size_t(column), std::size_t(row), kept);
  note_->setText(QStringLiteral("Записей в ячейке: %1 — отмечены на графике").arg(positions.size()));
  emit recordsChosen(positions);
}

}  // namespace kq
