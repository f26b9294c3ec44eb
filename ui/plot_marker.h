#pragma once

#include <QPen>
#include <QString>

class QCustomPlot;
class QCPItemStraightLine;
class QCPItemText;

namespace kq {

// A vertical line across the plot at one x, with an optional label at its
// top. Created hidden; the plot owns the items.
class PlotMarker {
 public:
  PlotMarker(QCustomPlot* plot, const QPen& pen, const QString& label = {});

  void setX(double x);
  void hide();
  bool isSet() const { return set_; }
  double x() const { return x_; }

 private:
  QCPItemStraightLine* line_;
  QCPItemText* label_ = nullptr;
  bool set_ = false;
  double x_ = 0;
};

}  // namespace kq
