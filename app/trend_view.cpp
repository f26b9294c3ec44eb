#include "app/trend_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>
#include <limits>

#include "app/library_text.h"
#include "decode/number_text.h"
#include "ui/plot_view.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// What a car's history is first looked at for: the engine's temperature, trip by trip.
const char* const kFirstParameter = "Температура охлаждающей жидкости";
constexpr double kHoverPixels = 8;
constexpr int kPointSize = 6;
const QColor kLineColour(0, 70, 200);

// In the order of TrendStatistic.
const char* const kStatistics[] = {QT_TRANSLATE_NOOP("kq::TrendView", "минимум"),
                                   QT_TRANSLATE_NOOP("kq::TrendView", "максимум"),
                                   QT_TRANSLATE_NOOP("kq::TrendView", "среднее")};
}  // namespace

TrendView::TrendView(QWidget* parent)
    : QWidget(parent),
      parameter_(new QComboBox),
      statistic_(new QComboBox),
      plot_(new PlotView),
      readout_(new QLabel) {
  parameter_->setObjectName(QStringLiteral("trendParameter"));
  parameter_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  parameter_->setMinimumContentsLength(30);
  statistic_->setObjectName(QStringLiteral("trendStatistic"));
  for (const char* name : kStatistics) statistic_->addItem(tr(name));
  statistic_->setCurrentIndex(int(TrendStatistic::mean));
  plot_->setObjectName(QStringLiteral("trendPlot"));
  plot_->setShowsPoints(true);
  readout_->setObjectName(QStringLiteral("trendReadout"));
  readout_->setMinimumHeight(readout_->fontMetrics().lineSpacing());

  auto dates = QSharedPointer<QCPAxisTickerDateTime>::create();
  // Moments are the car's clock, which knows no time zone: shown as they are.
  dates->setDateTimeSpec(Qt::UTC);
  dates->setDateTimeFormat(QStringLiteral("dd.MM.yyyy"));
  plot_->xAxis->setTicker(dates);
  plot_->xAxis->setLabel(tr("Начало поездки"));
  QCPGraph* line = plot_->addGraph();
  line->setPen(QPen(kLineColour, 1));
  line->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, kLineColour, kLineColour, kPointSize));
  QCPGraph* hovered = plot_->addGraph();
  hovered->setLineStyle(QCPGraph::lsNone);
  hovered->setScatterStyle(
      QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::red, 2), Qt::NoBrush, 3 * kPointSize));
  hovered->setVisible(false);

  auto* choices = new QHBoxLayout;
  choices->addWidget(new QLabel(tr("Параметр:")));
  choices->addWidget(parameter_, 1);
  choices->addSpacing(16);
  choices->addWidget(new QLabel(tr("за поездку:")));
  choices->addWidget(statistic_);
  choices->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(choices);
  layout->addWidget(plot_, 1);
  layout->addWidget(readout_);

  connect(parameter_, &QComboBox::activated, this, &TrendView::draw);
  connect(statistic_, &QComboBox::activated, this, &TrendView::draw);
  connect(plot_, &QCustomPlot::mouseMove, this,
          [this](QMouseEvent* event) { showTripAt(event->position()); });
}

void TrendView::setHistory(std::shared_ptr<const CarHistory> history) {
  history_ = std::move(history);
  const QString chosen = parameter_->currentText();
  {
    const QSignalBlocker blocker(parameter_);
    parameter_->clear();
    if (history_)
      for (const std::string& title : history_->model().titles()) parameter_->addItem(toQString(title));
    int index = parameter_->findText(chosen);
    if (index < 0) index = parameter_->findText(QString::fromUtf8(kFirstParameter));
    if (index < 0 && parameter_->count() > 0) index = 0;
    parameter_->setCurrentIndex(index);
  }
  plot_->resetZoom();
  draw();
}

void TrendView::draw() {
  points_.clear();
  hovered_ = nullptr;
  readout_->clear();
  plot_->setToolTip(QString());
  QVector<QCPGraphData> data;
  if (history_ && parameter_->currentIndex() >= 0) {
    const int column = kFrameColumns + parameter_->currentIndex();
    for (const TrendPoint& point : trend(*history_, column, TrendStatistic(statistic_->currentIndex()))) {
      const double x = double(point.start);
      // A trip without a value leaves a gap in the line.
      const double y = point.value ? double(*point.value) : std::numeric_limits<double>::quiet_NaN();
      data.push_back(QCPGraphData(x, y));
      if (point.value) points_.push_back({x, y, point.trip, *point.value});
    }
  }
  plot_->graph(0)->data()->set(data, true);
  plot_->graph(1)->setVisible(false);
  plot_->fitToData();
  // Without trips the axis would date its empty range from 1970.
  plot_->xAxis->setTickLabels(!points_.empty());
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void TrendView::showTripAt(const QPointF& pixel) {
  const Point* nearest = nullptr;
  double best = kHoverPixels * kHoverPixels;
  for (const Point& point : points_) {
    const double dx = plot_->xAxis->coordToPixel(point.x) - pixel.x();
    const double dy = plot_->yAxis->coordToPixel(point.y) - pixel.y();
    if (dx * dx + dy * dy <= best) {
      best = dx * dx + dy * dy;
      nearest = &point;
    }
  }
  if (nearest == hovered_) return;  // moves over the same point queue no replots
  hovered_ = nearest;
  QCPGraph* ring = plot_->graph(1);
  if (!nearest) {
    readout_->clear();
    plot_->setToolTip(QString());
    QToolTip::hideText();
    ring->setVisible(false);
    plot_->replot(QCustomPlot::rpQueuedReplot);
    return;
  }
  ring->data()->set({QCPGraphData(nearest->x, nearest->y)});
  ring->setVisible(true);
  plot_->replot(QCustomPlot::rpQueuedReplot);
  const Trip& trip = *history_->trip(nearest->trip);
  std::string value;
  appendNumber(value, nearest->value, history_->model().decimalSeparator());
  const QString text =
      tr("Поездка %1: %2 — %3, %4 %5")
          .arg(trip.number)
          .arg(momentString(trip.start), momentString(trip.end), statistic_->currentText(), toQString(value));
  readout_->setText(text);
  plot_->setToolTip(text);
  QToolTip::showText(plot_->mapToGlobal(pixel.toPoint()), text, plot_);
}

}  // namespace kq
