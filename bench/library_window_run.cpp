// Times the library window on a car of about a year of history: a library of
// some 100,000 records from overlapping downloads of a simulated controller's
// log memory (one every 6,000 records) is made in a scratch folder; then the
// window is opened until its trips, events and trend show that car, another
// parameter's trend drawn, and an event search run. Run with
// QT_QPA_PLATFORM=offscreen.
//   library_window_run                        figures for one run
//   library_window_run --hold SECONDS SCENE   stays open for screenshots:
//     trips (trips with statistics sorted, a trend point hovered),
//     event (an event found and opened in the chart),
//     main  (the main window after a dump was added)
#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

#include "analysis/chart_limits.h"
#include "analysis/chart_session.h"
#include "app/events_view.h"
#include "app/library_window.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "bench/resident_memory.h"
#include "chart/chart_window.h"
#include "chart/formula_edit.h"
#include "dump/dump_file.h"
#include "library/library_store.h"
#include "library/stored_record.h"
#include "sim/log_ring.h"
#include "ui/big_button.h"
#include "ui/qt_text.h"

namespace {

constexpr int kHistoryRecords = 100000;
constexpr int kRecordsBetweenDownloads = 6000;
const char* const kCar = "Нива 21214";
const char* const kEvent = "[Обороты двигателя] > 3000";

double milliseconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

// Answers with the car's name and the file given; says failures on standard error.
class ScriptedPrompts : public kq::Prompts {
 public:
  std::deque<QString> files;
  std::optional<QString> saveFileName(const QString&, const QString&) override { return std::nullopt; }
  std::optional<QString> openFileName(const QString&, const QString&) override { return next(files); }
  std::optional<QString> askText(const QString&, const QString&) override { return std::nullopt; }
  std::optional<QString> chooseItem(const QString&, const QStringList&, bool) override {
    return QString::fromUtf8(kCar);
  }
  bool confirm(const QString&) override { return false; }
  void showError(const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }

 private:
  static std::optional<QString> next(std::deque<QString>& answers) {
    if (answers.empty()) return std::nullopt;
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

bool runUntil(const std::function<bool()>& done, int milliseconds = 60000) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(1);
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  if (!done()) loop.exec();
  return done();
}

// The day of a download: that of the newest record, in one year.
kq::CalendarDate downloadDay(const kq::Dump& dump, int written) {
  const int newest = (written - 1) % kq::sim::kMaxRecords;
  for (const kq::DumpRecord& record : kq::recordsOfDump(dump))
    if (record.slot == newest)
      return {2025, std::stoi(record.date.substr(3, 2)), std::stoi(record.date.substr(0, 2))};
  return {2025, 12, 31};
}

// The car's history as its downloads made it; returns the last download.
kq::Dump makeLibrary(const std::string& location) {
  kq::LibraryStore store(location);
  const kq::RowId car = store.addCar(kCar, 6);
  kq::sim::LogRing ring(6);
  kq::Dump dump;
  while (ring.written() < kHistoryRecords) {
    ring.write(kRecordsBetweenDownloads);
    dump = ring.download();
    store.importDump(car, dump, {{}, downloadDay(dump, ring.written())});
  }
  return dump;
}

template <class Widget>
Widget* child(QWidget& window, const char* name) {
  return window.findChild<Widget*>(QString::fromLatin1(name));
}

void tick(QWidget& window, const char* title) {
  auto* parameters = child<QListWidget>(window, "tripParameters");
  for (QListWidgetItem* item : parameters->findItems(QString::fromUtf8(title), Qt::MatchExactly))
    item->setCheckState(Qt::Checked);
}

void chooseTrend(QWidget& window, const char* title, const char* statistic) {
  auto* parameter = child<QComboBox>(window, "trendParameter");
  parameter->setCurrentIndex(parameter->findText(QString::fromUtf8(title)));
  auto* choice = child<QComboBox>(window, "trendStatistic");
  choice->setCurrentIndex(choice->findText(QString::fromUtf8(statistic)));
  emit choice->activated(choice->currentIndex());
}

bool searchEvents(QWidget& window, const char* expression, int minSeconds) {
  child<QSpinBox>(window, "eventMinSeconds")->setValue(minSeconds);
  auto* field = child<kq::FormulaEdit>(window, "eventExpression");
  field->setText(QString::fromUtf8(expression));
  emit field->returnPressed();
  return runUntil([&] { return !window.findChild<kq::EventsView*>()->searching(); });
}

// Trips with the statistics of the engine's temperature, the longest first,
// and the mouse on a point of its trend.
void setTripsScene(QWidget& window) {
  tick(window, "Температура охлаждающей жидкости");
  child<QTableView>(window, "trips")->sortByColumn(3, Qt::DescendingOrder);
  child<QTableView>(window, "trips")->selectRow(0);
  chooseTrend(window, "Температура охлаждающей жидкости", "максимум");
  auto* plot = child<QCustomPlot>(window, "trendPlot");
  plot->replot();
  const int point = plot->graph(0)->dataCount() * 2 / 3;
  const QPointF at(plot->xAxis->coordToPixel(plot->graph(0)->dataMainKey(point)),
                   plot->yAxis->coordToPixel(plot->graph(0)->dataMainValue(point)));
  QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(plot, &move);
}

// An event found, then opened: its trip in the chart with the markers at its start and end.
void setEventScene(QWidget& window, kq::ChartWindow& chart) {
  auto* tabs = child<QTabWidget>(window, "historyTabs");
  tabs->setCurrentIndex(1);
  searchEvents(window, kEvent, 20);
  auto* events = child<QTableView>(window, "events");
  if (events->model()->rowCount() == 0) return;
  const int row = events->model()->rowCount() / 2;
  events->selectRow(row);
  emit events->doubleClicked(events->model()->index(row, 0));
  // Beside engine speed, what goes with it.
  kq::ChartSession& session = chart.session();
  session.setSeriesParameter(1, "Скорость автомобиля");
  session.setSeriesParameter(2, "Положение дроссельной заслонки");
  session.setSeriesParameter(3, "Температура охлаждающей жидкости");
  for (int series = 4; series < kq::kSeriesCount; ++series) session.setSeriesShown(series, false);
  session.setSeriesOnRightAxis(0, true);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Выгрузчик данных из БК серии KQ"));
  const int holdSeconds = argc > 2 && QByteArray(argv[1]) == "--hold" ? std::atoi(argv[2]) : 0;
  const QByteArray scene = argc > 3 ? QByteArray(argv[3]) : QByteArray("trips");

  QTemporaryDir folder;
  const QString location = folder.filePath(QStringLiteral("library.sqlite"));
  QElapsedTimer timer;
  timer.start();
  const kq::Dump lastDownload = makeLibrary(kq::fileNameForCore(location));
  std::printf("library of %d records made: %.0f ms\n", kHistoryRecords, milliseconds(timer));

  ScriptedPrompts prompts;
  kq::ChartWindow chart;
  kq::LibraryWindow library(chart, &prompts);
  library.setLocation(location);
  kq::MainWindow main(&prompts);
  main.setLibrary(&library);

  if (holdSeconds > 0 && scene == "main") {
    // The last download once more, from a file, added to the car it came from.
    const QString file = folder.filePath(QStringLiteral("niva.txt"));
    kq::saveDumpFile(kq::fileNameForCore(file), lastDownload);
    prompts.files.push_back(file);
    main.show();
    child<kq::BigButton>(main, "loadDumpButton")->click();
    child<kq::BigButton>(main, "addToLibraryButton")->click();
    std::printf("scene ready\n");
    std::fflush(stdout);
    QTimer::singleShot(holdSeconds * 1000, &app, &QApplication::quit);
    return app.exec();
  }

  const long baseKb = residentKilobytes();
  timer.restart();
  library.showWindow();
  auto* trips = child<QTableView>(library, "trips");
  if (!runUntil([&] { return trips->model()->rowCount() > 0; })) return 1;
  const double listed = milliseconds(timer);
  if (!runUntil([&] { return library.history() && !library.loading(); })) return 1;
  const double opened = milliseconds(timer);
  const kq::CarHistory& history = *library.history();

  if (holdSeconds > 0) {
    if (scene == "event")
      setEventScene(library, chart);
    else
      setTripsScene(library);
    std::printf("scene ready\n");
    std::fflush(stdout);
    QTimer::singleShot(holdSeconds * 1000, &app, &QApplication::quit);
    return app.exec();
  }

  auto* plot = child<QCustomPlot>(library, "trendPlot");
  timer.restart();
  chooseTrend(library, "Температура охлаждающей жидкости", "максимум");
  plot->replot(QCustomPlot::rpImmediateRefresh);
  const double trendDrawn = milliseconds(timer);
  timer.restart();
  searchEvents(library, kEvent, 20);
  const double searched = milliseconds(timer);

  std::printf("history: %zu dated records, %zu trips\n", history.records().size(), history.trips().size());
  std::printf("window opened, the car's trips listed: %.0f ms\n", listed);
  std::printf("its history built, statistics, events and trend at hand: %.0f ms\n", opened);
  std::printf("another trend drawn: %.1f ms\n", trendDrawn);
  std::printf("events of %s found and listed: %.0f ms (%d)\n", kEvent, searched,
              child<QTableView>(library, "events")->model()->rowCount());
  std::printf("resident memory of the history and the window: %ld MB\n",
              (residentKilobytes() - baseKb) / 1024);
  return 0;
}
