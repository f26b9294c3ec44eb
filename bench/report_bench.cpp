// A car's report of a month (the last 60 trips, the 60 before them to compare
// with, 8 charts of trips with events) from its library file: the history
// read and decoded, the report computed and its PDF drawn. Prints the pages,
// the PDF's size and the peak resident memory. KQ_BENCH_REPORT_PDF=FILE keeps
// the last PDF drawn there, to be looked at.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "base/safe_file.h"
#include "chart/report_document.h"
#include "library/car_report.h"
#include "library/library_store.h"
#include "sim/log_ring.h"

namespace {

constexpr int kTrips = 60;
constexpr int kControllerType = 2;

// Two months of one car, a download every 2,000 records.
const std::string& monthsLibrary() {
  static const std::string path = [] {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kq-report-bench";
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "library.sqlite").string();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file + suffix);
    kq::LibraryStore store(file);
    const kq::RowId car = store.addCar("Нива", kControllerType);
    kq::sim::LogRing ring(kControllerType);
    while (kq::splitTrips(store.moments(car)).size() < std::size_t(2 * kTrips + 1)) {
      ring.write(2000);
      store.importDump(car, ring.download(), {"download.txt", kq::CalendarDate{2027, 3, 1}});
    }
    return file;
  }();
  return path;
}

kq::ReportTemplate monthTemplate() {
  kq::ReportTemplate report = kq::defaultReportTemplate(kControllerType);
  report.checks.push_back({"Высокие обороты", "[Обороты двигателя] > 3000", 4});
  report.charts = 8;
  return report;
}

long peakResidentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toLong();
  return -1;
}

void BM_MonthReport(benchmark::State& state) {
  const kq::ReportTemplate report = monthTemplate();
  const kq::LibraryStore store(monthsLibrary(), kq::LibraryStore::Access::readOnly);
  const kq::Car car = *store.findCar(std::string_view("Нива"));
  const std::vector<kq::Trip> trips = kq::splitTrips(store.moments(car.id));
  const kq::ReportSpan span{trips[trips.size() - kTrips].start, std::nullopt, {}};
  QByteArray pdf;
  int pages = 0, charts = 0, reportTrips = 0;
  for (auto _ : state) {
    const kq::CarHistory history(car.controllerType, store.history(car.id), ',', kq::kDefaultTripGap,
                                 kq::reportTitles(car.controllerType, report));
    const kq::CarReport made = kq::buildCarReport(history, car.name, report, span, std::time(nullptr));
    const kq::ReportDocument document(made, history);
    pdf = document.pdf();
    pages = document.pageCount();
    charts = int(made.chartedTrips.size());
    reportTrips = int(made.trips.size());
  }
  state.counters["trips"] = reportTrips;
  state.counters["charts"] = charts;
  state.counters["pages"] = pages;
  state.counters["pdf_kB"] = double(pdf.size()) / 1024;
  state.counters["peak_MB"] = double(peakResidentKilobytes()) / 1024;
  if (const char* keep = std::getenv("KQ_BENCH_REPORT_PDF"))
    kq::writeFileSafely(keep, std::string_view(pdf.constData(), std::size_t(pdf.size())));
}
BENCHMARK(BM_MonthReport)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
