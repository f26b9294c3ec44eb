#pragma once

#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "analysis/dump_model.h"
#include "chart/drive_source.h"

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
//
// Object names: scatterX, scatterY (the selectors), scatterRecords, scatterPlot,
// scatterReadout.
class ScatterView : public QWidget {
  Q_OBJECT
 public:
  explicit ScatterView(QWidget* parent = nullptr);

  // New drives and drive A's titles, all records the filter keeps shown. The
  // choices stay where the new titles have them; the selectors' lists are at
  // least listWidth pixels wide.
  void setData(std::vector<DriveSource> drives, const QStringList& titles, int listWidth);
  // Drives added or gone, the titles as they were; the same drives change nothing.
  void setDrives(std::vector<DriveSource> drives);
  // Drive A's records at positions first to last only, or all.
  void setRecords(std::optional<std::pair<int, int>> range);

  // Redraws from the model: after a selector change, new data, records or filter.
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
  // The column a selector names in a drive, -1 for none.
  int columnOf(const QComboBox* selector, int drive) const;

  std::vector<DriveSource> drives_;
  std::optional<std::pair<int, int>> range_;
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
