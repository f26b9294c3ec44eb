#include "chart/scatter_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "chart/image_actions.h"
#include "chart/parameter_choice.h"
#include "ui/plot_view.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// A hovered point lies within this many pixels of the mouse.
constexpr double kHoverPixels = 8;
constexpr int kPointSize = 5;
const QColor kPointColour(0, 70, 200, 140);

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

  QCPGraph* points = plot_->addGraph();
  points->setLineStyle(QCPGraph::lsNone);
  points->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, kPointColour, kPointColour, kPointSize));
  points->setAdaptiveSampling(true);
  QCPGraph* hovered = plot_->addGraph();
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

void ScatterView::setData(const DumpModel* model, const std::vector<char>* kept, const QStringList& titles,
                          int listWidth) {
  model_ = model;
  kept_ = kept;
  range_.reset();  // the last dump's records mean nothing in this one
  // The first two parameters unless the new titles hold the last choices.
  refillKeepingChoice(xSelector_, titles, 0);
  refillKeepingChoice(ySelector_, titles, 1);
  for (QComboBox* selector : {xSelector_, ySelector_}) selector->view()->setMinimumWidth(listWidth);
  plot_->resetZoom();
  rebuild();
}

void ScatterView::setRecords(std::optional<std::pair<int, int>> range) {
  if (range_ == range) return;
  range_ = range;
  rebuild();
}

void ScatterView::rebuild() {
  if (!isVisible()) {
    stale_ = true;  // done when shown
    return;
  }
  stale_ = false;
  points_.clear();
  hoveredPosition_ = -1;
  readout_->clear();
  const int xColumn = chosenColumn(xSelector_), yColumn = chosenColumn(ySelector_);
  QCPGraph* graph = plot_->graph(0);
  plot_->graph(1)->setVisible(false);
  if (model_ && xColumn >= 0 && yColumn >= 0) {
    const std::span<const char> kept = kept_ ? std::span<const char>(*kept_) : std::span<const char>();
    const std::vector<double> xs = plotValues(*model_, xColumn, kept);
    const std::vector<double> ys = plotValues(*model_, yColumn, kept);
    int first = 0, last = int(xs.size()) - 1;
    if (range_) {
      first = std::max(first, std::min(range_->first, range_->second));
      last = std::min(last, std::max(range_->first, range_->second));
    }
    recordsNote_->setText(range_ ? QStringLiteral("Записи %1–%2 (между точками)").arg(first).arg(last)
                                 : QStringLiteral("Все записи"));
    QVector<QCPGraphData> data;
    data.reserve(std::max(0, last - first + 1));
    for (int position = first; position <= last; ++position) {
      if (std::isnan(xs[position]) || std::isnan(ys[position])) continue;  // filtered out or no value
      points_.push_back({xs[position], ys[position], position});
      data.push_back(QCPGraphData(xs[position], ys[position]));
    }
    graph->data()->set(data, false);
  } else {
    graph->data()->clear();
    recordsNote_->clear();
  }
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
  QCPGraph* hovered = plot_->graph(1);
  if (!nearest) {
    hoveredPosition_ = -1;
    readout_->clear();
    if (hovered->visible()) {
      hovered->setVisible(false);
      plot_->replot(QCustomPlot::rpQueuedReplot);
    }
    return;
  }
  // Moves over the same point change nothing and must not queue replots.
  if (nearest->position == hoveredPosition_) return;
  hoveredPosition_ = nearest->position;
  hovered->data()->set({QCPGraphData(nearest->x, nearest->y)});
  hovered->setVisible(true);
  plot_->replot(QCustomPlot::rpQueuedReplot);
  const int row = nearest->position + 1;
  readout_->setText(QStringLiteral("<b>Точка данных %1</b> &nbsp; %2 %3 &nbsp; X: %4 &nbsp; Y: %5")
                        .arg(nearest->position)
                        .arg(toQString(model_->cell(row, kDateColumn)),
                             toQString(model_->cell(row, kTimeColumn)),
                             toQString(model_->cell(row, chosenColumn(xSelector_))),
                             toQString(model_->cell(row, chosenColumn(ySelector_)))));
}

void ScatterView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) rebuild();
}

}  // namespace kq
