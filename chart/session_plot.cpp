#include "chart/session_plot.h"

#include <qcustomplot.h>

#include <algorithm>

#include "chart/series_plot.h"
#include "ui/plot_marker.h"

namespace kq {

SessionPlot::SessionPlot(ChartSession& session, SeriesPlot& plot)
    : QObject(&plot), session_(session), plot_(plot) {
  markers_[0] = std::make_unique<PlotMarker>(&plot, QPen(Qt::black, 1), QStringLiteral("1"));
  markers_[1] = std::make_unique<PlotMarker>(&plot, QPen(Qt::black, 1, Qt::DashLine), QStringLiteral("2"));
  cursor_ = std::make_unique<PlotMarker>(&plot, QPen(QColor(96, 96, 96), 1, Qt::DotLine));
  plot.setModel(&session.model());

  connect(&plot, &SeriesPlot::driveDragged, this, [this](int drive, double seconds) {
    const double resolution = plot_.xAxis->range().size() / std::max(1, plot_.axisRect()->width());
    session_.setOffset(drive, draggedOffset(session_.comparison().offset(drive), seconds, resolution));
  });
  connect(plot.xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
          [this](const QCPRange& range) {
            if (applying_) return;
            session_.setZoom(plot_.isZoomed() ? std::optional(std::pair(range.lower, range.upper))
                                              : std::nullopt);
          });
  connect(&plot, &QCustomPlot::mouseMove, this,
          [this](QMouseEvent* event) { emit hovered(plot_.xAxis->pixelToCoord(event->position().x())); });
  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
  update(ChartChanges::all());
}

// The plot owns the marker items.
SessionPlot::~SessionPlot() = default;

void SessionPlot::update(ChartChanges changes) {
  applying_ = true;
  const bool redrawAll =
      changes.hasAny(ChartChange::model | ChartChange::drives | ChartChange::filter | ChartChange::offsets);
  if (changes.has(ChartChange::model)) {
    plot_.setModel(&session_.model());
    cursor_->hide();
  }
  if (changes.has(ChartChange::drives)) plot_.setDriveCount(session_.driveCount());
  if (changes.has(ChartChange::timeAxis)) plot_.setTimeAxis(session_.timeAxis());
  if (!session_.zoom() && plot_.isZoomed() && changes.has(ChartChange::zoom)) plot_.resetZoom();
  bool redrawn = false;
  for (int i = 0; i < kSeriesCount; ++i)
    if (redrawAll || changes.touchesSeries(i)) {
      drawSeries(i);
      redrawn = true;
    }
  if (redrawn || changes.has(ChartChange::marked))
    plot_.markRecords(session_.markedRecords(), session_.markedDrive());
  if (changes.has(ChartChange::markers)) showMarkers();
  if (redrawn) plot_.refresh();
  if (changes.has(ChartChange::zoom)) applyZoom();
  if (changes.hasAny(ChartChange::timeAxis | ChartChange::markers)) plot_.replot(QCustomPlot::rpQueuedReplot);
  applying_ = false;
}

void SessionPlot::drawSeries(int i) {
  const PlottedSeries& plotted = session_.plotted(i);
  const DumpModel& a = session_.model();
  std::vector<double> values;
  if (plotted.filled) values = plotValues(a, plotted.column, session_.kept(0));
  if (session_.driveCount() < 2) {
    plot_.setSeriesPoints(i, values);
  } else {
    plot_.setSeriesPoints(i, values, values.empty() ? std::vector<double>() : session_.alignedTimes(0));
    for (int d = 1; d < session_.driveCount(); ++d) {
      const std::optional<int> own = values.empty() ? std::nullopt : session_.seriesColumn(i, d);
      if (own)
        plot_.setDrivePoints(i, d, session_.alignedTimes(d),
                             plotValues(session_.driveModel(d), *own, session_.kept(d)));
      else
        plot_.setDrivePoints(i, d, {}, {});
    }
  }
  const SeriesChoice& choice = session_.series(i);
  plot_.setSeriesTitle(i, QString::fromStdString(plotted.title));
  plot_.setSeriesShown(i, choice.shown);
  plot_.setOnRightAxis(i, choice.rightAxis);
}

void SessionPlot::showMarkers() {
  for (int m = 0; m < 2; ++m) {
    if (const auto x = session_.marker(m))
      markers_[m]->setX(*x);
    else
      markers_[m]->hide();
  }
}

void SessionPlot::applyZoom() {
  const auto& zoom = session_.zoom();
  if (!zoom) return;
  const QCPRange shown = plot_.xAxis->range();
  if (!plot_.isZoomed() || shown.lower != zoom->first || shown.upper != zoom->second)
    plot_.showKeys(zoom->first, zoom->second);
}

void SessionPlot::showCursor(int drive, int position) {
  if (drive >= session_.driveCount()) return;
  if (session_.driveCount() < 2)
    cursor_->setX(position);
  else if (position < int(session_.alignedTimes(drive).size()))
    cursor_->setX(session_.alignedTimes(drive)[position]);
  plot_.replot(QCustomPlot::rpQueuedReplot);
}

void SessionPlot::hideCursor() {
  cursor_->hide();
  plot_.replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace kq
