#pragma once

#include <QString>
#include <array>
#include <vector>

#include "analysis/chart_limits.h"
#include "analysis/dump_model.h"
#include "ui/plot_view.h"

namespace kq {

class RecordTicker;

// The chart of the chart window, which kq-cli chart draws too: ten line
// series over the record position ("Точка данных") in their own colours,
// the legend below, the left and the right value axis. A series on the right
// axis is marked "(R)" in the legend, in the right axis' tint. A series is
// antialiased where it has at most two points a pixel: denser, antialiasing
// shows little and a noisy series would take a second to draw.
//
// Drives compared: each series has a line per drive in the series' colour,
// the drive's own line style (solid, dashed, dotted, dash-dot) and its name
// in the legend ("Обороты двигателя [B]"); x is then the aligned time in
// seconds from the reference's first record. Shift and the left button on a
// line of a compared drive drag that drive's lines along x; Esc puts them
// back. A drag is announced once, on release, as the seconds moved.
class SeriesPlot : public PlotView {
  Q_OBJECT
 public:
  static QColor seriesColor(int series);

  explicit SeriesPlot(QWidget* parent = nullptr);

  // The model the time labels come from; the caller keeps it alive.
  void setModel(const DumpModel* model);
  // The x axis labelled with each record's date and time instead of its position.
  void setTimeAxis(bool on);

  // Point i of a series at x = i, or at keys[i] when given; NaN leaves a gap.
  void setSeriesPoints(int series, const std::vector<double>& values, const std::vector<double>& keys = {});
  // Drives 1 to 3 of a series (drive 0 is setSeriesPoints): point i at
  // keys[i]; no values, no line and no legend entry.
  void setDrivePoints(int series, int drive, const std::vector<double>& keys,
                      const std::vector<double>& values);
  // 1 for one dump; more: the legend names each drive and x is time.
  void setDriveCount(int drives);
  int driveCount() const { return drives_; }
  void setSeriesTitle(int series, const QString& title);
  const std::array<QString, kSeriesCount>& seriesTitles() const { return titles_; }
  void setSeriesShown(int series, bool shown);
  void setOnRightAxis(int series, bool right);

  // Rings on every visible series at the given record positions of a drive
  // (the records of a cell of the cell table); none clears them.
  void markRecords(const std::vector<int>& positions, int drive = 0);

  // The compared drive (1 to 3) with a line within a few pixels of a point
  // of the plot, the nearest; 0 for none.
  int driveAt(const QPointF& pixel) const;

  // After changes: legend marks updated, axes fitted unless zoomed, a replot queued.
  void refresh();

 signals:
  // A compared drive's lines dragged and dropped `seconds` further along x.
  void driveDragged(int drive, double seconds);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The lines a drag of a compared drive moves: its lines, and the marks when they are its records.
  std::vector<QCPGraph*> linesOfDrive(int drive) const;
  void beginDriveDrag(int drive, double pixel);
  // The dragged drive's lines `moved` seconds from where the drag began.
  void placeDraggedDrive(double moved);
  void endDriveDrag();

  void updateLegendEntry(int series);
  void updateLegendEntry(QCPGraph* line, const QString& title);
  // Before each replot: the legend's columns and each series' antialiasing.
  void fitToSize();
  void updateTicker();

  RecordTicker* ticker_;
  const DumpModel* model_ = nullptr;
  bool timeAxis_ = false;
  std::array<QString, kSeriesCount> titles_;
  std::array<QCPGraph*, kSeriesCount> marks_{};
  // Drives 1 to 3 of each series.
  std::array<std::array<QCPGraph*, kMaxDrives - 1>, kSeriesCount> driveLines_{};
  int drives_ = 1;
  // The drive being dragged (0: none), the pixel where the drag began and the seconds moved so far.
  int markedDrive_ = 0;
  int draggedDrive_ = 0;
  double dragStartPixel_ = 0;
  double dragMoved_ = 0;
  std::vector<std::vector<double>> dragOrigins_;  // the keys of linesOfDrive() when the drag began
};

}  // namespace kq
