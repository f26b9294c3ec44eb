#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "analysis/dump_model.h"
#include "analysis/expression.h"
#include "analysis/marker_readout.h"
#include "chart/series_plot.h"
#include "dump/dump.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;

namespace kq {

class CellTableView;
class FormulaEdit;
class GridModel;
class GridView;
class PlotMarker;
class ScatterView;

// The chart window "График": ten series over the record position, a panel of
// parameter selectors with visibility and right-axis switches, a second tab
// "Зависимость" plotting one parameter against another, a tab "Таблица" of
// cells of two parameters, and the grid of every value beneath with the
// filter ("Фильтр") above it. Derived channels ("Новый канал…" in the chart's
// menu) follow the decoded parameters everywhere. Everything plotted, counted and shown comes
// from the dump's numeric model, decoded once; the grid's texts are made from
// it. Closing it only hides it.
//
// Series are numbered from 0 in the interface; object names number them from
// 1 as their captions do ("График 1"): seriesParameter1..10,
// seriesShown1..10, seriesRightAxis1..10, plus timeAxisSwitch, plot, grid,
// plotMenu, chartTabs, filterField, filterError, filterCount and those of
// ScatterView and CellTableView.
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

  // The handlers of one series' controls, series from 0 to 9.
  void onSeriesParameterChosen(int series);  // its parameter selector
  void onSeriesShown(int series);            // its "График k" switch
  void onRightAxisToggled(int series);       // its "Ось R" switch
  void onTimeAxisToggled();                  // the "Ось времени" switch

  // "Точка 1" / "Точка 2" of the pop-up menu: marker 1 or 2 at record position x.
  void setMarker(int marker, int x);

  // The filter field's Enter: keeps the records the expression holds true
  // for, everywhere, until cleared (an empty text); it stays applied across
  // preparations and channel changes. A mistake is shown beside the field
  // and changes nothing; returns whether the text was taken.
  bool applyFilter(const QString& text);
  // Derived channels, in the order they were made; each returns what is
  // wrong ("" when done) and changes nothing on a mistake.
  QString addChannel(const QString& name, const QString& formula);
  QString changeChannel(int index, const QString& name, const QString& formula);
  QString removeChannel(int index);
  const std::vector<ChannelDefinition>& channels() const { return channels_; }

  const DumpModel& model() const { return model_; }
  // The records the filter keeps, by position; empty when there is no filter.
  std::span<const char> keptRecords() const { return kept_; }
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
  void buildFilterRow(QWidget* row);
  void buildChannelMenu();
  void openChannelDialog(int index);  // -1 for a new channel
  // The channels over the decoded columns of the current model; "" or the mistake.
  QString setChannels(std::vector<ChannelDefinition> channels);
  // After a new model or new channels: grid, selectors (choices kept), scatter, table, filter, series.
  void showModel();
  // The filter text over the current model, without a word when it is empty.
  QString filterOver(const DumpModel& model, std::vector<char>& kept) const;
  void refillSeries();
  void updateFilterCount();

  DumpModel model_;
  // The records the filter keeps, by position; empty keeps all.
  std::vector<char> kept_;
  QString filterText_;
  std::vector<ChannelDefinition> channels_;
  std::vector<int> marked_;  // records of the cell last clicked
  std::array<SeriesSource, kSeriesCount> sources_{};

  std::array<QComboBox*, kSeriesCount> parameterSelectors_{};
  std::array<QCheckBox*, kSeriesCount> shownSwitches_{};
  std::array<QCheckBox*, kSeriesCount> rightAxisSwitches_{};
  QCheckBox* timeAxisSwitch_ = nullptr;
  SeriesPlot* plot_ = nullptr;
  ScatterView* scatter_ = nullptr;
  CellTableView* cellTable_ = nullptr;
  FormulaEdit* filterField_ = nullptr;
  QLabel* filterError_ = nullptr;
  QLabel* filterCount_ = nullptr;
  QMenu* changeChannelMenu_ = nullptr;
  QMenu* removeChannelMenu_ = nullptr;
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
