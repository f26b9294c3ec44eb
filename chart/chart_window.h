#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "chart/chart_data.h"
#include "chart/marker_readout.h"
#include "dump/dump.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QTableView;

namespace kq {

class GridModel;
class PlotMarker;
class PlotView;

// The chart window "График": ten series over the record position, a panel of
// parameter selectors with visibility and right-axis switches, and the grid of
// every decoded value beneath. Everything plotted is read back from the grid's
// texts; the window never decodes. Closing it only hides it.
//
// Controls carry the object names the handlers refer to: ComboBox1..10,
// CheckBox1..10 ("График k"), CheckBox11..20 ("Ось R" of series 1..10),
// Chart1, StringGrid1, PopupMenu1.
class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSeriesCount = 10;

  explicit ChartWindow(QWidget* parent = nullptr);  // created hidden
  ~ChartWindow() override;

  // The chart button's preparation: nothing for an empty dump; otherwise fills
  // the grid, the selectors, the switches and the series and shows the window
  // non-modally. Throws ConversionError, leaving the window as it was.
  void prepare(const Dump& dump, char decimalSeparator);

  // The handlers, k being the number in the control's name. A cell that is
  // not a number throws ConversionError; the series keeps the points before it.
  void ComboBoxChange(int k);  // ComboBox1Change .. ComboBox10Change
  void CheckBoxClick(int k);   // CheckBox1Click .. CheckBox20Click

  // "Точка 1" / "Точка 2" of the pop-up menu: marker 1 or 2 at record position x.
  void setMarker(int marker, int x);

  const ChartGrid& grid() const { return data_.grid; }
  // What each series shows, for the readouts.
  const std::array<SeriesSource, kSeriesCount>& seriesSources() const { return sources_; }

 private:
  void buildPanel(QWidget* panel);
  void buildChart();
  void buildGrid();
  void placeOnScreen();
  int selectorIndex(int k) const;
  void setSeriesPoints(int index, const std::vector<double>& values, int column);
  void putOnAxis(int index, bool right);
  void refresh();
  void updateMarkerReadout();
  void updatePositionReadout(int x);
  void runHandler(void (ChartWindow::*handler)(int), int k);

  ChartData data_;
  char separator_ = '.';
  std::array<SeriesSource, kSeriesCount> sources_{};

  std::array<QComboBox*, kSeriesCount> selectors_{};
  std::array<QCheckBox*, kSeriesCount> visibility_{};
  std::array<QCheckBox*, kSeriesCount> rightAxis_{};
  PlotView* plot_ = nullptr;
  QTableView* table_ = nullptr;
  GridModel* model_ = nullptr;
  QMenu* menu_ = nullptr;
  QLabel* positionReadout_ = nullptr;
  QLabel* markerReadout_ = nullptr;
  std::unique_ptr<PlotMarker> markers_[2];
  std::unique_ptr<PlotMarker> cursor_;
  int menuX_ = 0;
};

}  // namespace kq
