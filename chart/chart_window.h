#pragma once

#include <QWidget>
#include <memory>

#include "analysis/chart_session.h"
#include "dump/dump.h"

class QMenu;

namespace kq {

class DrivesBar;
class SeriesPlot;
class SessionPlot;

// The chart window "График": ten series over the record position, the series
// panel beside them, the tabs "Зависимость" (one parameter against another)
// and "Таблица" (cells of two parameters), the readouts and drives compared
// beneath the chart, the filter and the grid of every value below. It
// composes panels that each draw from the chart session and change it; the
// window itself only lays them out and holds the chart's menu. Closing it
// only hides it.
//
// Object names: chartWindow, plot, plotMenu, chartTabs, and the panels' own
// (SeriesPanel, FilterBar, DrivesBar, ReadoutPanel, ScatterView,
// CellTableView, ChannelMenu, SessionGrid, workspace actions).
class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ChartWindow(QWidget* parent = nullptr);  // created hidden
  ~ChartWindow() override;

  // The chart button's preparation: nothing for an empty dump; otherwise the
  // session charts it and the window shows non-modally. Throws
  // ConversionError, leaving the window as it was. `path` is the dump's file
  // (UTF-8), for workspaces; empty for a download not saved.
  void prepare(const Dump& dump, char decimalSeparator, const std::string& path = {});

  ChartSession& session() { return *session_; }
  const ChartSession& session() const { return *session_; }
  SeriesPlot* plot() const { return plot_; }

 private:
  QWidget* buildChartTab();
  void buildMenu();
  void placeOnScreen();

  std::unique_ptr<ChartSession> session_;
  SeriesPlot* plot_ = nullptr;
  SessionPlot* sessionPlot_ = nullptr;
  DrivesBar* drives_ = nullptr;
  QMenu* menu_ = nullptr;
  double menuPosition_ = 0;
};

}  // namespace kq
