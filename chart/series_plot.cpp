#include "chart/series_plot.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "analysis/drive_comparison.h"
#include "analysis/record_time.h"
#include "ui/qt_text.h"
#include "ui/record_ticker.h"

namespace kq {
namespace {
struct SeriesStyle {
  QColor color;
  int width;
};
const SeriesStyle kSeriesStyles[kSeriesCount] = {
    {QColor(255, 0, 0), 4},    {QColor(0, 128, 0), 3},     {QColor(255, 255, 0), 3}, {QColor(0, 0, 255), 3},
    {QColor(255, 128, 64), 3}, {QColor(128, 128, 128), 3}, {QColor(255, 0, 255), 3}, {QColor(0, 128, 128), 3},
    {QColor(0, 0, 128), 3},    {QColor(128, 0, 0), 3}};

// The right axis and the legend entries of its series.
const QColor kRightAxisTint(0, 95, 175);
// The legend's columns at most; fewer where the titles need the room.
constexpr int kLegendColumns = 5;
// Antialiased up to this many points a pixel.
constexpr double kAntialiasedDensity = 2;
constexpr double kMarkSize = 7;
// A press this close to a compared drive's line drags it.
constexpr double kGrabPixels = 8;
const Qt::PenStyle kDriveStyles[kMaxDrives] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};

void tint(QCPAxis* axis, const QColor& color) {
  axis->setBasePen(QPen(color, 1));
  axis->setTickPen(QPen(color, 1));
  axis->setSubTickPen(QPen(color, 1));
  axis->setTickLabelColor(color);
  axis->setLabelColor(color);
}
}  // namespace

QColor SeriesPlot::seriesColor(int series) { return kSeriesStyles[series].color; }

SeriesPlot::SeriesPlot(QWidget* parent) : PlotView(parent) {
  setPlottingHint(QCP::phFastPolylines, true);
  xAxis->setLabel(tr("Точка данных"));
  auto ticker = QSharedPointer<RecordTicker>::create(xAxis);
  ticker_ = ticker.data();
  xAxis->setTicker(ticker);
  yAxis->grid()->setPen(QPen(Qt::black, 0, Qt::DashDotLine));
  yAxis2->setVisible(true);
  yAxis2->grid()->setVisible(false);
  tint(yAxis2, kRightAxisTint);

  legend->setVisible(true);
  axisRect()->insetLayout()->take(legend);
  plotLayout()->addElement(1, 0, legend);
  plotLayout()->setRowStretchFactor(1, 0.001);
  legend->setFillOrder(QCPLegend::foColumnsFirst);
  legend->setWrap(kLegendColumns);
  legend->setIconSize(25, 10);
  legend->setMargins(QMargins(7, 7, 7, 7));

  for (int i = 0; i < kSeriesCount; ++i) {
    QCPGraph* graph = addGraph(xAxis, yAxis);
    graph->setPen(QPen(kSeriesStyles[i].color, kSeriesStyles[i].width));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle::ssNone);
    updateLegendEntry(i);
  }
  for (int i = 0; i < kSeriesCount; ++i) {
    marks_[i] = addGraph(xAxis, yAxis);
    marks_[i]->setLineStyle(QCPGraph::lsNone);
    marks_[i]->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black, 1.5),
                                               QBrush(kSeriesStyles[i].color), kMarkSize));
    marks_[i]->removeFromLegend();
  }
  for (int i = 0; i < kSeriesCount; ++i) {
    for (int d = 1; d < kMaxDrives; ++d) {
      QCPGraph* line = addGraph(xAxis, yAxis);
      line->setPen(QPen(kSeriesStyles[i].color, kSeriesStyles[i].width - 1, kDriveStyles[d]));
      line->setLineStyle(QCPGraph::lsLine);
      line->removeFromLegend();
      driveLines_[i][d - 1] = line;
    }
  }
  connect(this, &QCustomPlot::beforeReplot, this, &SeriesPlot::fitToSize);
}

void SeriesPlot::fitToSize() {
  // As many columns as the titles leave room for: item i stands in column i % columns.
  int columns = kLegendColumns;
  for (; columns > 1; --columns) {
    std::vector<int> widths(columns, 0);
    int column = 0;
    for (int i = 0; i < legend->itemCount(); ++i) {
      if (QCPAbstractLegendItem* item = legend->item(i)) {  // null in the grid's empty cells
        widths[column] = std::max(widths[column], item->minimumOuterSizeHint().width());
        column = (column + 1) % columns;
      }
    }
    if (std::accumulate(widths.begin(), widths.end(), 0) <= width()) break;
  }
  if (columns != legend->wrap()) {
    legend->setWrap(columns);
    legend->setFillOrder(legend->fillOrder(), true);  // the wrap alone leaves the items where they were
  }

  const QCPRange keys = xAxis->range();
  const double pixels = std::max(1, axisRect()->width());
  for (int i = 0; i < graphCount(); ++i) {
    const auto& data = *graph(i)->data();
    const auto points = data.findEnd(keys.upper) - data.findBegin(keys.lower);
    graph(i)->setAntialiased(points <= kAntialiasedDensity * pixels);
  }
}

void SeriesPlot::setModel(const DumpModel* model) {
  model_ = model;
  updateTicker();
}

void SeriesPlot::setTimeAxis(bool on) {
  timeAxis_ = on;
  if (drives_ < 2) xAxis->setLabel(on ? tr("Дата и время") : tr("Точка данных"));
  updateTicker();
}

void SeriesPlot::updateTicker() {
  if (drives_ > 1) {
    ticker_->setLabels([](int seconds) { return QString::fromStdString(durationText(seconds)); },
                       QStringLiteral("-00:00:00"));
  } else if (timeAxis_ && model_) {
    ticker_->setLabels(
        [model = model_](int position) {
          if (position < 0 || position > model->rowCount() - 2) return QString();
          return toQString(model->cell(position + 1, kDateColumn)) + QLatin1Char('\n') +
                 toQString(model->cell(position + 1, kTimeColumn));
        },
        QStringLiteral("00.00\n00:00:00"));
  } else {
    ticker_->setLabels([](int position) { return QString::number(position); }, QStringLiteral("000000"));
  }
}

namespace {
void setPoints(QCPGraph* line, const std::vector<double>& values, const std::vector<double>& keys) {
  QVector<QCPGraphData> points(qsizetype(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i)
    points[qsizetype(i)] = QCPGraphData(keys.empty() ? double(i) : keys[i], values[i]);
  // Aligned times may step back where a log's clock was set back: sorted then.
  line->data()->set(points, keys.empty() || std::is_sorted(keys.begin(), keys.end()));
}
}  // namespace

void SeriesPlot::setSeriesPoints(int series, const std::vector<double>& values,
                                 const std::vector<double>& keys) {
  setPoints(graph(series), values, keys);
}

void SeriesPlot::setDrivePoints(int series, int drive, const std::vector<double>& keys,
                                const std::vector<double>& values) {
  QCPGraph* line = driveLines_[series][drive - 1];
  setPoints(line, values, keys);
  if (values.empty())
    line->removeFromLegend();
  else if (!legend->hasItemWithPlottable(line))
    line->addToLegend();
  updateLegendEntry(series);
}

void SeriesPlot::setDriveCount(int drives) {
  drives_ = drives;
  xAxis->setLabel(drives > 1  ? tr("Время от начала записи A")
                  : timeAxis_ ? tr("Дата и время")
                              : tr("Точка данных"));
  for (int i = 0; i < kSeriesCount; ++i) {
    for (int d = drives; d < kMaxDrives; ++d) setDrivePoints(i, d, {}, {});
    updateLegendEntry(i);
  }
  updateTicker();
}

void SeriesPlot::markRecords(const std::vector<int>& positions, int drive) {
  markedDrive_ = drive;
  for (int i = 0; i < kSeriesCount; ++i) {
    QCPGraph* series = drive == 0 ? graph(i) : driveLines_[i][drive - 1];
    QVector<QCPGraphData> points;
    // Point i is record i: a gap is a NaN point, never a missing one.
    for (int x : positions) {
      if (drive >= drives_ || x < 0 || x >= series->data()->size()) continue;
      const QCPGraphData& at = *(series->data()->constBegin() + x);
      if (!std::isnan(at.value)) points.push_back(at);
    }
    marks_[i]->data()->set(points, true);
    marks_[i]->setValueAxis(series->valueAxis());
    marks_[i]->setVisible(series->visible());
  }
  replot(QCustomPlot::rpQueuedReplot);
}

int SeriesPlot::driveAt(const QPointF& pixel) const {
  int nearest = 0;
  double best = kGrabPixels;
  for (int d = 1; d < drives_; ++d) {
    for (const auto& lines : driveLines_) {
      QCPGraph* line = lines[d - 1];
      if (!line->visible() || line->data()->isEmpty()) continue;
      // -1 where the point lies outside the axis rectangle.
      const double distance = line->selectTest(pixel, false);
      if (distance >= 0 && distance <= best) {
        best = distance;
        nearest = d;
      }
    }
  }
  return nearest;
}

std::vector<QCPGraph*> SeriesPlot::linesOfDrive(int drive) const {
  std::vector<QCPGraph*> lines;
  for (const auto& series : driveLines_) lines.push_back(series[drive - 1]);
  if (markedDrive_ == drive) lines.insert(lines.end(), marks_.begin(), marks_.end());
  return lines;
}

void SeriesPlot::beginDriveDrag(int drive, double pixel) {
  draggedDrive_ = drive;
  dragStartPixel_ = pixel;
  dragMoved_ = 0;
  dragOrigins_.clear();
  for (QCPGraph* line : linesOfDrive(drive)) {
    std::vector<double> keys;
    keys.reserve(std::size_t(line->data()->size()));
    for (auto point = line->data()->constBegin(); point != line->data()->constEnd(); ++point)
      keys.push_back(point->key);
    dragOrigins_.push_back(std::move(keys));
  }
}

// Every key set from the one it had when the drag began, never moved step by
// step: the lines come back to exactly their data.
void SeriesPlot::placeDraggedDrive(double moved) {
  const std::vector<QCPGraph*> lines = linesOfDrive(draggedDrive_);
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::vector<double>& origin = dragOrigins_[l];
    std::size_t i = 0;
    for (auto point = lines[l]->data()->begin(); point != lines[l]->data()->end(); ++point, ++i)
      point->key = origin[i] + moved;
  }
}

void SeriesPlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier) {
    if (const int drive = driveAt(event->position())) {
      beginDriveDrag(drive, event->position().x());
      setCursor(Qt::SizeHorCursor);
      setFocus(Qt::MouseFocusReason);  // for Esc
      return;
    }
  }
  PlotView::mousePressEvent(event);
}

void SeriesPlot::mouseMoveEvent(QMouseEvent* event) {
  if (draggedDrive_) {
    dragMoved_ = xAxis->pixelToCoord(event->position().x()) - xAxis->pixelToCoord(dragStartPixel_);
    placeDraggedDrive(dragMoved_);
    replot(QCustomPlot::rpQueuedReplot);
  }
  PlotView::mouseMoveEvent(event);
  // Shift over a compared drive's line says it can be dragged.
  if (!draggedDrive_ && event->buttons() == Qt::NoButton && event->modifiers() & Qt::ShiftModifier &&
      driveAt(event->position()))
    setCursor(Qt::SizeHorCursor);
}

void SeriesPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (!draggedDrive_) return PlotView::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const int drive = draggedDrive_;
  const double moved = dragMoved_;
  endDriveDrag();
  // The lines go back to their data; the owner sets the drive's new offset.
  if (moved != 0) emit driveDragged(drive, moved);
}

void SeriesPlot::keyPressEvent(QKeyEvent* event) {
  if (draggedDrive_ && event->key() == Qt::Key_Escape) {
    endDriveDrag();
    return;
  }
  PlotView::keyPressEvent(event);
}

void SeriesPlot::endDriveDrag() {
  placeDraggedDrive(0);
  dragOrigins_.clear();
  draggedDrive_ = 0;
  dragMoved_ = 0;
  unsetCursor();
  replot(QCustomPlot::rpQueuedReplot);
}

void SeriesPlot::setSeriesTitle(int series, const QString& title) {
  titles_[series] = title;
  updateLegendEntry(series);
}

void SeriesPlot::setSeriesShown(int series, bool shown) {
  graph(series)->setVisible(shown);
  marks_[series]->setVisible(shown);
  for (QCPGraph* line : driveLines_[series]) line->setVisible(shown);
  updateLegendEntry(series);
}

void SeriesPlot::setOnRightAxis(int series, bool right) {
  graph(series)->setValueAxis(right ? yAxis2 : yAxis);
  marks_[series]->setValueAxis(right ? yAxis2 : yAxis);
  for (QCPGraph* line : driveLines_[series]) line->setValueAxis(right ? yAxis2 : yAxis);
  updateLegendEntry(series);
}

void SeriesPlot::updateLegendEntry(int series) {
  const auto named = [this, series](int drive) {
    if (drives_ < 2 || titles_[series].isEmpty()) return titles_[series];
    return titles_[series] +
           QStringLiteral(" [%1]").arg(QString::fromStdString(DriveComparison::driveName(drive)));
  };
  updateLegendEntry(graph(series), named(0));
  for (int d = 1; d < kMaxDrives; ++d)
    if (QCPGraph* line = driveLines_[series][d - 1]) updateLegendEntry(line, named(d));  // null while built
}

void SeriesPlot::updateLegendEntry(QCPGraph* line, const QString& title) {
  const bool right = line->valueAxis() == yAxis2;
  line->setName(right ? title + QStringLiteral(" (R)") : title);
  if (auto* item = legend->itemWithPlottable(line))
    item->setTextColor(!line->visible() ? Qt::gray : right ? kRightAxisTint : Qt::black);
}

void SeriesPlot::refresh() {
  fitToData();
  replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace kq
