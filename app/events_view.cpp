#include "app/events_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "analysis/expression.h"
#include "app/background_work.h"
#include "app/library_text.h"
#include "app/text_table.h"
#include "chart/formula_edit.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kFieldWidth = 420;
constexpr int kLongestEvent = 7 * 24 * 3600;
}  // namespace

EventsView::EventsView(QWidget* parent)
    : QWidget(parent),
      field_(new FormulaEdit),
      minSeconds_(new QSpinBox),
      find_(new QPushButton(tr("Найти"))),
      error_(new QLabel),
      count_(new QLabel),
      table_(new TextTable(this)),
      sorted_(new QSortFilterProxyModel(this)),
      view_(new QTableView),
      work_(new BackgroundWork(this)) {
  field_->setObjectName(QStringLiteral("eventExpression"));
  field_->setClearButtonEnabled(true);
  field_->setMinimumWidth(kFieldWidth);
  field_->setPlaceholderText(tr("например: [Температура охлаждающей жидкости] > 105 — Enter ищет"));
  auto* label = new QLabel(tr("Событие"));
  label->setBuddy(field_);
  minSeconds_->setObjectName(QStringLiteral("eventMinSeconds"));
  minSeconds_->setRange(0, kLongestEvent);
  minSeconds_->setSuffix(tr(" с"));
  minSeconds_->setKeyboardTracking(false);
  minSeconds_->setToolTip(tr("Только события не короче стольких секунд (от первой записи до последней)"));
  auto* minLabel = new QLabel(tr("не короче"));
  minLabel->setBuddy(minSeconds_);
  find_->setObjectName(QStringLiteral("findEventsButton"));
  error_->setObjectName(QStringLiteral("eventError"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  count_->setObjectName(QStringLiteral("eventCount"));

  sorted_->setSourceModel(table_);
  sorted_->setSortRole(TextTable::kSortRole);
  view_->setObjectName(QStringLiteral("events"));
  view_->setModel(sorted_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(1, Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().lineSpacing() + 6);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->setWordWrap(false);
  view_->setToolTip(
      tr("Двойной щелчок открывает поездку на графике, точки 1 и 2 — в начале и в конце события"));

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(field_, 1);
  row->addWidget(minLabel);
  row->addWidget(minSeconds_);
  row->addWidget(find_);
  auto* notes = new QHBoxLayout;
  notes->addWidget(count_);
  notes->addWidget(error_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(row);
  layout->addLayout(notes);
  layout->addWidget(view_, 1);
  showEvents({});

  connect(field_, &QLineEdit::returnPressed, this, [this] { search(field_->text()); });
  connect(find_, &QPushButton::clicked, this, [this] { search(field_->text()); });
  connect(minSeconds_, &QSpinBox::valueChanged, this, [this] {
    if (!searched_.isEmpty()) search(searched_);
  });
  connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    emit openRequested(events_[std::size_t(table_->item(sorted_->mapToSource(index).row()))]);
  });
}

// The search under way ends before the view does.
EventsView::~EventsView() { delete work_; }

void EventsView::setHistory(std::shared_ptr<const CarHistory> history) {
  history_ = std::move(history);
  QStringList titles;
  if (history_)
    for (const std::string& title : history_->model().titles()) titles << toQString(title);
  field_->setTitles(titles);
  // The events of the history before are none of this one's.
  work_->cancel();
  error_->clear();
  showEvents({});
  if (history_ && !searched_.isEmpty()) search(searched_);
}

bool EventsView::searching() const { return !work_->idle(); }

void EventsView::search(const QString& typed) {
  const QString text = typed.trimmed();
  error_->clear();
  if (!history_) return;
  if (text.isEmpty()) {
    work_->cancel();
    searched_.clear();
    showEvents({});
    return;
  }
  count_->setText(tr("Поиск…"));
  const Moment minSeconds = minSeconds_->value();
  work_->start(
      [this, history = history_, expression = text.toStdString(), minSeconds,
       text](const BackgroundWork::Progress&) -> BackgroundWork::Delivery {
        std::vector<HistoryEvent> events = findEvents(*history, expression, minSeconds);
        return [this, text, events = std::move(events)]() mutable {
          searched_ = text;
          showEvents(std::move(events));
        };
      },
      [this](std::exception_ptr failure) {
        try {
          std::rethrow_exception(failure);
        } catch (const std::exception& error) {
          // As the chart's filter: the mistake beside the field, the list as it was.
          error_->setText(toQString(error.what()));
          showCount();
        }
      });
}

void EventsView::showEvents(std::vector<HistoryEvent> events) {
  events_ = std::move(events);
  std::vector<TextTable::Row> rows;
  rows.reserve(events_.size());
  for (std::size_t i = 0; i < events_.size(); ++i) {
    const HistoryEvent& event = events_[i];
    rows.push_back({int(i),
                    {{QString::number(event.trip), event.trip},
                     {momentString(event.start), qlonglong(event.start)},
                     {endString(event.start, event.end), qlonglong(event.end)},
                     {durationString(event.end - event.start), qlonglong(event.end - event.start)},
                     {groupedNumber(event.records()), event.records()}}});
  }
  table_->reset({tr("Поездка"), tr("Начало"), tr("Конец"), tr("Длительность"), tr("Записей")},
                std::move(rows));
  showCount();
}

void EventsView::showCount() {
  count_->setText(searched_.isEmpty() || !history_
                      ? QString()
                      : tr("Событий: %1").arg(groupedNumber(qint64(events_.size()))));
}

}  // namespace kq
