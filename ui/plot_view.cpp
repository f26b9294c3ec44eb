#include "ui/plot_view.h"

#include <algorithm>

namespace kq {
namespace {
constexpr int kAnimationMs = 200;
// A drag shorter than this is a click, not a rectangle.
constexpr int kMinimumRectangle = 4;
// The value axes leave 2 % of the plot height free above and below the data.
constexpr double kValueMargin = 0.02 / 0.96;

QCPRange interpolate(const QCPRange& a, const QCPRange& b, double t) {
  return QCPRange(a.lower + (b.lower - a.lower) * t, a.upper + (b.upper - a.upper) * t);
}

bool hasVisibleGraph(QCustomPlot* plot, QCPAxis* valueAxis) {
  for (int i = 0; i < plot->graphCount(); ++i) {
    QCPGraph* graph = plot->graph(i);
    if (graph->visible() && graph->valueAxis() == valueAxis && !graph->data()->isEmpty()) return true;
  }
  return false;
}

QCPRange withMargin(const QCPRange& range) {
  double margin = range.size() * kValueMargin;
  return QCPRange(range.lower - margin, range.upper + margin);
}
}  // namespace

PlotView::PlotView(QWidget* parent) : QCustomPlot(parent) {
  setSelectionRectMode(QCP::srmCustom);
  connect(selectionRect(), &QCPSelectionRect::accepted, this,
          [this](const QRect& rect) { onRectangle(rect); });
  setInteraction(QCP::iRangeZoom, true);
  axisRect()->setRangeZoom(Qt::Horizontal);
  axisRect()->setRangeZoomAxes(xAxis, nullptr);

  animation_.setDuration(kAnimationMs);
  animation_.setStartValue(0.0);
  animation_.setEndValue(1.0);
  animation_.setEasingCurve(QEasingCurve::OutCubic);
  connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    double t = value.toDouble();
    applyRanges({interpolate(from_.x, to_.x, t), interpolate(from_.left, to_.left, t),
                 interpolate(from_.right, to_.right, t)});
    replot(QCustomPlot::rpQueuedReplot);
  });
}

PlotView::Ranges PlotView::currentRanges() const { return {xAxis->range(), yAxis->range(), yAxis2->range()}; }

void PlotView::applyRanges(const Ranges& ranges) {
  xAxis->setRange(ranges.x);
  yAxis->setRange(ranges.left);
  yAxis2->setRange(ranges.right);
}

PlotView::Ranges PlotView::fittedRanges() {
  Ranges saved = currentRanges();
  bool left = hasVisibleGraph(this, yAxis);
  bool right = hasVisibleGraph(this, yAxis2);
  if (left || right) xAxis->rescale(true);
  if (left) yAxis->rescale(true);
  if (right) yAxis2->rescale(true);
  Ranges fitted = currentRanges();
  if (left) fitted.left = withMargin(fitted.left);
  if (right) fitted.right = withMargin(fitted.right);
  // An axis without a series mirrors the other, so its labels mean something.
  if (!right) fitted.right = fitted.left;
  if (!left && right) fitted.left = fitted.right;
  applyRanges(saved);
  return fitted;
}

void PlotView::fitToData() {
  if (zoomed_) return;
  animation_.stop();
  applyRanges(fittedRanges());
}

void PlotView::showAll() {
  zoomed_ = false;
  animateTo(fittedRanges());
}

void PlotView::resetZoom() {
  animation_.stop();
  zoomed_ = false;
}

void PlotView::animateTo(const Ranges& target) {
  animation_.stop();
  from_ = currentRanges();
  to_ = target;
  animation_.start();
}

void PlotView::zoomToPixels(const QRect& rect) {
  QRect r = rect.normalized();
  auto range = [](QCPAxis* axis, int a, int b) {
    return QCPRange(axis->pixelToCoord(a), axis->pixelToCoord(b));  // QCPRange normalises lower/upper
  };
  zoomed_ = true;
  animateTo({range(xAxis, r.left(), r.right()), range(yAxis, r.bottom(), r.top()),
             range(yAxis2, r.bottom(), r.top())});
}

void PlotView::onRectangle(const QRect& rect) {
  if (std::abs(rect.width()) < kMinimumRectangle && std::abs(rect.height()) < kMinimumRectangle) return;
  if (rect.width() < 0)
    showAll();
  else
    zoomToPixels(rect);
}

void PlotView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    QCustomPlot::mousePressEvent(event);
    return;
  }
  // QCustomPlot starts its rectangle on any button; a right click opens the
  // pop-up menu, which takes the release, and the rectangle would then follow
  // the mouse until the next drag.
  const QCP::SelectionRectMode mode = selectionRectMode();
  setSelectionRectMode(QCP::srmNone);
  QCustomPlot::mousePressEvent(event);
  setSelectionRectMode(mode);
}

void PlotView::wheelEvent(QWheelEvent* event) {
  animation_.stop();
  zoomed_ = true;
  QCustomPlot::wheelEvent(event);
}

void PlotView::mouseDoubleClickEvent(QMouseEvent* event) {
  QCustomPlot::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) showAll();
}

}  // namespace kq
