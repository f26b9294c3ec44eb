#pragma once

#include <QObject>
#include <memory>

#include "analysis/chart_session.h"

namespace kq {

class PlotMarker;
class SeriesPlot;

// Draws a chart session on a series plot and keeps both in step: the ten
// series of every drive with their titles, switches and axes, the time axis,
// the markers, the records marked from the cell table and the zoom; a zoom
// or a drive's lines dragged on the plot go back to the session. The window
// and kq-cli chart draw through it.
class SessionPlot : public QObject {
  Q_OBJECT
 public:
  SessionPlot(ChartSession& session, SeriesPlot& plot);
  ~SessionPlot() override;

  // The line across the plot at a record of a drive, as the grid's current row; none hides it.
  void showCursor(int drive, int position);
  void hideCursor();

 signals:
  // The mouse over the plot at x (a record position, or an aligned time with drives compared).
  void hovered(double x);

 private:
  void update(ChartChanges changes);
  void drawSeries(int series);
  void showMarkers();
  void applyZoom();

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  SeriesPlot& plot_;
  std::unique_ptr<PlotMarker> markers_[2];
  std::unique_ptr<PlotMarker> cursor_;
  bool applying_ = false;  // the plot changes for the session: its zoom is not the user's
};

}  // namespace kq
