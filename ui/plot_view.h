#pragma once

#include <qcustomplot.h>

#include <QVariantAnimation>

namespace kq {

// A line chart with the interaction of a log viewer: a rectangle drawn with
// the left button zooms the x axis into it and fits both value axes to the
// data there (animated); one drawn leftwards or a double click shows all data
// again. The wheel over the plot zooms the x axis, over an axis that axis
// alone; dragging an axis pans it. While the user has not zoomed,
// fitToData() follows the data.
class PlotView : public QCustomPlot {
  Q_OBJECT
 public:
  explicit PlotView(QWidget* parent = nullptr);

  // Fits the axes to the visible series unless the user has zoomed in.
  void fitToData();
  // Fits the axes to the visible series with an animation and ends the zoom.
  void showAll();
  // Ends the zoom at once; the next fitToData() fits all data.
  void resetZoom();
  bool isZoomed() const { return zoomed_; }
  // Zooms the x axis into a pixel rectangle, animated, the value axes fitted.
  void zoomToPixels(const QRect& rect);
  // Shows x from first to last at once, the value axes fitted, as a zoom.
  void showKeys(double first, double last);
  // A plot of points rather than lines: the x axis leaves a margin around the
  // data as the value axes do, and a rectangle zooms both axes to itself.
  void setShowsPoints(bool points) { showsPoints_ = points; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  struct Ranges {
    QCPRange x, left, right;
  };
  Ranges currentRanges() const;
  Ranges fittedRanges(const QCPRange* keys = nullptr);
  void applyRanges(const Ranges& ranges);
  void animateTo(const Ranges& target);
  void onRectangle(const QRect& rect);
  QCPAxis* axisAt(const QPointF& pos) const;

  bool zoomed_ = false;
  bool showsPoints_ = false;
  Ranges from_;
  Ranges to_;
  QVariantAnimation animation_;
  // An axis being dragged: where the drag began and the range then.
  QCPAxis* draggedAxis_ = nullptr;
  QPointF dragStart_;
  QCPRange dragStartRange_;
};

}  // namespace kq
