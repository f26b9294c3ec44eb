#pragma once

#include <qcustomplot.h>

#include <QVariantAnimation>

namespace kq {

// A line chart with the interaction of a log viewer: a rectangle drawn with
// the left button zooms into it (animated), one drawn leftwards or a double
// click shows all data again, and the wheel zooms the x axis. While the user
// has not zoomed, fitToData() follows the data.
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
  // Zooms into the data rectangle under a pixel rectangle, animated.
  void zoomToPixels(const QRect& rect);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  struct Ranges {
    QCPRange x, left, right;
  };
  Ranges currentRanges() const;
  Ranges fittedRanges();
  void applyRanges(const Ranges& ranges);
  void animateTo(const Ranges& target);
  void onRectangle(const QRect& rect);

  bool zoomed_ = false;
  Ranges from_;
  Ranges to_;
  QVariantAnimation animation_;
};

}  // namespace kq
