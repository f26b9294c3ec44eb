#pragma once

#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "analysis/chart_session.h"

class QComboBox;
class QLabel;
class QMenu;

namespace kq {

class PlotView;

// The "Зависимость" tab of the chart window: one parameter against another,
// every record a point (or the records between the two markers), the axes
// titled with the parameters. Hovering a point names its record: position,
// date and time, and both values as the grid shows them. With drives
// compared each drive has its own marks and colour, named in the legend
// ("Запись B"); a drive lacking a parameter is said beside the selectors.
// With both markers set only the records between them are shown, in every
// drive by its aligned time.
//
// Object names: scatterX, scatterY (the selectors), scatterRecords, scatterPlot,
// scatterReadout.
class ScatterView : public QWidget {
  Q_OBJECT
 public:
  explicit ScatterView(ChartSession& session, QWidget* parent = nullptr);

  // Redraws from the session: after a selector change, new data, records or filter.
  void rebuild();
  // Names the record nearest to a pixel of the plot, if one lies close.
  void showRecordAt(const QPointF& pixel);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Point {
    double x, y;
    int drive, position;
  };
  void update(ChartChanges changes);
  // New titles: the choices stay where the titles have them, the axes show all.
  void showTitles();
  // The column a selector names in a drive, -1 for none.
  int columnOf(const QComboBox* selector, int drive) const;
  // The records of a drive between the markers, or none when a marker is missing.
  std::optional<std::vector<char>> betweenMarkers(int drive) const;

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  std::vector<Point> points_;
  const Point* hovered_ = nullptr;  // the point the ring marks
  bool stale_ = false;

  QComboBox* xSelector_;
  QComboBox* ySelector_;
  PlotView* plot_;
  QLabel* readout_;
  QLabel* recordsNote_;
  QMenu* menu_;
};

}  // namespace kq
