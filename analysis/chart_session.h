#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "analysis/cell_table_settings.h"
#include "analysis/chart_changes.h"
#include "analysis/chart_drive.h"
#include "analysis/chart_limits.h"
#include "analysis/drive_comparison.h"
#include "analysis/expression.h"
#include "analysis/marker_readout.h"
#include "dump/dump.h"

namespace kq {

// One series as the user set it up.
struct SeriesChoice {
  std::string parameter;  // a title, as chosen or typed; empty: none
  bool shown = true;
  bool rightAxis = false;
  // The item of drive A's titles it was chosen as, -1 when typed: a title
  // may stand twice in a controller's table.
  int item = -1;
  bool operator==(const SeriesChoice&) const = default;
};

// What a series holds since it was last filled. A series is filled when its
// parameter is chosen and whenever the records it draws change (a new dump,
// channels, the filter, the drives); a hidden series is filled empty and keeps
// its title, so that switching it on shows nothing until it is filled again.
struct PlottedSeries {
  int column = -1;      // drive A's grid column, -1 without a parameter
  bool filled = false;  // holds the column's values
  std::string title;    // the legend's
  bool operator==(const PlottedSeries&) const = default;
};

// The chart's whole state, free of any toolkit: drive A's model with the
// derived channels and the filter, drives B to D compared with it, the ten
// series, the time axis, markers, zoom, the cell table's choices, the records
// marked from the table and the drive the grid shows. Views draw from it and
// change it through its functions; each change is reported once to every
// observer with the set of what it touched. Changes inside a batch are
// reported once when the batch ends.
class ChartSession {
 public:
  using Observer = std::function<void(ChartChanges)>;

  ChartSession();  // an empty drive A, nothing charted
  ChartSession(const ChartSession&) = delete;
  ChartSession& operator=(const ChartSession&) = delete;

  // An observer for as long as its subscription lives, which must end before the session does.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(ChartSession* session, int id) : session_(session), id_(id) {}
    Subscription(Subscription&& other) noexcept
        : session_(std::exchange(other.session_, nullptr)), id_(other.id_) {}
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription();

   private:
    ChartSession* session_ = nullptr;
    int id_ = 0;
  };
  // Observers are called in the order they subscribed.
  [[nodiscard]] Subscription observe(Observer observer);

  // Changes made while a Batch lives are reported together when the outermost ends.
  class Batch {
   public:
    explicit Batch(ChartSession& session);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    ChartSession& session_;
  };

  // Drive A: the dump charted. Nothing for an empty dump. Throws
  // ConversionError, leaving the session as it was. The channels and the
  // filter carry over where the new dump's titles allow (analysisProblems()
  // says what did not); the series start again on their first parameters on
  // the left axis; markers, marks and zoom go; drives B to D stay, lined up
  // with the new start. `path` is its file, empty for a download not saved.
  void prepare(const Dump& dump, char decimalSeparator, const std::string& path = {});
  // Drive A (prepared or opened) in place of the current one, as prepare does.
  void prepareDrive(ChartDrive drive);
  // Drives as a workspace holds them, A first, with its channels and filter:
  // as prepare does, with these drives compared at these offsets (a drive
  // without one starts with A).
  void openDrives(std::vector<ChartDrive> drives, std::vector<ChannelDefinition> channels, std::string filter,
                  const std::vector<double>& offsets);
  const DumpModel& model() const { return drive(0).model; }
  bool hasRecords() const { return model().recordCount() > 0; }
  // What of the channels and the filter did not fit drive A when it came.
  const AnalysisProblems& analysisProblems() const { return problemsOfA_; }

  // Derived channels, in the order they were made: each returns what is
  // wrong ("" when done) and changes nothing on a mistake (the filter must
  // still fit drive A afterwards).
  const std::vector<ChannelDefinition>& channels() const { return channels_; }
  std::string setChannels(std::vector<ChannelDefinition> channels);
  std::string addChannel(const std::string& name, const std::string& formula);
  std::string changeChannel(int index, const std::string& name, const std::string& formula);
  std::string removeChannel(int index);

  // The filter: the records where it holds, in every drive, until cleared
  // (an empty text). A mistake over drive A is returned and changes nothing;
  // where it does not fit another drive, that drive keeps all its records and
  // says why. Applying marks no records.
  const std::string& filter() const { return filter_; }
  std::string setFilter(const std::string& text);

  // Drives compared, A first, at most kMaxDrives.
  int driveCount() const { return int(drives_.size()); }
  const ChartDrive& drive(int d) const { return *drives_[d]; }
  const DumpModel& driveModel(int d) const { return drives_[d]->model; }
  std::span<const char> kept(int d) const { return drives_[d]->kept; }
  // A dump file beside drive A, started with it; returns what is wrong ("").
  std::string addDrive(const std::string& path);
  // A drive decoded elsewhere (a trip of a car's history), likewise.
  std::string addDrive(ChartDrive drive);
  // Drive 1 to 3; the drives after it move up a letter with their offsets.
  // Markers and zoom go.
  void removeDrive(int drive);
  const DriveComparison& comparison() const { return comparison_; }
  // Each record's aligned time, per drive (the record positions for one drive alone).
  const std::vector<double>& alignedTimes(int drive) const { return times_[drive]; }
  void setOffset(int drive, double seconds);
  void resetOffset(int drive) { setOffset(drive, comparison_.startOffset(drive)); }
  // Each drive's first record where the expression holds lined up with A's;
  // returns the mistake, or a note naming the drives where it never holds
  // ("" when every drive has it). A mistake changes nothing.
  std::string alignOnEvent(const std::string& expression);
  // The titles of A that drive d lacks.
  std::vector<std::string> missingTitles(int drive) const;

  // The ten series, 0 to 9.
  const SeriesChoice& series(int i) const { return series_[i]; }
  const PlottedSeries& plotted(int i) const { return plotted_[i]; }
  // What the readouts read of series i.
  SeriesSource seriesSource(int i) const;
  std::array<SeriesSource, kSeriesCount> seriesSources() const;
  // The grid column of series i's parameter in drive d, or none.
  std::optional<int> seriesColumn(int i, int drive) const;
  void setSeriesParameter(int i, const std::string& title, int item = -1);
  void setSeriesShown(int i, bool shown);
  void setSeriesOnRightAxis(int i, bool right);
  // Every series at once, as a workspace holds them: hidden series are named
  // as chosen, ready to be shown; a parameter A lacks draws nothing.
  void setAllSeries(const std::array<SeriesChoice, kSeriesCount>& series);

  bool timeAxis() const { return timeAxis_; }
  void setTimeAxis(bool on);

  // Marker 0 or 1 at x: a record position for one drive (rounded and kept
  // within the records), else an aligned time (kept within the drives' times).
  std::optional<double> marker(int m) const { return markers_[m]; }
  void setMarker(int m, double x);
  void clearMarkers();

  // The x range shown when the user zoomed in; none shows all.
  const std::optional<std::pair<double, double>>& zoom() const { return zoom_; }
  void setZoom(std::optional<std::pair<double, double>> range);

  // The cell table's choices; titles A lacks keep their choice as it was.
  const CellTableSettings& cellTable() const { return cellTable_; }
  void setCellTable(CellTableSettings settings);

  // The records of a cell of the table, marked on the chart in their drive.
  void markRecords(int drive, std::vector<int> positions);
  int markedDrive() const { return markedDrive_; }
  const std::vector<int>& markedRecords() const { return marked_; }

  // The drive whose records the grid shows.
  int gridDrive() const { return gridDrive_; }
  void setGridDrive(int drive);

 private:
  void changed(ChartChanges changes);
  // Fills one series or all from their choices; the series that changed.
  ChartChanges fill(int i);
  ChartChanges fillAll();
  void rebuildComparison(const std::vector<double>& offsets);
  std::vector<double> offsets() const;
  // The channels and the filter over drives B to D.
  void analyseCompared();
  // The cell table's titles A's model no longer has fall back to its first ones.
  void keepChoicesWithinTitles();

  std::vector<std::pair<int, Observer>> observers_;  // an empty one has ended
  int lastObserver_ = 0;
  int batchDepth_ = 0;
  ChartChanges pending_;

  std::vector<std::unique_ptr<ChartDrive>> drives_ = [] {
    std::vector<std::unique_ptr<ChartDrive>> drives;
    drives.push_back(std::make_unique<ChartDrive>());
    return drives;
  }();
  AnalysisProblems problemsOfA_;
  std::vector<ChannelDefinition> channels_;
  std::string filter_;
  DriveComparison comparison_;
  std::vector<std::vector<double>> times_{{}};

  std::array<SeriesChoice, kSeriesCount> series_{};
  std::array<PlottedSeries, kSeriesCount> plotted_{};
  bool timeAxis_ = false;
  std::array<std::optional<double>, 2> markers_{};
  std::optional<std::pair<double, double>> zoom_;
  CellTableSettings cellTable_;
  int markedDrive_ = 0;
  std::vector<int> marked_;
  int gridDrive_ = 0;
};

}  // namespace kq
