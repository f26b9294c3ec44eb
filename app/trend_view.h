#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "library/car_history.h"

class QComboBox;
class QLabel;
class QPointF;

namespace kq {

class PlotView;

// The trend of a car: one statistic (minimum, maximum, mean) of one parameter
// per trip, a point at each trip's start on a date axis, joined where the
// trips have a value. Hovering a point names its trip, beneath the plot and
// in its tooltip. The plot zooms as the chart does.
//
// Object names: trendParameter, trendStatistic, trendPlot, trendReadout.
class TrendView : public QWidget {
  Q_OBJECT
 public:
  explicit TrendView(QWidget* parent = nullptr);

  // Nothing shows none. The parameter chosen stays where the new history has its title.
  void setHistory(std::shared_ptr<const CarHistory> history);

 private:
  struct Point {
    double x, y;
    int trip;
    long double value;  // as the statistic gives it
  };
  void draw();
  // Names the trip whose point lies nearest a pixel of the plot, if one lies close.
  void showTripAt(const QPointF& pixel);

  std::shared_ptr<const CarHistory> history_;
  std::vector<Point> points_;
  const Point* hovered_ = nullptr;

  QComboBox* parameter_;
  QComboBox* statistic_;
  PlotView* plot_;
  QLabel* readout_;
};

}  // namespace kq
