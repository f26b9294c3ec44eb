#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

#include "library/car_history.h"

class QListWidget;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace kq {

class TextTable;

// The trips of a car's history in a table that sorts by the column clicked:
// number, start, end, duration, records, and for each parameter ticked in the
// list beside it the minimum, maximum and mean over the trip. A double click
// opens a trip in the chart; "Открыть на графике" opens the trips selected,
// two to four of them compared.
//
// Object names: trips, tripParameters, openTripsButton.
class TripsView : public QWidget {
  Q_OBJECT
 public:
  explicit TripsView(QWidget* parent = nullptr);

  // The trips alone, while their history is built: no statistics yet, and
  // nothing to open.
  void showTrips(std::vector<Trip> trips);
  // Nothing shows none. The parameters ticked stay ticked where the new
  // history has their titles.
  void setHistory(std::shared_ptr<const CarHistory> history);
  // The trips selected, by number, top to bottom as the table shows them.
  std::vector<int> selectedTrips() const;

 signals:
  // Trip numbers; the first becomes drive A.
  void openRequested(const std::vector<int>& trips);

 private:
  void showParameters();
  void fill();
  void selectionChanged();

  std::shared_ptr<const CarHistory> history_;
  std::vector<Trip> trips_;  // the history's, or those shown before it
  QStringList chosen_;       // titles ticked

  TextTable* table_;
  QSortFilterProxyModel* sorted_;
  QTableView* view_;
  QListWidget* parameters_;
  QPushButton* open_;
};

}  // namespace kq
