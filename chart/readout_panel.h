#pragma once

#include <QWidget>
#include <array>

#include "analysis/chart_session.h"

class QLabel;

namespace kq {

// The readouts beneath the chart: the hover line (the record under the mouse
// and each visible series' value there) and, once a marker is set, the
// markers' table (values, difference, distance, time, and between both
// markers "Минимум", "Максимум", "Среднее"; per drive with drives compared).
// Object names: positionReadout, markerReadout.
class ReadoutPanel : public QWidget {
  Q_OBJECT
 public:
  explicit ReadoutPanel(ChartSession& session, QWidget* parent = nullptr);

  // The mouse over the chart at x.
  void showPosition(double x);

 private:
  void update(ChartChanges changes);
  void showMarkers();
  std::array<QString, kSeriesCount> titles() const;

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  QLabel* position_;
  QLabel* markers_;
};

}  // namespace kq
