// The library of a car's history: a full dump imported (new records, and
// records already known), and over a year of one car (about 50 overlapping
// downloads, 100,000 distinct records) its trips, an event search, a trend and
// what the library window reads when it opens. KQ_BENCH_LIBRARY_CARS=100 runs
// the same in a library of 100 such cars (built once in the temporary folder,
// several GB, and kept there for the next run), and prints its size.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "library/car_history.h"
#include "library/library_store.h"
#include "sim/log_ring.h"

namespace {
const kq::CalendarDate kReference{2027, 3, 1};
constexpr int kYearOfRecords = 100000;
constexpr int kRecordsBetweenDownloads = 2000;

std::filesystem::path benchFolder() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kq-library-bench";
  std::filesystem::create_directories(folder);
  return folder;
}

int carsWanted() {
  const char* value = std::getenv("KQ_BENCH_LIBRARY_CARS");
  return value ? std::max(1, std::atoi(value)) : 1;
}

// A year of one car: a download every 2,000 records, each the whole memory.
void importYear(kq::LibraryStore& store, kq::RowId car) {
  kq::sim::LogRing ring(6);
  while (ring.written() < kYearOfRecords) {
    ring.write(kRecordsBetweenDownloads);
    store.importDump(car, ring.download(), {"download.txt", kReference});
  }
}

// Cars 2 to N as copies of car 1, their ids moved past car 1's.
void copyFirstCar(const std::string& path, int cars) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
    db.setDatabaseName(QString::fromStdString(path));
    db.open();
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    query.exec(QStringLiteral("SELECT max(id) FROM records"));
    query.next();
    const qint64 records = query.value(0).toLongLong();
    query.exec(QStringLiteral("SELECT max(id) FROM imports"));
    query.next();
    const qint64 imports = query.value(0).toLongLong();
    for (int car = 2; car <= cars; ++car) {
      const qint64 recordOffset = records * (car - 1), importOffset = imports * (car - 1);
      query.exec(QStringLiteral("BEGIN"));
      query.exec(
          QStringLiteral("INSERT INTO cars(id, name, controller_type, note, records, undated)"
                         " SELECT %1, 'Машина ' || %1, controller_type, note, records, undated FROM cars"
                         " WHERE id = 1")
              .arg(car));
      query.exec(
          QStringLiteral("INSERT INTO records(id, car_id, bytes, moment) SELECT id + %1, %2, bytes, moment"
                         " FROM records WHERE car_id = 1")
              .arg(recordOffset)
              .arg(car));
      query.exec(QStringLiteral("INSERT INTO imports SELECT id + %1, %2, imported_at, file_name, sha256,"
                                " reference_date, new_records, known_records FROM imports WHERE car_id = 1")
                     .arg(importOffset)
                     .arg(car));
      query.exec(QStringLiteral("INSERT INTO import_records SELECT import_id + %1, slot, record_id + %2"
                                " FROM import_records WHERE import_id <= %3")
                     .arg(importOffset)
                     .arg(recordOffset)
                     .arg(imports));
      query.exec(QStringLiteral("COMMIT"));
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("copy"));
}

// The library of the year's car (and its copies), made once.
const std::string& yearLibrary() {
  static const std::string path = [] {
    const int cars = carsWanted();
    const std::string file = (benchFolder() / ("year-" + std::to_string(cars) + "-cars.sqlite")).string();
    if (!std::filesystem::exists(file)) {
      const std::string partial = file + ".partial";
      std::filesystem::remove(partial);
      {
        kq::LibraryStore store(partial);
        importYear(store, store.addCar("Машина 1", 6));
      }
      if (cars > 1) copyFirstCar(partial, cars);
      std::filesystem::rename(partial, file);
    }
    std::fprintf(stderr, "library of %d car(s): %.1f MB\n", cars,
                 double(std::filesystem::file_size(file)) / (1024 * 1024));
    return file;
  }();
  return path;
}

kq::Dump fullDump(int records) {
  kq::sim::LogRing ring(6);
  ring.write(records);
  return ring.download();
}

// A full memory of records the library has never seen.
void BM_ImportNewFullDump(benchmark::State& state) {
  const std::string path = (benchFolder() / "import-new.sqlite").string();
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  kq::LibraryStore store(path);
  const kq::Dump dump = fullDump(kq::sim::kMaxRecords);
  int car = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const kq::RowId id = store.addCar("Машина " + std::to_string(++car), 6);
    state.ResumeTiming();
    benchmark::DoNotOptimize(store.importDump(id, dump, {"new.txt", kReference}));
  }
}
BENCHMARK(BM_ImportNewFullDump)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same records again in a dump that differs elsewhere (the block numbers
// before the first record), as a second download of a parked car.
void BM_ImportKnownFullDump(benchmark::State& state) {
  const std::string path = (benchFolder() / "import-known.sqlite").string();
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  kq::LibraryStore store(path);
  const kq::RowId car = store.addCar("Машина", 6);
  kq::Dump dump = fullDump(kq::sim::kMaxRecords);
  store.importDump(car, dump, {"first.txt", kReference});
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> lines = dump.lines();
    char mark[8];
    std::snprintf(mark, sizeof mark, "%02X", ++round % 256);
    lines[0].replace(6, 2, mark);
    lines[1][0] = char('0' + round / 256 % 10);
    const kq::Dump again(std::move(lines));
    state.ResumeTiming();
    const kq::ImportOutcome outcome = store.importDump(car, again, {"again.txt", kReference});
    state.PauseTiming();
    if (outcome.newRecords != 0 || !outcome.import) state.SkipWithError("the dump was not known as expected");
    if (outcome.import) store.removeImport(*outcome.import);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ImportKnownFullDump)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each query opens the library anew, as a kq-cli command does.
void BM_YearTrips(benchmark::State& state) {
  const std::string& path = yearLibrary();
  for (auto _ : state) {
    kq::LibraryStore store(path, kq::LibraryStore::Access::readOnly);
    const std::vector<kq::Trip> trips = kq::splitTrips(store.moments(1));
    benchmark::DoNotOptimize(trips.size());
  }
}
BENCHMARK(BM_YearTrips)->Unit(benchmark::kMillisecond)->UseRealTime();

// The history with the parameters an analysis names, as kq-cli and the window build it.
kq::CarHistory yearHistory(const kq::LibraryStore& store, const std::string& expression) {
  const std::string expressions[] = {expression};
  return kq::CarHistory(6, store.history(1), ',', kq::kDefaultTripGap, kq::titlesNamedBy(6, expressions));
}
const char kRpm[] = "[Обороты двигателя]";

void BM_YearEventSearch(benchmark::State& state) {
  const std::string& path = yearLibrary();
  for (auto _ : state) {
    kq::LibraryStore store(path, kq::LibraryStore::Access::readOnly);
    const std::string expression = "[Обороты двигателя] > 3000 && [Обороты двигателя@-1] > 3000";
    const kq::CarHistory history = yearHistory(store, expression);
    benchmark::DoNotOptimize(kq::findEvents(history, expression, 10));
  }
}
BENCHMARK(BM_YearEventSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_YearTrend(benchmark::State& state) {
  const std::string& path = yearLibrary();
  for (auto _ : state) {
    kq::LibraryStore store(path, kq::LibraryStore::Access::readOnly);
    const kq::CarHistory history = yearHistory(store, kRpm);
    const int rpm = *history.model().columnOf("Обороты двигателя");
    benchmark::DoNotOptimize(kq::trend(history, rpm, kq::TrendStatistic::maximum));
  }
}
BENCHMARK(BM_YearTrend)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the library window reads to show a car: the cars, the car's imports,
// its history with the trips and one parameter's statistics per trip.
void BM_YearWindowData(benchmark::State& state) {
  const std::string& path = yearLibrary();
  for (auto _ : state) {
    kq::LibraryStore store(path);
    benchmark::DoNotOptimize(store.cars());
    benchmark::DoNotOptimize(store.imports(1));
    const kq::CarHistory history = yearHistory(store, kRpm);
    const int rpm = *history.model().columnOf("Обороты двигателя");
    for (const kq::Trip& trip : history.trips())
      benchmark::DoNotOptimize(kq::tripStatistics(history, trip, rpm));
  }
}
BENCHMARK(BM_YearWindowData)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole history with every parameter decoded, as the library window
// builds it (on a thread of its own) for any parameter the user may tick.
void BM_YearHistoryOfEveryParameter(benchmark::State& state) {
  const std::string& path = yearLibrary();
  kq::LibraryStore store(path, kq::LibraryStore::Access::readOnly);
  for (auto _ : state) {
    const kq::CarHistory history(6, store.history(1), ',');
    benchmark::DoNotOptimize(history.model().columnCount());
  }
}
BENCHMARK(BM_YearHistoryOfEveryParameter)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
