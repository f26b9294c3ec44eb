#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "analysis/chart_data.h"
#include "analysis/marker_readout.h"
#include "chart/series_plot.h"
#include "dump/dump.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;

namespace kq {

class GridModel;
class GridView;
class PlotMarker;
class ScatterView;

// The chart window "График": ten series over the record position, a panel of
// parameter selectors with visibility and right-axis switches, a second tab
// "Зависимость" plotting one parameter against another, and the grid of
// every decoded value beneath. Everything plotted is read back from the grid's
// texts; the window never decodes. Closing it only hides it.
//
// Series are numbered from 0 in the interface; object names number them from
// 1 as their captions do ("График 1"): seriesParameter1..10,
// seriesShown1..10, seriesRightAxis1..10, plus timeAxisSwitch, plot, grid,
// plotMenu, chartTabs and those of ScatterView.
class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSeriesCount = SeriesPlot::kSeriesCount;

  explicit ChartWindow(QWidget* parent = nullptr);  // created hidden
  ~ChartWindow() override;

  // The chart button's preparation: nothing for an empty dump; otherwise fills
  // the grid, the selectors, the switches and the series and shows the window
  // non-modally. Throws ConversionError, leaving the window as it was.
  void prepare(const Dump& dump, char decimalSeparator);

  // The handlers of one series' controls, series from 0 to 9. A cell that is
  // not a number throws ConversionError; the series keeps the points before it.
  void onSeriesParameterChosen(int series);  // its parameter selector
  void onSeriesShown(int series);            // its "График k" switch
  void onRightAxisToggled(int series);       // its "Ось R" switch
  void onTimeAxisToggled();                  // the "Ось времени" switch

  // "Точка 1" / "Точка 2" of the pop-up menu: marker 1 or 2 at record position x.
  void setMarker(int marker, int x);

  const ChartData& chartData() const { return data_; }
  // What each series shows, for the readouts.
  const std::array<SeriesSource, kSeriesCount>& seriesSources() const { return sources_; }

 private:
  void buildPanel(QWidget* panel);
  void buildChart();
  void buildGrid();
  void placeOnScreen();
  int chosenItem(int series) const;
  void setSeriesPoints(int series, const std::vector<double>& values, int column);
  void refresh();
  void updateMarkerReadout();
  void updatePositionReadout(int x);
  void runHandler(void (ChartWindow::*handler)(int), int series);

  ChartData data_;
  char separator_ = '.';
  std::array<SeriesSource, kSeriesCount> sources_{};

  std::array<QComboBox*, kSeriesCount> parameterSelectors_{};
  std::array<QCheckBox*, kSeriesCount> shownSwitches_{};
  std::array<QCheckBox*, kSeriesCount> rightAxisSwitches_{};
  QCheckBox* timeAxisSwitch_ = nullptr;
  SeriesPlot* plot_ = nullptr;
  ScatterView* scatter_ = nullptr;
  GridView* grid_ = nullptr;
  GridModel* gridModel_ = nullptr;
  QMenu* plotMenu_ = nullptr;
  QLabel* positionReadout_ = nullptr;
  QLabel* markerReadout_ = nullptr;
  std::unique_ptr<PlotMarker> markers_[2];
  std::unique_ptr<PlotMarker> cursor_;
  int menuPosition_ = 0;
};

}  // namespace kq
