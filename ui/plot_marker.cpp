#include "ui/plot_marker.h"

#include <qcustomplot.h>

namespace kq {

PlotMarker::PlotMarker(QCustomPlot* plot, const QPen& pen, const QString& label)
    : line_(new QCPItemStraightLine(plot)) {
  line_->setPen(pen);
  line_->setSelectable(false);
  line_->setVisible(false);
  if (!label.isEmpty()) {
    label_ = new QCPItemText(plot);
    label_->setText(label);
    label_->setColor(pen.color());
    label_->setPen(pen);
    label_->setBrush(Qt::white);
    label_->setPadding(QMargins(3, 1, 3, 1));
    label_->setSelectable(false);
    label_->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // x in data, y as a fraction of the plot height: the label stays at the top.
    label_->position->setTypeX(QCPItemPosition::ptPlotCoords);
    label_->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label_->setVisible(false);
  }
}

void PlotMarker::setX(double x) {
  x_ = x;
  set_ = true;
  line_->point1->setCoords(x, 0);
  line_->point2->setCoords(x, 1);
  line_->setVisible(true);
  if (label_) {
    label_->position->setCoords(x, 0);
    label_->setVisible(true);
  }
}

void PlotMarker::hide() {
  set_ = false;
  line_->setVisible(false);
  if (label_) label_->setVisible(false);
}

}  // namespace kq
