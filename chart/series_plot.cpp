#include "chart/series_plot.h"

#include <cmath>
#include <numeric>

#include "ui/qt_text.h"
#include "ui/record_ticker.h"

namespace kq {
namespace {
struct SeriesStyle {
  QColor color;
  int width;
};
const SeriesStyle kSeriesStyles[SeriesPlot::kSeriesCount] = {
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
  xAxis->setLabel(QStringLiteral("Точка данных"));
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
  for (int i = 0; i < kSeriesCount; ++i) {
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
  xAxis->setLabel(on ? QStringLiteral("Дата и время") : QStringLiteral("Точка данных"));
  updateTicker();
}

void SeriesPlot::updateTicker() {
  if (timeAxis_ && model_) {
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

void SeriesPlot::setSeriesPoints(int series, const std::vector<double>& values) {
  QVector<QCPGraphData> points(qsizetype(values.size()));
  for (std::size_t x = 0; x < values.size(); ++x) points[qsizetype(x)] = QCPGraphData(double(x), values[x]);
  graph(series)->data()->set(points, true);
}

void SeriesPlot::markRecords(const std::vector<int>& positions) {
  for (int i = 0; i < kSeriesCount; ++i) {
    QCPGraph* series = graph(i);
    QVector<QCPGraphData> points;
    for (int x : positions) {
      auto at = series->data()->findBegin(x, false);
      if (at != series->data()->constEnd() && at->key == x && !std::isnan(at->value))
        points.push_back(QCPGraphData(x, at->value));
    }
    marks_[i]->data()->set(points, true);
    marks_[i]->setValueAxis(series->valueAxis());
    marks_[i]->setVisible(series->visible());
  }
  replot(QCustomPlot::rpQueuedReplot);
}

void SeriesPlot::setSeriesTitle(int series, const QString& title) {
  titles_[series] = title;
  updateLegendEntry(series);
}

void SeriesPlot::setSeriesShown(int series, bool shown) {
  graph(series)->setVisible(shown);
  marks_[series]->setVisible(shown);
  updateLegendEntry(series);
}

void SeriesPlot::setOnRightAxis(int series, bool right) {
  graph(series)->setValueAxis(right ? yAxis2 : yAxis);
  marks_[series]->setValueAxis(right ? yAxis2 : yAxis);
  updateLegendEntry(series);
}

void SeriesPlot::updateLegendEntry(int series) {
  QCPGraph* line = graph(series);
  const bool right = line->valueAxis() == yAxis2;
  line->setName(right ? titles_[series] + QStringLiteral(" (R)") : titles_[series]);
  if (auto* item = legend->itemWithPlottable(line))
    item->setTextColor(!line->visible() ? Qt::gray : right ? kRightAxisTint : Qt::black);
}

void SeriesPlot::refresh() {
  fitToData();
  replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace kq
