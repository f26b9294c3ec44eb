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
const PointStyle kPointStyles[kMaxDrives] = {{QCPScatterStyle::ssDisc, QColor(0, 70, 200, 140)},
                                             {QCPScatterStyle::ssSquare, QColor(220, 60, 0, 200)},
                                             {QCPScatterStyle::ssTriangle, QColor(0, 150, 40, 200)},
                                             {QCPScatterStyle::ssDiamond, QColor(170, 0, 170, 200)}};
constexpr int kOutlineSize = 9;
// The drop-down lists are as wide as the longest title plus a scroll bar.
constexpr int kListPadding = 40;

QComboBox* makeSelector(const char* objectName) {
  auto* selector = new QComboBox;
  selector->setObjectName(QString::fromLatin1(objectName));
  selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  selector->setMinimumContentsLength(30);
  return selector;
}
}  // namespace

ScatterView::ScatterView(ChartSession& session, QWidget* parent) : QWidget(parent), session_(session) {
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

  for (int d = 0; d < kMaxDrives; ++d) {
    QCPGraph* points = plot_->addGraph();
    const PointStyle& style = kPointStyles[d];
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(
        d == 0 ? QCPScatterStyle(style.shape, style.colour, style.colour, kPointSize)
               : QCPScatterStyle(style.shape, QPen(style.colour, 1.5), Qt::NoBrush, kOutlineSize));
    points->setAdaptiveSampling(true);
    points->setName(tr("Запись %1").arg(QString::fromStdString(DriveComparison::driveName(d))));
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
  choices->addWidget(new QLabel(tr("Параметр X:")));
  choices->addWidget(xSelector_, 1);
  choices->addSpacing(16);
  choices->addWidget(new QLabel(tr("Параметр Y:")));
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
  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
  connect(plot_, &QCustomPlot::mouseMove, this,
          [this](QMouseEvent* event) { showRecordAt(event->position()); });

  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("scatterMenu"));
  addImageActions(*menu_, *plot_, *this);
  plot_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(plot_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { menu_->popup(plot_->mapToGlobal(pos)); });
}

void ScatterView::update(ChartChanges changes) {
  if (changes.has(ChartChange::model)) showTitles();
  if (changes.has(ChartChange::drives)) plot_->resetZoom();
  if (changes.hasAny(ChartChange::model | ChartChange::drives | ChartChange::filter | ChartChange::markers |
                     ChartChange::offsets))
    rebuild();
}

void ScatterView::showTitles() {
  QStringList titles;
  int widest = 0;
  for (const std::string& title : session_.model().titles()) {
    titles << toQString(title);
    widest = std::max(widest, fontMetrics().horizontalAdvance(titles.back()));
  }
  // The first two parameters unless the new titles hold the last choices.
  refillKeepingChoice(xSelector_, titles, 0);
  refillKeepingChoice(ySelector_, titles, 1);
  for (QComboBox* selector : {xSelector_, ySelector_})
    selector->view()->setMinimumWidth(widest + kListPadding);
  plot_->resetZoom();
}

int ScatterView::columnOf(const QComboBox* selector, int drive) const {
  return drive == 0 ? chosenColumn(selector) : chosenColumn(selector, session_.driveModel(drive));
}

std::optional<std::vector<char>> ScatterView::betweenMarkers(int drive) const {
  const std::optional<double> marker1 = session_.marker(0), marker2 = session_.marker(1);
  if (!marker1 || !marker2) return std::nullopt;
  const double from = std::min(*marker1, *marker2), to = std::max(*marker1, *marker2);
  if (session_.driveCount() > 1) return recordsBetween(session_.comparison(), drive, from, to);
  std::vector<char> between(std::size_t(session_.model().recordCount()), 0);
  for (int p = std::max(0, int(from)); p <= int(to) && p < int(between.size()); ++p) between[p] = 1;
  return between;
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
  plot_->graph(kMaxDrives)->setVisible(false);
  const int drives = session_.driveCount();
  QString note, lacking;
  for (int d = 0; d < kMaxDrives; ++d) {
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
    const DumpModel& model = session_.driveModel(d);
    const std::vector<double> xs = plotValues(model, xColumn, session_.kept(d));
    const std::vector<double> ys = plotValues(model, yColumn, session_.kept(d));
    const std::optional<std::vector<char>> between = betweenMarkers(d);
    if (between)
      note = drives > 1 ? tr("Записи между точками")
                        : tr("Записи %1–%2 (между точками)")
                              .arg(int(std::min(*session_.marker(0), *session_.marker(1))))
                              .arg(int(std::max(*session_.marker(0), *session_.marker(1))));
    QVector<QCPGraphData> data;
    data.reserve(qsizetype(xs.size()));
    for (std::size_t position = 0; position < xs.size(); ++position) {
      if (between && !(*between)[position]) continue;
      if (std::isnan(xs[position]) || std::isnan(ys[position])) continue;  // filtered out or no value
      points_.push_back({xs[position], ys[position], d, int(position)});
      data.push_back(QCPGraphData(xs[position], ys[position]));
    }
    graph->data()->set(data, false);
    if (drives > 1) graph->addToLegend();
  }
  if (note.isEmpty() && session_.hasRecords() && chosenColumn(xSelector_) >= 0 &&
      chosenColumn(ySelector_) >= 0)
    note = tr("Все записи");
  if (!lacking.isEmpty()) note += tr("; X или Y нет в записи %1").arg(lacking);
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
  QCPGraph* hovered = plot_->graph(kMaxDrives);
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
  const DumpModel& model = session_.driveModel(nearest->drive);
  const QString drive =
      session_.driveCount() > 1
          ? tr("Запись %1, ").arg(QString::fromStdString(DriveComparison::driveName(nearest->drive)))
          : QString();
  readout_->setText(tr("<b>%1Точка данных %2</b> &nbsp; %3 %4 &nbsp; X: %5 &nbsp; Y: %6")
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
