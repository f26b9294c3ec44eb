#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "analysis/drive_comparison.h"
#include "analysis/dump_model.h"
#include "analysis/expression.h"
#include "analysis/marker_readout.h"
#include "chart/series_plot.h"
#include "dump/dump.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
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
struct Workspace;

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
// ScatterView and CellTableView; with drives compared: addComparedDrive,
// driveOffsetB..D, driveResetB..D, driveRemoveB..D, alignEventField,
// alignEventButton, drivesNote, missingNote, gridDrive; saveWorkspace and
// openWorkspace (menu actions).
class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSeriesCount = SeriesPlot::kSeriesCount;

  explicit ChartWindow(QWidget* parent = nullptr);  // created hidden
  ~ChartWindow() override;

  // The chart button's preparation: nothing for an empty dump; otherwise fills
  // the grid, the selectors, the switches and the series and shows the window
  // non-modally. Throws ConversionError, leaving the window as it was.
  // `path` is the dump's file, for workspaces; empty for a download not saved.
  void prepare(const Dump& dump, char decimalSeparator, const QString& path = {});

  // Drives compared ("Добавить запись для сравнения…"): up to three more dump
  // files beside the prepared one, drive A. Each keeps its own records; the
  // series follow them by parameter title; the x axis becomes the time from
  // A's first record. Each returns what is wrong ("" when done) and changes
  // nothing on a failure.
  QString addComparedDrive(const QString& path);
  void removeComparedDrive(int drive);  // 1 to 3
  // Seconds added to a drive's times; reset lines its start up with A's.
  void setDriveOffset(int drive, double seconds);
  void resetDriveOffset(int drive);
  // Each drive's first record where the expression holds lined up with A's.
  // A drive without one keeps its start lined up (said in the returned
  // note); a mistake in the expression changes nothing.
  QString alignOnEvent(const QString& expression);
  const DriveComparison& comparison() const { return comparison_; }
  int driveCount() const { return comparison_.driveCount(); }

  // Workspaces ("Сохранить рабочую область…", "Открыть рабочую область…").
  // Saving needs A's file; returns what went wrong, "" when written.
  QString saveWorkspace(const QString& file);
  // A damaged file, another kind of file or one of a newer version is refused
  // with the returned message and changes nothing. A dump that cannot be
  // read is offered for replacement (the chooser returns the replacement or
  // "" to leave the drive out); what the opened dumps lack is said in
  // workspaceNote(). Returns "" when opened.
  QString openWorkspace(const QString& file);
  using ReplacementChooser = std::function<QString(const QString& missingFile, const QString& problem)>;
  void setReplacementChooser(ReplacementChooser chooser) { chooseReplacement_ = std::move(chooser); }
  QString workspaceNote() const;

  SeriesPlot* plot() const { return plot_; }

  // The handlers of one series' controls, series from 0 to 9.
  void onSeriesParameterChosen(int series);  // its parameter selector
  void onSeriesShown(int series);            // its "График k" switch
  void onRightAxisToggled(int series);       // its "Ось R" switch
  void onTimeAxisToggled();                  // the "Ось времени" switch

  // "Точка 1" / "Точка 2" of the pop-up menu: marker 1 or 2 at record position x.
  // With drives compared x is the aligned time in seconds.
  void setMarker(int marker, double x);

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
  // Comparing drives: chart_window_drives.cpp.
  struct ComparedDrive {
    QString path;
    DumpModel model;         // with the channels of A that fit it
    std::vector<char> kept;  // by A's filter; empty: all
    QString problems;        // the channels and the filter that do not fit it
  };
  void buildDrivesRow(QWidget* row);
  void addDrivesActions();
  void chooseComparedDrive();
  // Channels and the filter of drive A over the other drives where their titles allow.
  void syncComparedDrives();
  void rebuildComparison(bool keepOffsets);
  void showDrives();
  void plotDrives(int series, const std::vector<double>& values, int column);
  void updateCompareReadout(std::optional<double> marker1, std::optional<double> marker2);
  void updateComparePositionReadout(double x);
  void showGridDrive(int drive);
  const DumpModel& driveModel(int drive) const;
  std::span<const char> driveKept(int drive) const;
  // Workspaces: chart_window_workspace.cpp.
  void addWorkspaceActions();
  Workspace currentWorkspace() const;

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
  double menuPosition_ = 0;

  QString dumpPath_;
  std::vector<std::unique_ptr<ComparedDrive>> compared_;  // drives B, C, D
  DriveComparison comparison_;                            // A (model_) first
  std::vector<std::vector<double>> times_;                // aligned times, per drive
  QWidget* drivesRow_ = nullptr;
  QGridLayout* drivesLayout_ = nullptr;
  FormulaEdit* eventField_ = nullptr;
  QLabel* drivesNote_ = nullptr;   // what the last alignment said
  QLabel* missingNote_ = nullptr;  // what the drives lack
  QComboBox* gridDrive_ = nullptr;
  int shownGridDrive_ = 0;
  ReplacementChooser chooseReplacement_;
  QString workspaceNote_;
};

}  // namespace kq
