#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "library/car_history.h"

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace kq {

class BackgroundWork;
class FormulaEdit;
class TextTable;

// Where an expression of the chart's language holds in a car's history: each
// run of records of one trip where it is not 0, lasting at least the seconds
// chosen, listed with its trip, start, end, duration and records. Enter or
// "Найти" searches, away from the window's thread; a mistake is said beside
// the field as the chart's filter says it, and the list stays as it was. A
// double click opens the event's trip with the markers at its first and last
// record, the parameters the expression names charted first.
//
// Object names: eventExpression, eventMinSeconds, findEventsButton,
// eventError, eventCount, events.
class EventsView : public QWidget {
  Q_OBJECT
 public:
  explicit EventsView(QWidget* parent = nullptr);
  ~EventsView() override;

  // Searches the new history for the expression last searched; nothing shows none.
  void setHistory(std::shared_ptr<const CarHistory> history);
  bool searching() const;
  // The expression whose events are listed.
  const QString& searched() const { return searched_; }

 signals:
  void openRequested(const HistoryEvent& event);

 private:
  void search(const QString& expression);
  void showEvents(std::vector<HistoryEvent> events);
  void showCount();

  std::shared_ptr<const CarHistory> history_;
  std::vector<HistoryEvent> events_;
  QString searched_;  // the expression whose events are shown

  FormulaEdit* field_;
  QSpinBox* minSeconds_;
  QPushButton* find_;
  QLabel* error_;
  QLabel* count_;
  TextTable* table_;
  QSortFilterProxyModel* sorted_;
  QTableView* view_;
  BackgroundWork* work_;
};

}  // namespace kq
