#pragma once

#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "analysis/chart_data.h"

class QComboBox;
class QLabel;
class QMenu;

namespace kq {

class PlotView;

// The "Зависимость" tab of the chart window: one parameter against another,
// every record a point (or the records between the two markers), the axes
// titled with the parameters. Hovering a point names its record: position,
// date and time, and both values as the grid shows them.
//
// Object names: scatterX, scatterY (the selectors), scatterRecords, scatterPlot,
// scatterReadout.
class ScatterView : public QWidget {
  Q_OBJECT
 public:
  explicit ScatterView(QWidget* parent = nullptr);

  // A new grid and its titles, all records shown; the caller keeps the grid
  // alive. The choices stay where the new titles have them; the selectors'
  // lists are at least listWidth pixels wide.
  void setData(const ChartGrid* grid, const QStringList& titles, int listWidth, char decimalSeparator);
  // Only the records at positions first to last, or all.
  void setRecords(std::optional<std::pair<int, int>> range);

  // Redraws from the grid: after a selector change, new data or records.
  // Throws ConversionError for a cell that is not a number.
  void rebuild();
  // Names the record nearest to a pixel of the plot, if one lies close.
  void showRecordAt(const QPointF& pixel);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Point {
    double x, y;
    int position;
  };
  int chosenColumn(const QComboBox* selector) const;
  void rebuildOrSay();

  const ChartGrid* grid_ = nullptr;
  char separator_ = '.';
  std::optional<std::pair<int, int>> range_;
  std::vector<Point> points_;
  int hoveredPosition_ = -1;  // the point the ring marks, -1 for none
  bool stale_ = false;

  QComboBox* xSelector_;
  QComboBox* ySelector_;
  PlotView* plot_;
  QLabel* readout_;
  QLabel* recordsNote_;
  QMenu* menu_;
};

}  // namespace kq
