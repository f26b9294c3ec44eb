#include "ui/plot_view.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kq {
namespace {
constexpr int kAnimationMs = 200;
// A drag shorter than this is a click, not a rectangle.
constexpr int kMinimumRectangle = 4;
// The value axes (and the x axis of points) leave 2 % of the plot free on
// either side of the data.
constexpr double kValueMargin = 0.02 / 0.96;
// One wheel notch scales an axis by this, as QCustomPlot's own zoom does.
constexpr double kWheelZoomFactor = 0.85;

QCPRange interpolate(const QCPRange& a, const QCPRange& b, double t) {
  return QCPRange(a.lower + (b.lower - a.lower) * t, a.upper + (b.upper - a.upper) * t);
}

// The range of the visible series on a value axis, within keys when given.
std::optional<QCPRange> valueRange(QCustomPlot* plot, QCPAxis* valueAxis, const QCPRange* keys) {
  std::optional<QCPRange> range;
  for (int i = 0; i < plot->graphCount(); ++i) {
    QCPGraph* graph = plot->graph(i);
    if (!graph->visible() || graph->valueAxis() != valueAxis) continue;
    bool found = false;
    QCPRange values = graph->getValueRange(found, QCP::sdBoth, keys ? *keys : QCPRange());
    if (!found) continue;
    range =
        range ? QCPRange(std::min(range->lower, values.lower), std::max(range->upper, values.upper)) : values;
  }
  return range;
}

std::optional<QCPRange> keyRange(QCustomPlot* plot) {
  std::optional<QCPRange> range;
  for (int i = 0; i < plot->graphCount(); ++i) {
    QCPGraph* graph = plot->graph(i);
    if (!graph->visible()) continue;
    bool found = false;
    QCPRange keys = graph->getKeyRange(found);
    if (!found) continue;
    range = range ? QCPRange(std::min(range->lower, keys.lower), std::max(range->upper, keys.upper)) : keys;
  }
  return range;
}

// Data range plus the margin; a single value gets a range around it.
QCPRange withMargin(QCPRange range) {
  if (range.size() == 0) range = QCPRange(range.lower - 1, range.upper + 1);
  double margin = range.size() * kValueMargin;
  return QCPRange(range.lower - margin, range.upper + margin);
}
}  // namespace

PlotView::PlotView(QWidget* parent) : QCustomPlot(parent) {
  setSelectionRectMode(QCP::srmCustom);
  connect(selectionRect(), &QCPSelectionRect::accepted, this,
          [this](const QRect& rect) { onRectangle(rect); });
  setMouseTracking(true);

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

PlotView::Ranges PlotView::fittedRanges(const QCPRange* keys) {
  Ranges fitted = currentRanges();
  if (keys) {
    fitted.x = *keys;
  } else if (auto all = keyRange(this)) {
    fitted.x = showsPoints_      ? withMargin(*all)
               : all->size() > 0 ? *all
                                 : QCPRange(all->lower - 1, all->upper + 1);
  }
  auto left = valueRange(this, yAxis, keys);
  auto right = valueRange(this, yAxis2, keys);
  if (left) fitted.left = withMargin(*left);
  if (right) fitted.right = withMargin(*right);
  // An axis without a series mirrors the other, so its labels mean something.
  if (!right) fitted.right = fitted.left;
  if (!left && right) fitted.left = fitted.right;
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
  QCPRange keys(xAxis->pixelToCoord(r.left()), xAxis->pixelToCoord(r.right()));  // normalised by QCPRange
  zoomed_ = true;
  if (!showsPoints_) {
    animateTo(fittedRanges(&keys));
    return;
  }
  auto values = [&r](QCPAxis* axis) {
    return QCPRange(axis->pixelToCoord(r.bottom()), axis->pixelToCoord(r.top()));
  };
  animateTo({keys, values(yAxis), values(yAxis2)});
}

void PlotView::showKeys(double first, double last) {
  QCPRange keys(first, last);
  animation_.stop();
  zoomed_ = true;
  applyRanges(fittedRanges(&keys));
}

void PlotView::onRectangle(const QRect& rect) {
  if (std::abs(rect.width()) < kMinimumRectangle && std::abs(rect.height()) < kMinimumRectangle) return;
  if (rect.width() < 0)
    showAll();
  else
    zoomToPixels(rect);
}

QCPAxis* PlotView::axisAt(const QPointF& pos) const {
  for (QCPAxis* axis : {xAxis, yAxis, yAxis2}) {
    if (axis->visible() && axis->getPartAt(pos) != QCPAxis::spNone) return axis;
  }
  return nullptr;
}

void PlotView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if (QCPAxis* axis = axisAt(event->position())) {
      animation_.stop();
      draggedAxis_ = axis;
      dragStart_ = event->position();
      dragStartRange_ = axis->range();
      return;
    }
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

void PlotView::mouseMoveEvent(QMouseEvent* event) {
  if (draggedAxis_) {
    const bool horizontal = draggedAxis_->orientation() == Qt::Horizontal;
    draggedAxis_->setRange(dragStartRange_);
    double from = horizontal ? dragStart_.x() : dragStart_.y();
    double to = horizontal ? event->position().x() : event->position().y();
    draggedAxis_->moveRange(draggedAxis_->pixelToCoord(from) - draggedAxis_->pixelToCoord(to));
    zoomed_ = true;
    replot(QCustomPlot::rpQueuedReplot);
  } else if (event->buttons() == Qt::NoButton) {
    QCPAxis* axis = axisAt(event->position());
    if (!axis)
      unsetCursor();
    else
      setCursor(axis->orientation() == Qt::Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
  }
  QCustomPlot::mouseMoveEvent(event);
}

void PlotView::mouseReleaseEvent(QMouseEvent* event) {
  if (draggedAxis_ && event->button() == Qt::LeftButton) {
    draggedAxis_ = nullptr;
    return;
  }
  QCustomPlot::mouseReleaseEvent(event);
}

void PlotView::wheelEvent(QWheelEvent* event) {
  animation_.stop();
  zoomed_ = true;
  QCPAxis* axis = axisAt(event->position());
  if (!axis) axis = xAxis;
  const bool horizontal = axis->orientation() == Qt::Horizontal;
  const double steps = event->angleDelta().y() / 120.0;
  const double centre = axis->pixelToCoord(horizontal ? event->position().x() : event->position().y());
  axis->scaleRange(std::pow(kWheelZoomFactor, steps), centre);
  replot(QCustomPlot::rpQueuedReplot);
  event->accept();
}

void PlotView::mouseDoubleClickEvent(QMouseEvent* event) {
  QCustomPlot::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) showAll();
}

}  // namespace kq
