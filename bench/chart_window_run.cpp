// Times the chart window with a full synthetic dump: preparation until the
// window is painted, a selector change until the chart is redrawn, and the
// process's resident memory, the statistics readout and the scatter plot.
// Run with QT_QPA_PLATFORM=offscreen.
//   chart_window_run [TYPE]                         figures for one run
//   chart_window_run TYPE --hold SECONDS [SCENE]    stays open for screenshots:
//     markers (the default), time (time axis and statistics), scatter,
//     filter (a filter typed), channel (a derived channel plotted), dialog (the
//     channel dialog offering titles), table (the cell table)
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "bench/resident_memory.h"
#include "chart/channel_dialog.h"
#include "chart/chart_window.h"
#include "chart/formula_edit.h"
#include "chart/series_panel.h"
#include "sim/memory.h"
#include "ui/plot_view.h"

namespace {

double milliseconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

// The mouse over a plot at x, and at y or halfway up.
void hover(QCustomPlot* plot, double x, std::optional<double> y) {
  plot->replot();
  QPointF at(plot->xAxis->coordToPixel(x), y ? plot->yAxis->coordToPixel(*y) : plot->height() / 2.0);
  QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(plot, &move);
}

QComboBox* parameterSelector(kq::ChartWindow& window, int series) {
  return window.findChild<QComboBox*>(QStringLiteral("seriesParameter%1").arg(series + 1));
}

// What a user sees after a while: telling parameters chosen, engine speed on
// the right axis, markers, a chosen grid row and the mouse over the chart.
void setScene(kq::ChartWindow& window, int records) {
  const char* choices[] = {"Обороты двигателя",
                           "Температура охлаждающей жидкости",
                           "Скорость автомобиля",
                           "Положение дроссельной заслонки",
                           nullptr,
                           nullptr,
                           nullptr,
                           "Напряжение бортсети"};
  for (int series = 0; series < 8; ++series) {
    if (!choices[series]) continue;
    QComboBox* selector = parameterSelector(window, series);
    int item = selector->findText(QString::fromUtf8(choices[series]), Qt::MatchStartsWith);
    if (item < 0) continue;
    selector->setCurrentIndex(item);
    window.findChild<kq::SeriesPanel*>()->takeParameter(series);
  }
  window.findChild<QCheckBox*>(QStringLiteral("seriesRightAxis1"))->setChecked(true);
  window.session().setMarker(0, records / 5);
  window.session().setMarker(1, records / 2);
  auto* table = window.findChild<QTableView*>(QStringLiteral("grid"));
  table->selectRow(records / 3);
  hover(window.findChild<QCustomPlot*>(QStringLiteral("plot")), records * 0.7, std::nullopt);
}

// The scene above narrowed to five series and half an hour of driving on the
// time axis, with the statistics between the markers.
void setTimeScene(kq::ChartWindow& window, int records) {
  setScene(window, records);
  for (int series : {4, 5, 6, 8, 9})
    window.findChild<QCheckBox*>(QStringLiteral("seriesShown%1").arg(series + 1))->setChecked(false);
  window.findChild<QCheckBox*>(QStringLiteral("timeAxisSwitch"))->setChecked(true);
  auto* plot = window.findChild<kq::PlotView*>(QStringLiteral("plot"));
  plot->showKeys(records * 0.30, records * 0.36);
  window.session().setMarker(0, int(records * 0.312));
  window.session().setMarker(1, int(records * 0.345));
  hover(plot, records * 0.33, std::nullopt);
}

// Engine speed against the air flow sensor's voltage, one point a record.
void setScatterScene(kq::ChartWindow& window, int records) {
  setScene(window, records);
  window.findChild<QTabWidget*>(QStringLiteral("chartTabs"))->setCurrentIndex(1);
  const char* axes[][2] = {{"scatterX", "Обороты двигателя"},
                           {"scatterY", "Напряжение на датчике массового расхода воздуха"}};
  for (const auto& [name, title] : axes) {
    auto* selector = window.findChild<QComboBox*>(QString::fromLatin1(name));
    selector->setCurrentIndex(selector->findText(QString::fromUtf8(title)));
    emit selector->activated(selector->currentIndex());
  }
  auto* scatter = window.findChild<QCustomPlot*>(QStringLiteral("scatterPlot"));
  scatter->replot();
  const QCPGraphData& point = *scatter->graph(0)->data()->at(scatter->graph(0)->dataCount() / 2);
  hover(scatter, point.key, point.value);
}

// Driving above 1,500 rpm, most of a drive: the other records are gaps.
const char* const kFilter = "[Обороты двигателя] > 1500 && [Скорость автомобиля] > 0";

// Driving faster than 60 km/h above 2,000 rpm, a quarter hour of it.
void setFilterScene(kq::ChartWindow& window, int records) {
  setScene(window, records);
  window.session().setFilter("[Скорость автомобиля] > 60 && [Обороты двигателя] > 2000");
  auto* plot = window.findChild<kq::PlotView*>(QStringLiteral("plot"));
  plot->showKeys(records * 0.28, records * 0.40);
  window.session().setMarker(0, int(records * 0.29));
  window.session().setMarker(1, int(records * 0.39));
  hover(plot, records * 0.33, std::nullopt);
}

// Acceleration of the engine: the change of speed from one record to the next.
void setChannelScene(kq::ChartWindow& window, int records) {
  setScene(window, records);
  window.session().addChannel("Ускорение оборотов", "[Обороты двигателя] - [Обороты двигателя@-1]");
  QComboBox* selector = parameterSelector(window, 1);
  selector->setCurrentIndex(selector->findText(QStringLiteral("Ускорение оборотов")));
  window.findChild<kq::SeriesPanel*>()->takeParameter(1);
  window.findChild<QCheckBox*>(QStringLiteral("seriesRightAxis2"))->setChecked(true);
  auto* plot = window.findChild<kq::PlotView*>(QStringLiteral("plot"));
  plot->showKeys(records * 0.30, records * 0.34);
  hover(plot, records * 0.32, std::nullopt);
}

// The channel dialog over the chart, a title being typed and offered.
void setDialogScene(kq::ChartWindow& window, int records) {
  setChannelScene(window, records);
  QStringList titles;
  for (const std::string& title : window.session().model().titles()) titles << QString::fromStdString(title);
  auto* dialog = new kq::ChannelDialog(&window, QStringLiteral("Новый канал"), titles,
                                       [](const QString&, const QString&) { return QString(); });
  dialog->setChannel(QStringLiteral("Обороты на км/ч"), QStringLiteral("[Обороты двигателя] / max([скор"));
  dialog->show();
  dialog->move(window.geometry().center() - QPoint(dialog->width() / 2, 200));
  auto* formula = dialog->findChild<kq::FormulaEdit*>(QStringLiteral("channelFormula"));
  formula->setFocus();
  formula->setCursorPosition(int(formula->text().size()));
  emit formula->textEdited(formula->text());
}

// Mean injection time in cells of engine speed × load, on the controller's axes.
void setTableScene(kq::ChartWindow& window, int records) {
  setScene(window, records);
  window.findChild<QTabWidget*>(QStringLiteral("chartTabs"))->setCurrentIndex(2);
  const char* axes[][2] = {{"tableX", "Обороты двигателя"},
                           {"tableY", "Нагрузка на двигатель"},
                           {"tableZ", "Длительность импульса впрыска"}};
  for (const auto& [name, title] : axes) {
    auto* selector = window.findChild<QComboBox*>(QString::fromLatin1(name));
    selector->setCurrentIndex(selector->findText(QString::fromUtf8(title)));
    emit selector->activated(selector->currentIndex());
  }
  auto* statistic = window.findChild<QComboBox*>(QStringLiteral("tableStatistic"));
  statistic->setCurrentIndex(1);
  emit statistic->activated(1);
  auto* xBreaks = window.findChild<QLineEdit*>(QStringLiteral("tableXBreaks"));
  xBreaks->setText(QStringLiteral("600\t800\t1000\t1200\t1600\t2000\t2400\t2800\t3200\t3600\t4000\t4800"));
  emit xBreaks->editingFinished();
  window.findChild<QSpinBox*>(QStringLiteral("tableMinimumRecords"))->setValue(5);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int type = argc > 1 ? std::atoi(argv[1]) : 6;
  int holdSeconds = argc > 3 && QByteArray(argv[2]) == "--hold" ? std::atoi(argv[3]) : 0;

  kq::Dump dump(kq::sim::syntheticDumpLines(type, kq::sim::kMaxRecords));
  kq::ChartWindow window;
  long baseKb = residentKilobytes();

  QElapsedTimer timer;
  timer.start();
  window.prepare(dump, ',');
  double prepared = milliseconds(timer);
  window.grab();  // paints the window in full, as its first showing does
  double shown = milliseconds(timer);

  if (holdSeconds > 0) {
    const int records = window.session().model().recordCount();
    const QByteArray scene = argc > 4 ? QByteArray(argv[4]) : QByteArray("markers");
    if (scene == "time")
      setTimeScene(window, records);
    else if (scene == "scatter")
      setScatterScene(window, records);
    else if (scene == "filter")
      setFilterScene(window, records);
    else if (scene == "channel")
      setChannelScene(window, records);
    else if (scene == "table")
      setTableScene(window, records);
    else if (scene == "dialog")
      setDialogScene(window, records);
    else
      setScene(window, records);
    QTimer::singleShot(holdSeconds * 1000, &app, &QApplication::quit);
    return app.exec();
  }

  auto* chart = window.findChild<QCustomPlot*>(QStringLiteral("plot"));
  double worstChange = 0;
  double totalChange = 0;
  const int changes = 20;
  for (int n = 0; n < changes; ++n) {
    int series = n % kq::kSeriesCount;
    QComboBox* selector = parameterSelector(window, series);
    selector->setCurrentIndex((selector->currentIndex() + 7) % selector->count());
    timer.restart();
    window.findChild<kq::SeriesPanel*>()->takeParameter(series);
    chart->replot(QCustomPlot::rpImmediateRefresh);
    double ms = milliseconds(timer);
    worstChange = std::max(worstChange, ms);
    totalChange += ms;
  }

  // Markers at both ends: the readout's statistics of ten series over all records.
  window.session().setMarker(0, 0);
  timer.restart();
  window.session().setMarker(1, window.session().model().recordCount() - 1);
  double markers = milliseconds(timer);

  // The scatter tab: a parameter chosen, every record a point (the markers
  // span them all), drawn.
  window.findChild<QTabWidget*>(QStringLiteral("chartTabs"))->setCurrentIndex(1);
  auto* scatter = window.findChild<QCustomPlot*>(QStringLiteral("scatterPlot"));
  auto* scatterX = window.findChild<QComboBox*>(QStringLiteral("scatterX"));
  double worstScatter = 0;
  for (int n = 0; n < 10; ++n) {
    scatterX->setCurrentIndex((scatterX->currentIndex() + 5) % scatterX->count());
    timer.restart();
    emit scatterX->activated(scatterX->currentIndex());
    scatter->replot(QCustomPlot::rpImmediateRefresh);
    worstScatter = std::max(worstScatter, milliseconds(timer));
  }

  // A filter typed: every series refilled with gaps and the chart redrawn.
  window.findChild<QTabWidget*>(QStringLiteral("chartTabs"))->setCurrentIndex(0);
  timer.restart();
  window.session().setFilter(kFilter);
  chart->replot(QCustomPlot::rpImmediateRefresh);
  double filtered = milliseconds(timer);
  const QString kept = window.findChild<QLabel*>(QStringLiteral("filterCount"))->text();
  timer.restart();
  window.session().addChannel("Ускорение оборотов", "[Обороты двигателя] - [Обороты двигателя@-1]");
  double channel = milliseconds(timer);

  std::printf("type %d, %d records, %d grid columns\n", type, window.session().model().recordCount(),
              window.session().model().columnCount());
  std::printf("prepare: %.1f ms, prepared and painted: %.1f ms\n", prepared, shown);
  std::printf("selector change with redraw: mean %.1f ms, worst %.1f ms\n", totalChange / changes,
              worstChange);
  std::printf("second marker with the statistics of ten series: %.1f ms\n", markers);
  std::printf("scatter of %d points, parameter chosen and drawn: worst %.1f ms\n",
              scatter->graph(0)->dataCount(), worstScatter);
  std::printf("filter applied (%s), ten series refilled and the chart redrawn: %.1f ms\n",
              kept.toUtf8().constData(), filtered);
  std::printf("derived channel added (grid, selectors, scatter, table, series): %.1f ms\n", channel);
  std::printf("VmRSS: %ld kB (%ld kB before preparing)\n", residentKilobytes(), baseKb);
  return 0;
}
