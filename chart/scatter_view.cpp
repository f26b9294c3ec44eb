#include "chart/scatter_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "analysis/drive_comparison.h"
#include "chart/image_actions.h"
#include "chart/parameter_choice.h"
#include "chart/series_plot.h"
#include "ui/plot_view.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// A hovered point lies within this many pixels of the mouse.
constexpr double kHoverPixels = 8;
constexpr int kPointSize = 5;
// Each drive's marks, A first: A's filled, the others' outlines around them,
// so that where drives agree every mark still shows.
struct PointStyle {
  QCPScatterStyle::ScatterShape shape;
  QColor colour;
};
const PointStyle kPointStyles[SeriesPlot::kMaxDrives] = {
    {QCPScatterStyle::ssDisc, QColor(0, 70, 200, 140)},
    {QCPScatterStyle::ssSquare, QColor(220, 60, 0, 200)},
    {QCPScatterStyle::ssTriangle, QColor(0, 150, 40, 200)},
    {QCPScatterStyle::ssDiamond, QColor(170, 0, 170, 200)}};
constexpr int kOutlineSize = 9;

QComboBox* makeSelector(const char* objectName) {
  auto* selector = new QComboBox;
  selector->setObjectName(QString::fromLatin1(objectName));
  selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  selector->setMinimumContentsLength(30);
  return selector;
}
}  // namespace

ScatterView::ScatterView(QWidget* parent) : QWidget(parent) {
  xSelector_ = makeSelector("scatterX");
  ySelector_ = makeSelector("scatterY");
  plot_ = new PlotView;
  plot_->setObjectName(QStringLiteral("scatterPlot"));
  plot_->setShowsPoints(true);
  readout_ = new QLabel;
  readout_->setObjectName(QStringLiteral("scatterReadout"));
  readout_->setTextFormat(Qt::RichText);
  readout_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  readout_->setMinimumHeight(readout_->fontMetrics().lineSpacing());

  for (int d = 0; d < SeriesPlot::kMaxDrives; ++d) {
    QCPGraph* points = plot_->addGraph();
    const PointStyle& style = kPointStyles[d];
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(
        d == 0 ? QCPScatterStyle(style.shape, style.colour, style.colour, kPointSize)
               : QCPScatterStyle(style.shape, QPen(style.colour, 1.5), Qt::NoBrush, kOutlineSize));
    points->setAdaptiveSampling(true);
    points->setName(QStringLiteral("Запись ") + QString::fromStdString(DriveComparison::driveName(d)));
  }
  plot_->legend->setVisible(false);
  QCPGraph* hovered = plot_->addGraph();
  hovered->removeFromLegend();
  hovered->setLineStyle(QCPGraph::lsNone);
  hovered->setScatterStyle(
      QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::red, 2), Qt::NoBrush, 3 * kPointSize));
  hovered->setVisible(false);
  recordsNote_ = new QLabel;
  recordsNote_->setObjectName(QStringLiteral("scatterRecords"));

  auto* choices = new QHBoxLayout;
  choices->addWidget(new QLabel(QStringLiteral("Параметр X:")));
  choices->addWidget(xSelector_, 1);
  choices->addSpacing(16);
  choices->addWidget(new QLabel(QStringLiteral("Параметр Y:")));
  choices->addWidget(ySelector_, 1);
  choices->addSpacing(16);
  choices->addWidget(recordsNote_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->addLayout(choices);
  layout->addWidget(plot_, 1);
  layout->addWidget(readout_);

  for (QComboBox* selector : {xSelector_, ySelector_})
    connect(selector, &QComboBox::activated, this, &ScatterView::rebuild);
  connect(plot_, &QCustomPlot::mouseMove, this,
          [this](QMouseEvent* event) { showRecordAt(event->position()); });

  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("scatterMenu"));
  addImageActions(*menu_, *plot_, *this);
  plot_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(plot_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { menu_->popup(plot_->mapToGlobal(pos)); });
}

void ScatterView::setData(std::vector<DriveSource> drives, const QStringList& titles, int listWidth) {
  drives_ = std::move(drives);
  range_.reset();  // the last dump's records mean nothing in this one
  // The first two parameters unless the new titles hold the last choices.
  refillKeepingChoice(xSelector_, titles, 0);
  refillKeepingChoice(ySelector_, titles, 1);
  for (QComboBox* selector : {xSelector_, ySelector_}) selector->view()->setMinimumWidth(listWidth);
  plot_->resetZoom();
  rebuild();
}

void ScatterView::setDrives(std::vector<DriveSource> drives) {
  if (drives == drives_) return;
  drives_ = std::move(drives);
  plot_->resetZoom();
  rebuild();
}

void ScatterView::setRecords(std::optional<std::pair<int, int>> range) {
  if (range_ == range) return;
  range_ = range;
  rebuild();
}

int ScatterView::columnOf(const QComboBox* selector, int drive) const {
  return drive == 0 ? chosenColumn(selector) : chosenColumn(selector, *drives_[drive].model);
}

void ScatterView::rebuild() {
  if (!isVisible()) {
    stale_ = true;  // done when shown
    return;
  }
  stale_ = false;
  points_.clear();
  hovered_ = nullptr;
  readout_->clear();
  plot_->graph(SeriesPlot::kMaxDrives)->setVisible(false);
  const int drives = int(drives_.size());
  QString note, lacking;
  for (int d = 0; d < SeriesPlot::kMaxDrives; ++d) {
    QCPGraph* graph = plot_->graph(d);
    graph->data()->clear();
    graph->removeFromLegend();
    const int xColumn = d < drives ? columnOf(xSelector_, d) : -1;
    const int yColumn = d < drives ? columnOf(ySelector_, d) : -1;
    if (xColumn < 0 || yColumn < 0) {
      if (d > 0 && d < drives && chosenColumn(xSelector_) >= 0 && chosenColumn(ySelector_) >= 0)
        lacking += (lacking.isEmpty() ? QString() : QStringLiteral(", ")) +
                   QString::fromStdString(DriveComparison::driveName(d));
      continue;
    }
    const DriveSource& drive = drives_[d];
    const std::span<const char> kept =
        drive.kept ? std::span<const char>(*drive.kept) : std::span<const char>();
    const std::vector<double> xs = plotValues(*drive.model, xColumn, kept);
    const std::vector<double> ys = plotValues(*drive.model, yColumn, kept);
    int first = 0, last = int(xs.size()) - 1;
    // The markers' records are A's.
    if (range_ && d == 0) {
      first = std::max(first, std::min(range_->first, range_->second));
      last = std::min(last, std::max(range_->first, range_->second));
      note = QStringLiteral("Записи %1–%2 (между точками)").arg(first).arg(last);
    }
    QVector<QCPGraphData> data;
    data.reserve(std::max(0, last - first + 1));
    for (int position = first; position <= last; ++position) {
      if (std::isnan(xs[position]) || std::isnan(ys[position])) continue;  // filtered out or no value
      points_.push_back({xs[position], ys[position], d, position});
      data.push_back(QCPGraphData(xs[position], ys[position]));
    }
    graph->data()->set(data, false);
    if (drives > 1) graph->addToLegend();
  }
  if (note.isEmpty() && drives > 0 && chosenColumn(xSelector_) >= 0 && chosenColumn(ySelector_) >= 0)
    note = QStringLiteral("Все записи");
  if (!lacking.isEmpty()) note += QStringLiteral("; X или Y нет в записи ") + lacking;
  recordsNote_->setText(note);
  plot_->legend->setVisible(drives > 1);
  plot_->xAxis->setLabel(xSelector_->currentText());
  plot_->yAxis->setLabel(ySelector_->currentText());
  plot_->fitToData();
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ScatterView::showRecordAt(const QPointF& pixel) {
  const Point* nearest = nullptr;
  double best = kHoverPixels * kHoverPixels;
  for (const Point& point : points_) {
    double dx = plot_->xAxis->coordToPixel(point.x) - pixel.x();
    double dy = plot_->yAxis->coordToPixel(point.y) - pixel.y();
    if (dx * dx + dy * dy <= best) {
      best = dx * dx + dy * dy;
      nearest = &point;
    }
  }
  QCPGraph* hovered = plot_->graph(SeriesPlot::kMaxDrives);
  if (!nearest) {
    hovered_ = nullptr;
    readout_->clear();
    if (hovered->visible()) {
      hovered->setVisible(false);
      plot_->replot(QCustomPlot::rpQueuedReplot);
    }
    return;
  }
  // Moves over the same point change nothing and must not queue replots.
  if (nearest == hovered_) return;
  hovered_ = nearest;
  hovered->data()->set({QCPGraphData(nearest->x, nearest->y)});
  hovered->setVisible(true);
  plot_->replot(QCustomPlot::rpQueuedReplot);
  const int row = nearest->position + 1;
  const DumpModel& model = *drives_[nearest->drive].model;
  const QString drive = drives_.size() > 1
                            ? QStringLiteral("Запись %1, ")
                                  .arg(QString::fromStdString(DriveComparison::driveName(nearest->drive)))
                            : QString();
  readout_->setText(QStringLiteral("<b>%1Точка данных %2</b> &nbsp; %3 %4 &nbsp; X: %5 &nbsp; Y: %6")
                        .arg(drive)
                        .arg(nearest->position)
                        .arg(toQString(model.cell(row, kDateColumn)), toQString(model.cell(row, kTimeColumn)),
                             toQString(model.cell(row, columnOf(xSelector_, nearest->drive))),
                             toQString(model.cell(row, columnOf(ySelector_, nearest->drive)))));
}

void ScatterView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) rebuild();
}

}  // namespace kq
