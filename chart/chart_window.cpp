#include "chart/chart_window.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "chart/image_actions.h"
#include "chart/readout_text.h"
#include "chart/scatter_view.h"
#include "chart/series_plot.h"
#include "analysis/series_values.h"
#include "decode/conversion_error.h"
#include "ui/error_box.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/plot_marker.h"

namespace kq {
namespace {
constexpr QSize kClientSize(1601, 858);
constexpr QPoint kPosition(244, 152);
// Room for the window frame and title bar, which the client size leaves out.
constexpr QSize kFrameAllowance(8, 34);
constexpr int kPanelWidth = 185;
constexpr int kGridHeight = 177;
constexpr int kChartHeight = 681;
constexpr int kGridRowHeight = 24;
constexpr int kGridColumnWidth = 110;
// The drop-down and suggestion lists, the scatter tab's too, are as wide as the longest title plus a
// scroll bar.
constexpr int kListPadding = 40;
constexpr int kPositionReadoutLines = 3;

}  // namespace

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("chartWindow"));
  setWindowTitle(QStringLiteral("График"));

  auto* panel = new QGroupBox;
  panel->setObjectName(QStringLiteral("seriesPanel"));
  panel->setFixedWidth(kPanelWidth);
  buildPanel(panel);
  buildChart();
  buildGrid();

  positionReadout_ = new QLabel;
  positionReadout_->setObjectName(QStringLiteral("positionReadout"));
  positionReadout_->setTextFormat(Qt::RichText);
  positionReadout_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  positionReadout_->setWordWrap(true);
  // Room for the values of ten series, so the chart does not jump as the mouse moves.
  positionReadout_->setMinimumHeight(kPositionReadoutLines * positionReadout_->fontMetrics().lineSpacing());
  positionReadout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  markerReadout_ = new QLabel;
  markerReadout_->setObjectName(QStringLiteral("markerReadout"));
  markerReadout_->setTextFormat(Qt::RichText);
  markerReadout_->setWordWrap(true);
  markerReadout_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  markerReadout_->hide();

  auto* chartTab = new QWidget;
  auto* chartColumn = new QVBoxLayout(chartTab);
  chartColumn->setContentsMargins(0, 0, 0, 0);
  chartColumn->addWidget(plot_, 1);
  chartColumn->addWidget(positionReadout_);
  chartColumn->addWidget(markerReadout_);

  scatter_ = new ScatterView;
  auto* tabs = new QTabWidget;
  tabs->setObjectName(QStringLiteral("chartTabs"));
  tabs->setDocumentMode(true);
  tabs->addTab(chartTab, QStringLiteral("График"));
  tabs->addTab(scatter_, QStringLiteral("Зависимость"));

  auto* top = new QWidget;
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->addWidget(panel);
  topLayout->addWidget(tabs, 1);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(top);
  splitter->addWidget(grid_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({kChartHeight, kGridHeight});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(splitter);
  placeOnScreen();
}

// The grid's view outlives data_ by a moment while the window's children are
// destroyed: it must no longer ask for cells.
ChartWindow::~ChartWindow() { gridModel_->setCells(0, 0, {}); }

void ChartWindow::buildPanel(QWidget* panel) {
  auto* layout = new QGridLayout(panel);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setVerticalSpacing(2);
  for (int series = 0; series < kSeriesCount; ++series) {
    const QString number = QString::number(series + 1);
    QCheckBox* shown = new QCheckBox(QStringLiteral("График ") + number);
    shown->setObjectName(QStringLiteral("seriesShown") + number);
    shown->setChecked(true);
    QCheckBox* rightAxis = new QCheckBox(QStringLiteral("Ось R"));
    rightAxis->setObjectName(QStringLiteral("seriesRightAxis") + number);
    QComboBox* selector = new QComboBox;
    selector->setObjectName(QStringLiteral("seriesParameter") + number);
    selector->setEditable(true);
    selector->setInsertPolicy(QComboBox::NoInsert);
    selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    selector->setMinimumContentsLength(8);
    selector->completer()->setCompletionMode(QCompleter::PopupCompletion);
    selector->completer()->setFilterMode(Qt::MatchContains);
    shownSwitches_[series] = shown;
    rightAxisSwitches_[series] = rightAxis;
    parameterSelectors_[series] = selector;

    layout->addWidget(shown, 3 * series, 0);
    layout->addWidget(rightAxis, 3 * series, 1);
    layout->addWidget(selector, 3 * series + 1, 0, 1, 2);
    layout->setRowMinimumHeight(3 * series + 2, 4);
    layout->setRowStretch(3 * series + 2, 1);

    // Only the user's choices run the selector handler, as the preparation's
    // own list changes must not.
    connect(selector, &QComboBox::activated, this,
            [this, series] { runHandler(&ChartWindow::onSeriesParameterChosen, series); });
    // Long titles: show their beginning whichever way the item was chosen.
    connect(selector, &QComboBox::currentIndexChanged, selector->lineEdit(),
            [edit = selector->lineEdit()] { edit->setCursorPosition(0); });
    connect(selector->lineEdit(), &QLineEdit::textEdited, this,
            [this, series] { runHandler(&ChartWindow::onSeriesParameterChosen, series); });
    connect(shown, &QCheckBox::toggled, this,
            [this, series] { runHandler(&ChartWindow::onSeriesShown, series); });
    connect(rightAxis, &QCheckBox::toggled, this,
            [this, series] { runHandler(&ChartWindow::onRightAxisToggled, series); });
  }
  timeAxisSwitch_ = new QCheckBox(QStringLiteral("Ось времени"));
  timeAxisSwitch_->setObjectName(QStringLiteral("timeAxisSwitch"));
  layout->addWidget(timeAxisSwitch_, 3 * kSeriesCount, 0, 1, 2);
  connect(timeAxisSwitch_, &QCheckBox::toggled, this, &ChartWindow::onTimeAxisToggled);
}

void ChartWindow::buildChart() {
  plot_ = new SeriesPlot;
  plot_->setObjectName(QStringLiteral("plot"));
  plot_->setMinimumHeight(200);
  plot_->setGrid(&data_.grid);

  markers_[0] = std::make_unique<PlotMarker>(plot_, QPen(Qt::black, 1), QStringLiteral("1"));
  markers_[1] = std::make_unique<PlotMarker>(plot_, QPen(Qt::black, 1, Qt::DashLine), QStringLiteral("2"));
  cursor_ = std::make_unique<PlotMarker>(plot_, QPen(QColor(96, 96, 96), 1, Qt::DotLine));

  plotMenu_ = new QMenu(this);
  plotMenu_->setObjectName(QStringLiteral("plotMenu"));
  connect(plotMenu_->addAction(QStringLiteral("Точка 1")), &QAction::triggered, this,
          [this] { setMarker(1, menuPosition_); });
  connect(plotMenu_->addAction(QStringLiteral("Точка 2")), &QAction::triggered, this,
          [this] { setMarker(2, menuPosition_); });
  plotMenu_->addSeparator();
  addImageActions(*plotMenu_, *plot_, *this);
  plot_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(plot_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    menuPosition_ = qRound(plot_->xAxis->pixelToCoord(pos.x()));
    plotMenu_->popup(plot_->mapToGlobal(pos));
  });
  connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
    updatePositionReadout(qRound(plot_->xAxis->pixelToCoord(event->pos().x())));
  });
}

void ChartWindow::buildGrid() {
  gridModel_ = new GridModel(this);
  grid_ = new GridView(kFrameColumns, kGridRowHeight, kGridColumnWidth);
  grid_->setObjectName(QStringLiteral("grid"));
  grid_->setModel(gridModel_);
  grid_->setMinimumHeight(3 * kGridRowHeight);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid()) return;
            cursor_->setX(current.row());
            plot_->replot(QCustomPlot::rpQueuedReplot);
          });
}

void ChartWindow::placeOnScreen() {
  QRect available = screen()->availableGeometry();
  QSize client = kClientSize.boundedTo(available.size() - kFrameAllowance);
  resize(client);
  int x =
      std::clamp(kPosition.x(), 0, std::max(0, available.width() - client.width() - kFrameAllowance.width()));
  int y = std::clamp(kPosition.y(), 0,
                     std::max(0, available.height() - client.height() - kFrameAllowance.height()));
  move(available.topLeft() + QPoint(x, y));
}

void ChartWindow::prepare(const Dump& dump, char decimalSeparator) {
  if (dump.empty()) return;
  // Everything that can fail happens before the window changes, so a failure
  // leaves it as it was.
  ChartData data = prepareChartData(dump, decimalSeparator);
  bool known = !data.titles.empty();
  std::array<int, kSeriesCount> items{};
  std::array<std::vector<double>, kSeriesCount> values;
  for (int i = 0; i < kSeriesCount; ++i) {
    const int initial = SeriesPlot::kInitialItems[i];
    items[i] = initial < int(data.titles.size()) ? initial : -1;
    if (known && shownSwitches_[i]->isChecked())
      appendSeriesValues(data.grid, kFrameColumns + items[i], decimalSeparator, values[i]);
  }

  for (auto& marker : markers_) marker->hide();
  cursor_->hide();
  positionReadout_->clear();
  gridModel_->setCells(0, 0, {});
  data_ = std::move(data);
  separator_ = decimalSeparator;
  gridModel_->setCells(data_.grid.rowCount(), data_.grid.columnCount(),
                       [this](int row, int column) { return data_.grid.cell(row, column); });

  QStringList titles;
  int widest = 0;
  for (const std::string& title : data_.titles) {
    titles << QString::fromStdString(title);
    widest = std::max(widest, fontMetrics().horizontalAdvance(titles.back()));
  }
  const int listWidth = widest + kListPadding;
  scatter_->setData(&data_.grid, titles, listWidth, separator_);
  for (int i = 0; i < kSeriesCount; ++i) {
    QSignalBlocker blocker(parameterSelectors_[i]);
    parameterSelectors_[i]->clear();
    parameterSelectors_[i]->addItems(titles);
    parameterSelectors_[i]->setCurrentIndex(items[i]);
    parameterSelectors_[i]->lineEdit()->setCursorPosition(0);  // the signal is blocked here
    parameterSelectors_[i]->view()->setMinimumWidth(listWidth);
    parameterSelectors_[i]->completer()->popup()->setMinimumWidth(listWidth);
  }
  // Switching a box off runs its handler, which moves its series to the left axis.
  for (QCheckBox* box : rightAxisSwitches_) box->setChecked(false);

  for (int i = 0; i < kSeriesCount; ++i) {
    setSeriesPoints(i, values[i], kFrameColumns + items[i]);
    if (!values[i].empty())
      plot_->setSeriesTitle(i, titles[items[i]]);
    else if (!known)
      plot_->setSeriesTitle(i, {});  // no titles of an earlier dump over a dump without a table
  }
  plot_->resetZoom();
  refresh();
  show();
  raise();
  activateWindow();
}

int ChartWindow::chosenItem(int series) const {
  const QComboBox* selector = parameterSelectors_[series];
  int index = selector->currentIndex();
  if (index >= 0 && selector->itemText(index) == selector->currentText()) return index;
  return selector->findText(selector->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

void ChartWindow::onSeriesParameterChosen(int series) {
  int item = chosenItem(series);
  int column = kFrameColumns + item;
  std::vector<double> values;
  std::optional<ConversionError> failure;
  if (shownSwitches_[series]->isChecked()) {
    try {
      appendSeriesValues(data_.grid, column, separator_, values);
    } catch (const ConversionError& error) {
      failure = error;
    }
  }
  setSeriesPoints(series, values, column);
  if (!values.empty())
    plot_->setSeriesTitle(series, item >= 0 ? parameterSelectors_[series]->itemText(item) : QString());
  if (failure) {
    refresh();
    throw *failure;
  }
  refresh();
}

void ChartWindow::onSeriesShown(int series) {
  sources_[series].visible = shownSwitches_[series]->isChecked();
  plot_->setSeriesShown(series, sources_[series].visible);
  refresh();
}

// The marker readout names series without the axis mark, so it stays as it is.
void ChartWindow::onRightAxisToggled(int series) {
  plot_->setOnRightAxis(series, rightAxisSwitches_[series]->isChecked());
  plot_->refresh();
}

void ChartWindow::onTimeAxisToggled() {
  plot_->setTimeAxis(timeAxisSwitch_->isChecked());
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartWindow::setSeriesPoints(int series, const std::vector<double>& values, int column) {
  plot_->setSeriesPoints(series, values);
  sources_[series].visible = shownSwitches_[series]->isChecked();
  sources_[series].column = column;
  sources_[series].points = int(values.size());
}

void ChartWindow::setMarker(int marker, int x) {
  int last = data_.grid.rowCount() - 2;
  if (last < 0) return;
  markers_[marker - 1]->setX(std::clamp(x, 0, last));
  plot_->replot(QCustomPlot::rpQueuedReplot);  // the data, and so the axes, stay as they are
  updateMarkerReadout();
}

void ChartWindow::refresh() {
  plot_->refresh();
  updateMarkerReadout();
}

void ChartWindow::updateMarkerReadout() {
  std::optional<int> at[2];
  for (int m = 0; m < 2; ++m)
    if (markers_[m]->isSet()) at[m] = int(markers_[m]->x());
  scatter_->setRecords(at[0] && at[1] ? std::optional(std::pair(*at[0], *at[1])) : std::nullopt);
  if (!at[0] && !at[1]) {
    markerReadout_->hide();
    return;
  }
  MarkerReadout readout = readMarkers(data_.grid, sources_, at[0], at[1], separator_);
  markerReadout_->setText(markerReadoutText(data_.grid, readout, plot_->seriesTitles(), at[0], at[1]));
  markerReadout_->show();
}

void ChartWindow::updatePositionReadout(int x) {
  positionReadout_->setText(positionReadoutText(data_.grid, sources_, plot_->seriesTitles(), x));
}

void ChartWindow::runHandler(void (ChartWindow::*handler)(int), int series) {
  try {
    (this->*handler)(series);
  } catch (const std::exception& error) {
    showErrorBox(this, QString::fromUtf8(error.what()));
  }
}

}  // namespace kq
