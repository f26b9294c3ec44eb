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

#include "chart/cell_table_view.h"
#include "chart/channel_dialog.h"
#include "chart/formula_edit.h"
#include "chart/image_actions.h"
#include "chart/readout_text.h"
#include "chart/scatter_view.h"
#include "chart/series_plot.h"
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
constexpr int kFilterRowHeight = 28;
constexpr int kFilterFieldWidth = 520;

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
  auto* drivesRow = new QWidget;
  buildDrivesRow(drivesRow);
  chartColumn->addWidget(drivesRow);
  chartColumn->addWidget(positionReadout_);
  chartColumn->addWidget(markerReadout_);

  scatter_ = new ScatterView;
  cellTable_ = new CellTableView;
  auto* tabs = new QTabWidget;
  tabs->setObjectName(QStringLiteral("chartTabs"));
  tabs->setDocumentMode(true);
  tabs->addTab(chartTab, QStringLiteral("График"));
  tabs->addTab(scatter_, QStringLiteral("Зависимость"));
  tabs->addTab(cellTable_, QStringLiteral("Таблица"));
  connect(cellTable_, &CellTableView::recordsChosen, this, [this](const std::vector<int>& positions) {
    marked_ = positions;
    plot_->markRecords(marked_);
  });

  auto* below = new QWidget;
  auto* belowLayout = new QVBoxLayout(below);
  belowLayout->setContentsMargins(0, 0, 0, 0);
  belowLayout->setSpacing(2);
  auto* filterRow = new QWidget;
  buildFilterRow(filterRow);
  belowLayout->addWidget(filterRow);
  belowLayout->addWidget(grid_, 1);

  auto* top = new QWidget;
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->addWidget(panel);
  topLayout->addWidget(tabs, 1);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(top);
  splitter->addWidget(below);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({kChartHeight - kFilterRowHeight, kGridHeight + kFilterRowHeight});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(splitter);
  placeOnScreen();
  rebuildComparison(false);
}

// The grid's view outlives model_ by a moment while the window's children are
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
  plot_->setModel(&model_);

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
  buildChannelMenu();
  plotMenu_->addSeparator();
  addDrivesActions();
  addWorkspaceActions();
  plotMenu_->addSeparator();
  addImageActions(*plotMenu_, *plot_, *this);
  plot_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(plot_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    menuPosition_ = plot_->xAxis->pixelToCoord(pos.x());
    if (driveCount() < 2) menuPosition_ = qRound(menuPosition_);
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
            const int position = current.row();
            if (driveCount() < 2)
              cursor_->setX(position);
            else if (position < int(times_[shownGridDrive_].size()))
              cursor_->setX(times_[shownGridDrive_][position]);
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

void ChartWindow::prepare(const Dump& dump, char decimalSeparator, const QString& path) {
  if (dump.empty()) return;
  // Everything that can fail happens before the window changes, so a failure
  // leaves it as it was.
  DumpModel model = buildDumpModel(dump, decimalSeparator);
  // Channels and the filter carry over to the new dump where its titles allow.
  QString problems;
  std::vector<ChannelDefinition> channels;
  for (const ChannelDefinition& channel : channels_) {
    try {
      addChannels(model, std::span(&channel, 1));
      channels.push_back(channel);
    } catch (const std::runtime_error& error) {
      problems += QString::fromUtf8(error.what()) + QLatin1Char('\n');
    }
  }
  std::vector<char> kept;
  const QString filterProblem = filterOver(model, kept);

  std::array<int, kSeriesCount> items{};
  for (int i = 0; i < kSeriesCount; ++i) {
    const int initial = SeriesPlot::kInitialItems[i];
    items[i] = initial < model.decodedCount() ? initial : -1;
  }
  for (auto& marker : markers_) marker->hide();
  cursor_->hide();
  positionReadout_->clear();
  gridModel_->setCells(0, 0, {});
  model_ = std::move(model);
  dumpPath_ = path;
  // A new drive A: the others start with it again.
  rebuildComparison(false);
  channels_ = std::move(channels);
  kept_ = std::move(kept);
  marked_.clear();
  filterError_->setText(problems + (filterProblem.isEmpty()
                                        ? QString()
                                        : QStringLiteral("Фильтр не применён: ") + filterProblem));
  showModel();
  for (int i = 0; i < kSeriesCount; ++i) {
    QSignalBlocker blocker(parameterSelectors_[i]);
    parameterSelectors_[i]->setCurrentIndex(items[i]);
    parameterSelectors_[i]->lineEdit()->setCursorPosition(0);  // the signal is blocked here
  }
  // Switching a box off runs its handler, which moves its series to the left axis.
  for (QCheckBox* box : rightAxisSwitches_) box->setChecked(false);
  showDrives();
  refillSeries();
  if (model_.decodedCount() == 0)
    for (int i = 0; i < kSeriesCount; ++i) plot_->setSeriesTitle(i, {});  // no titles of an earlier dump
  plot_->resetZoom();
  refresh();
  show();
  raise();
  activateWindow();
}

void ChartWindow::showModel() {
  showGridDrive(shownGridDrive_);
  QStringList titles;
  int widest = 0;
  for (const std::string& title : model_.titles()) {
    titles << QString::fromStdString(title);
    widest = std::max(widest, fontMetrics().horizontalAdvance(titles.back()));
  }
  const int listWidth = widest + kListPadding;
  scatter_->setData(&model_, &kept_, titles, listWidth);
  cellTable_->setData(&model_, &kept_, titles);
  filterField_->setTitles(titles);
  for (int i = 0; i < kSeriesCount; ++i) {
    QSignalBlocker blocker(parameterSelectors_[i]);
    const QString chosen = parameterSelectors_[i]->currentText();
    parameterSelectors_[i]->clear();
    parameterSelectors_[i]->addItems(titles);
    parameterSelectors_[i]->setCurrentIndex(titles.indexOf(chosen));
    parameterSelectors_[i]->lineEdit()->setCursorPosition(0);
    parameterSelectors_[i]->view()->setMinimumWidth(listWidth);
    parameterSelectors_[i]->completer()->popup()->setMinimumWidth(listWidth);
  }
  updateFilterCount();
}

void ChartWindow::refillSeries() {
  syncComparedDrives();
  const bool known = model_.decodedCount() > 0;
  for (int i = 0; i < kSeriesCount; ++i) {
    const int item = chosenItem(i);
    std::vector<double> values;
    if (known && shownSwitches_[i]->isChecked()) values = plotValues(model_, kFrameColumns + item, kept_);
    setSeriesPoints(i, values, kFrameColumns + item);
    if (!values.empty())
      plot_->setSeriesTitle(i, item >= 0 ? parameterSelectors_[i]->itemText(item) : QString());
  }
  plot_->markRecords(marked_);
}

void ChartWindow::buildFilterRow(QWidget* row) {
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(QStringLiteral("Фильтр"));
  filterField_ = new FormulaEdit;
  filterField_->setObjectName(QStringLiteral("filterField"));
  filterField_->setClearButtonEnabled(true);
  filterField_->setMinimumWidth(kFilterFieldWidth);
  filterField_->setPlaceholderText(
      QStringLiteral("например: [Обороты двигателя] > 3000 && [Расчетная нагрузка] > 80 — Enter применяет"));
  label->setBuddy(filterField_);
  filterError_ = new QLabel;
  filterError_->setObjectName(QStringLiteral("filterError"));
  filterError_->setStyleSheet(QStringLiteral("color: #b00000"));
  filterCount_ = new QLabel;
  filterCount_->setObjectName(QStringLiteral("filterCount"));
  layout->addWidget(label);
  layout->addWidget(filterField_);
  layout->addWidget(filterCount_);
  layout->addWidget(filterError_, 1);
  // With drives compared: whose records the grid shows.
  gridDrive_ = new QComboBox;
  gridDrive_->setObjectName(QStringLiteral("gridDrive"));
  gridDrive_->hide();
  layout->addWidget(gridDrive_);
  connect(gridDrive_, &QComboBox::activated, this, &ChartWindow::showGridDrive);
  connect(filterField_, &QLineEdit::returnPressed, this, [this] { applyFilter(filterField_->text()); });
  // The clear button empties the field: the filter goes with it.
  connect(filterField_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.isEmpty() && !filterText_.isEmpty()) applyFilter(text);
  });
}

QString ChartWindow::filterOver(const DumpModel& model, std::vector<char>& kept) const {
  kept.clear();
  if (filterText_.trimmed().isEmpty()) return {};
  try {
    kept = Expression(filterText_.toStdString(), model.titles()).keep(model);
  } catch (const ExpressionError& error) {
    return QString::fromUtf8(error.what());
  }
  return {};
}

bool ChartWindow::applyFilter(const QString& text) {
  std::vector<char> kept;
  if (!text.trimmed().isEmpty()) {
    try {
      kept = Expression(text.toStdString(), model_.titles()).keep(model_);
    } catch (const ExpressionError& error) {
      filterError_->setText(QString::fromUtf8(error.what()));
      return false;
    }
  }
  filterError_->clear();
  filterText_ = text.trimmed().isEmpty() ? QString() : text;
  if (filterField_->text() != text) filterField_->setText(text);
  kept_ = std::move(kept);
  marked_.clear();
  positionReadout_->clear();  // it named values the filter may drop
  updateFilterCount();
  refillSeries();
  scatter_->rebuild();
  cellTable_->rebuild();
  refresh();
  return true;
}

void ChartWindow::updateFilterCount() {
  if (kept_.empty()) {
    filterCount_->clear();
    return;
  }
  filterCount_->setText(
      keptCountText(long(std::count(kept_.begin(), kept_.end(), char(1))), long(model_.recordCount())));
}

void ChartWindow::buildChannelMenu() {
  auto* add = plotMenu_->addAction(QStringLiteral("Новый канал…"));
  add->setObjectName(QStringLiteral("newChannel"));
  connect(add, &QAction::triggered, this, [this] { openChannelDialog(-1); });
  changeChannelMenu_ = plotMenu_->addMenu(QStringLiteral("Изменить канал"));
  changeChannelMenu_->setObjectName(QStringLiteral("changeChannelMenu"));
  removeChannelMenu_ = plotMenu_->addMenu(QStringLiteral("Удалить канал"));
  removeChannelMenu_->setObjectName(QStringLiteral("removeChannelMenu"));
  connect(plotMenu_, &QMenu::aboutToShow, this, [this] {
    changeChannelMenu_->clear();
    removeChannelMenu_->clear();
    for (int i = 0; i < int(channels_.size()); ++i) {
      const QString name = QString::fromStdString(channels_[i].name);
      connect(changeChannelMenu_->addAction(name + QStringLiteral("…")), &QAction::triggered, this,
              [this, i] { openChannelDialog(i); });
      connect(removeChannelMenu_->addAction(name), &QAction::triggered, this, [this, i] {
        if (QString problem = removeChannel(i); !problem.isEmpty()) showErrorBox(this, problem);
      });
    }
    changeChannelMenu_->setEnabled(!channels_.empty());
    removeChannelMenu_->setEnabled(!channels_.empty());
  });
}

void ChartWindow::openChannelDialog(int index) {
  QStringList titles;
  for (const std::string& title : model_.titles()) titles << QString::fromStdString(title);
  const bool isNew = index < 0;
  ChannelDialog dialog(this, isNew ? QStringLiteral("Новый канал") : QStringLiteral("Изменить канал"), titles,
                       [this, index, isNew](const QString& name, const QString& formula) {
                         return isNew ? addChannel(name, formula) : changeChannel(index, name, formula);
                       });
  if (!isNew)
    dialog.setChannel(QString::fromStdString(channels_[index].name),
                      QString::fromStdString(channels_[index].formula));
  dialog.exec();
}

QString ChartWindow::setChannels(std::vector<ChannelDefinition> channels) {
  DumpModel model = model_;
  model.removeAllDerived();
  try {
    addChannels(model, channels);
  } catch (const std::runtime_error& error) {
    return QString::fromUtf8(error.what());
  }
  std::vector<char> kept;
  const QString filterProblem = filterOver(model, kept);
  if (!filterProblem.isEmpty()) return QStringLiteral("фильтр: ") + filterProblem;
  // Series on a channel that moves or goes are emptied by their changed item.
  gridModel_->setCells(0, 0, {});
  model_ = std::move(model);
  channels_ = std::move(channels);
  kept_ = std::move(kept);
  showModel();
  refillSeries();
  refresh();
  return {};
}

QString ChartWindow::addChannel(const QString& name, const QString& formula) {
  std::vector<ChannelDefinition> channels = channels_;
  channels.push_back({name.toStdString(), formula.toStdString()});
  return setChannels(std::move(channels));
}

QString ChartWindow::changeChannel(int index, const QString& name, const QString& formula) {
  std::vector<ChannelDefinition> channels = channels_;
  channels.at(std::size_t(index)) = {name.toStdString(), formula.toStdString()};
  return setChannels(std::move(channels));
}

QString ChartWindow::removeChannel(int index) {
  std::vector<ChannelDefinition> channels = channels_;
  channels.erase(channels.begin() + index);
  return setChannels(std::move(channels));
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
  if (shownSwitches_[series]->isChecked()) values = plotValues(model_, column, kept_);
  setSeriesPoints(series, values, column);
  if (!values.empty())
    plot_->setSeriesTitle(series, item >= 0 ? parameterSelectors_[series]->itemText(item) : QString());
  plot_->markRecords(marked_);
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
  plotDrives(series, values, column);
  sources_[series].visible = shownSwitches_[series]->isChecked();
  sources_[series].column = column;
  sources_[series].points = int(values.size());
}

void ChartWindow::setMarker(int marker, double x) {
  int last = model_.recordCount() - 1;
  if (last < 0) return;
  if (driveCount() < 2) {
    markers_[marker - 1]->setX(std::clamp(qRound(x), 0, last));
  } else {
    double first = x, end = x;
    for (const auto& times : times_) {
      if (times.empty()) continue;
      first = std::min(first, *std::min_element(times.begin(), times.end()));
      end = std::max(end, *std::max_element(times.begin(), times.end()));
    }
    markers_[marker - 1]->setX(std::clamp(x, first, end));
  }
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
  scatter_->setRecords(driveCount() < 2 && at[0] && at[1] ? std::optional(std::pair(*at[0], *at[1]))
                                                          : std::nullopt);
  if (!at[0] && !at[1]) {
    markerReadout_->hide();
    return;
  }
  if (driveCount() > 1) {
    std::optional<double> times[2];
    for (int m = 0; m < 2; ++m)
      if (markers_[m]->isSet()) times[m] = markers_[m]->x();
    updateCompareReadout(times[0], times[1]);
    return;
  }
  MarkerReadout readout = readMarkers(model_, sources_, at[0], at[1], kept_);
  markerReadout_->setText(markerReadoutText(model_, readout, plot_->seriesTitles(), at[0], at[1]));
  markerReadout_->show();
}

void ChartWindow::updatePositionReadout(int x) {
  if (driveCount() > 1) return updateComparePositionReadout(x);
  positionReadout_->setText(positionReadoutText(model_, sources_, plot_->seriesTitles(), x, kept_));
}

void ChartWindow::runHandler(void (ChartWindow::*handler)(int), int series) {
  try {
    (this->*handler)(series);
  } catch (const std::exception& error) {
    showErrorBox(this, QString::fromUtf8(error.what()));
  }
}

}  // namespace kq
