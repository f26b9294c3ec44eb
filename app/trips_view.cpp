#include "app/trips_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "analysis/chart_limits.h"
#include "app/library_text.h"
#include "app/text_table.h"
#include "decode/number_text.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kParameterListWidth = 180;
// A statistic's column: room for its number; its title is cut to fit.
constexpr int kStatisticWidth = 76;
constexpr int kFixedColumns = 5;

QString numberString(long double value, char separator) {
  std::string text;
  appendNumber(text, value, separator);
  return toQString(text);
}
}  // namespace

TripsView::TripsView(QWidget* parent)
    : QWidget(parent),
      table_(new TextTable(this)),
      sorted_(new QSortFilterProxyModel(this)),
      view_(new QTableView),
      parameters_(new QListWidget),
      open_(new QPushButton(tr("Открыть на графике"))) {
  sorted_->setSourceModel(table_);
  sorted_->setSortRole(TextTable::kSortRole);
  view_->setObjectName(QStringLiteral("trips"));
  view_->setModel(sorted_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(0, Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().lineSpacing() + 6);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->setWordWrap(false);
  parameters_->setObjectName(QStringLiteral("tripParameters"));
  parameters_->setFixedWidth(kParameterListWidth);
  parameters_->setToolTip(tr("Отмеченные параметры: минимум, максимум и среднее за каждую поездку"));
  open_->setObjectName(QStringLiteral("openTripsButton"));
  open_->setToolTip(
      tr("Одна поездка открывается на графике, две — четыре сравниваются, выровненные по началу; "
         "двойной щелчок открывает одну"));
  open_->setEnabled(false);

  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel(tr("Статистика параметров:")));
  side->addWidget(parameters_, 1);
  auto* main = new QVBoxLayout;
  main->addWidget(view_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(open_);
  buttons->addStretch(1);
  main->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(main, 1);
  layout->addLayout(side);

  connect(parameters_, &QListWidget::itemChanged, this, [this] {
    chosen_.clear();
    for (int i = 0; i < parameters_->count(); ++i)
      if (parameters_->item(i)->checkState() == Qt::Checked) chosen_ << parameters_->item(i)->text();
    fill();
  });
  connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (history_) emit openRequested({table_->item(sorted_->mapToSource(index).row())});
  });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TripsView::selectionChanged);
  connect(open_, &QPushButton::clicked, this, [this] { emit openRequested(selectedTrips()); });
}

void TripsView::showTrips(std::vector<Trip> trips) {
  history_.reset();
  trips_ = std::move(trips);
  showParameters();
  fill();
}

void TripsView::setHistory(std::shared_ptr<const CarHistory> history) {
  history_ = std::move(history);
  trips_ = history_ ? history_->trips() : std::vector<Trip>();
  showParameters();
  fill();
}

void TripsView::showParameters() {
  const QSignalBlocker blocker(parameters_);
  parameters_->clear();
  if (!history_) return;
  for (const std::string& title : history_->model().titles()) {
    auto* item = new QListWidgetItem(toQString(title), parameters_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(chosen_.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
  }
}

void TripsView::fill() {
  QStringList headers{tr("№"), tr("Начало"), tr("Конец"), tr("Длительность"), tr("Записей")};
  QStringList tips = headers;
  std::vector<int> columns;
  if (history_) {
    const QFontMetrics metrics(view_->horizontalHeader()->font());
    for (const QString& title : chosen_)
      if (const std::optional<int> column = history_->model().columnOf(title.toStdString())) {
        columns.push_back(*column);
        // The title above the statistic, cut to the column's width; the tooltip has it whole.
        const QString cut =
            metrics.elidedText(title, Qt::ElideRight, kStatisticWidth - metrics.averageCharWidth());
        headers << tr("%1\nмин").arg(cut) << tr("%1\nмакс").arg(cut) << tr("%1\nсред").arg(cut);
        tips << tr("%1: минимум за поездку").arg(title) << tr("%1: максимум за поездку").arg(title)
             << tr("%1: среднее за поездку").arg(title);
      }
  }
  std::vector<TextTable::Row> rows;
  rows.reserve(trips_.size());
  for (const Trip& trip : trips_) {
    TextTable::Row row{trip.number,
                       {{QString::number(trip.number), trip.number},
                        {momentString(trip.start), qlonglong(trip.start)},
                        {endString(trip.start, trip.end), qlonglong(trip.end)},
                        {durationString(trip.end - trip.start), qlonglong(trip.end - trip.start)},
                        {groupedNumber(trip.records()), trip.records()}}};
    for (const int column : columns) {
      const std::optional<ColumnStatistics> statistics = tripStatistics(*history_, trip, column);
      if (!statistics) {
        // A trip without a value of it sorts first.
        for (int i = 0; i < 3; ++i) row.cells.push_back({QString(), std::numeric_limits<double>::lowest()});
        continue;
      }
      const char separator = history_->model().decimalSeparator();
      for (const long double value : {statistics->minimum, statistics->maximum, statistics->mean})
        row.cells.push_back({numberString(value, separator), double(value)});
    }
    rows.push_back(std::move(row));
  }
  // The trips selected stay selected, also when a parameter is ticked.
  const std::vector<int> selected = selectedTrips();
  table_->reset(headers, std::move(rows), tips);
  for (int column = kFixedColumns; column < table_->columnCount(); ++column) {
    view_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
    view_->horizontalHeader()->resizeSection(column, kStatisticWidth);
  }
  QItemSelection kept;
  for (int row = 0; row < sorted_->rowCount(); ++row)
    if (std::find(selected.begin(), selected.end(),
                  table_->item(sorted_->mapToSource(sorted_->index(row, 0)).row())) != selected.end())
      kept.select(sorted_->index(row, 0), sorted_->index(row, sorted_->columnCount() - 1));
  view_->selectionModel()->select(kept, QItemSelectionModel::ClearAndSelect);
  selectionChanged();
}

std::vector<int> TripsView::selectedTrips() const {
  QModelIndexList chosen = view_->selectionModel()->selectedRows();
  std::sort(chosen.begin(), chosen.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<int> trips;
  for (const QModelIndex& index : chosen) trips.push_back(table_->item(sorted_->mapToSource(index).row()));
  return trips;
}

void TripsView::selectionChanged() {
  const std::size_t selected = std::size_t(view_->selectionModel()->selectedRows().size());
  open_->setEnabled(history_ && selected >= 1 && selected <= std::size_t(kMaxDrives));
}

}  // namespace kq
