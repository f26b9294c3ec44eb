#pragma once

#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "analysis/dump_model.h"

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

  // A new model and its titles, all records the filter keeps (kept empty:
  // all) shown; the caller keeps both alive. The choices stay where the new
  // titles have them; the selectors' lists are at least listWidth pixels wide.
  void setData(const DumpModel* model, const std::vector<char>* kept, const QStringList& titles,
               int listWidth);
  // Only the records at positions first to last, or all.
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
    int position;
  };

  const DumpModel* model_ = nullptr;
  const std::vector<char>* kept_ = nullptr;
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
