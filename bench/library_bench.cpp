// The library of a car's history: a full dump imported (new records, and
// records already known), and over a year of one car (about 50 overlapping
// downloads, 100,000 distinct records) its trips, an event search, a trend and
// what the library window reads when it opens. KQ_BENCH_LIBRARY_CARS=100 runs
// the same in a library of 100 such cars (built once in the temporary folder,
// several GB, and kept there for the next run), and prints its size.
// KQ_BENCH_LIBRARY_SERVER=postgresql://USER@HOST[:PORT]/DATABASE runs them all
// on a PostgreSQL server's database instead (made once there too).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "library/car_history.h"
#include "library/library_location.h"
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

// The server's database the benchmarks use, or nothing for files.
std::optional<std::string> server() {
  const char* value = std::getenv("KQ_BENCH_LIBRARY_SERVER");
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

// A library of its own for a benchmark: a new file, or the server's database.
std::string freshLibrary(const char* name) {
  if (server()) return *server();
  const std::string path = (benchFolder() / name).string();
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  return path;
}

// Names no earlier run on the server used.
std::string uniqueName(const std::string& name) {
  return name + " " + std::to_string(QCoreApplication::applicationPid());
}

QSqlDatabase openDirectly(const std::string& location) {
  const QString connection = QStringLiteral("copy");
  if (const std::optional<kq::ServerLocation> where = kq::serverLocation(location)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    db.setHostName(QString::fromStdString(where->host));
    db.setPort(where->port);
    db.setUserName(QString::fromStdString(where->user));
    db.setDatabaseName(QString::fromStdString(where->database));
    db.open();
    return db;
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
  db.setDatabaseName(QString::fromStdString(location));
  db.open();
  return db;
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
    QSqlDatabase db = openDirectly(path);
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
    if (db.driverName() == QStringLiteral("QPSQL")) {
      // The ids were given: the server's counters go past them, and it learns the tables anew.
      for (const char* table : {"cars", "imports", "records"})
        query.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), max(id)) FROM %1")
                       .arg(QLatin1String(table)));
      query.exec(QStringLiteral("ANALYZE"));
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("copy"));
}

// The library of the year's car (and its copies), made once.
const std::string& yearLibrary() {
  static const std::string path = [] {
    const int cars = carsWanted();
    if (server()) {
      kq::LibraryStore store(*server());
      if (!store.findCar(std::string_view("Машина 1"))) {
        importYear(store, store.addCar("Машина 1", 6));
        if (cars > 1) copyFirstCar(*server(), cars);
      }
      std::fprintf(stderr, "library of %zu car(s) on the server\n", store.cars().size());
      return *server();
    }
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

kq::RowId yearCar(const kq::LibraryStore& store) { return store.findCar(std::string_view("Машина 1"))->id; }

kq::Dump fullDump(int records) {
  kq::sim::LogRing ring(6);
  ring.write(records);
  return ring.download();
}

// A full memory of records the library has never seen.
void BM_ImportNewFullDump(benchmark::State& state) {
  kq::LibraryStore store(freshLibrary("import-new.sqlite"));
  const kq::Dump dump = fullDump(kq::sim::kMaxRecords);
  static int car = 0;  // repetitions share the library
  for (auto _ : state) {
    state.PauseTiming();
    const kq::RowId id = store.addCar(uniqueName("Новая " + std::to_string(++car)), 6);
    state.ResumeTiming();
    benchmark::DoNotOptimize(store.importDump(id, dump, {"new.txt", kReference}));
  }
}
BENCHMARK(BM_ImportNewFullDump)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same records again in a dump that differs elsewhere (the block numbers
// before the first record), as a second download of a parked car.
void BM_ImportKnownFullDump(benchmark::State& state) {
  kq::LibraryStore store(freshLibrary("import-known.sqlite"));
  static int run = 0;  // repetitions share the library
  const kq::RowId car = store.addCar(uniqueName("Известная " + std::to_string(++run)), 6);
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
    const std::vector<kq::Trip> trips = kq::splitTrips(store.moments(yearCar(store)));
    benchmark::DoNotOptimize(trips.size());
  }
}
BENCHMARK(BM_YearTrips)->Unit(benchmark::kMillisecond)->UseRealTime();

// The history with the parameters an analysis names, as kq-cli and the window build it.
kq::CarHistory yearHistory(const kq::LibraryStore& store, const std::string& expression) {
  const std::string expressions[] = {expression};
  return kq::CarHistory(6, store.history(yearCar(store)), ',', kq::kDefaultTripGap,
                        kq::titlesNamedBy(6, expressions));
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
    benchmark::DoNotOptimize(store.imports(yearCar(store)));
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
    const kq::CarHistory history(6, store.history(yearCar(store)), ',');
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
