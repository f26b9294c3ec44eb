#include "library/library_store.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <filesystem>
#include <fstream>
#include <set>

#include "decode/conversion_error.h"
#include "library/library_copy.h"
#include "sim/log_ring.h"
#include "tests/library/error_kind.h"
#include "tests/support/dump_builder.h"
#include "tests/support/server_database.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kq {
namespace {
using Kind = LibraryError::Kind;
const CalendarDate kReference{2027, 3, 1};

// The distinct records of dumps, read straight from the text: offsets 0 to
// 126 of each record not marked "FF".
std::set<std::string> distinctRecords(std::initializer_list<const Dump*> dumps) {
  std::set<std::string> records;
  for (const Dump* dump : dumps)
    for (const std::string& line : dump->lines())
      for (std::size_t start : {std::size_t(3 * 3), std::size_t(3 * 131)})
        if (line.compare(start, 2, "FF") != 0) records.insert(line.substr(start, 3 * kStoredRecordBytes - 1));
  return records;
}

std::size_t countOf(const std::set<std::string>& records) { return records.size(); }

std::string fileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

using test::kindOf;

// Three downloads of one car: the second after the memory wrapped round, the
// third overlapping the second.
struct History {
  Dump first, second, third;
  History() {
    sim::LogRing ring(6);
    ring.write(3000);
    first = ring.download();
    ring.write(6000);
    second = ring.download();
    ring.write(2000);
    third = ring.download();
  }
};

class LibraryStoreTest : public testing::Test {
 protected:
  test::TempDir dir;
  std::string path = dir.file("library.sqlite");
  History history;
};

// The same for a library in a file and one on a server.
class AnyLibraryTest : public LibraryStoreTest, public testing::WithParamInterface<test::Where> {
 protected:
  void SetUp() override {
    if (GetParam() == test::Where::file) return;
    if (!test::ServerDatabase::available()) GTEST_SKIP() << "no test server (KQ_TEST_POSTGRESQL)";
    server = std::make_unique<test::ServerDatabase>();
    path = server->location();
  }
  std::unique_ptr<test::ServerDatabase> server;
};

INSTANTIATE_TEST_SUITE_P(Backends, AnyLibraryTest, testing::Values(test::Where::file, test::Where::server),
                         [](const testing::TestParamInfo<test::Where>& info) {
                           return info.param == test::Where::file ? "File" : "Server";
                         });

TEST_P(AnyLibraryTest, OverlappingDownloadsStoreEveryRecordOnce) {
  LibraryStore store(path);
  const RowId car = store.addCar("Нива", 6);
  const ImportOutcome first = store.importDump(car, history.first, {"a.txt", kReference});
  const ImportOutcome second = store.importDump(car, history.second, {"b.txt", kReference});
  const ImportOutcome third = store.importDump(car, history.third, {"c.txt", kReference});

  const auto a = distinctRecords({&history.first});
  const auto ab = distinctRecords({&history.first, &history.second});
  const auto abc = distinctRecords({&history.first, &history.second, &history.third});
  EXPECT_EQ(first.newRecords, 3000);
  EXPECT_EQ(second.newRecords, std::int64_t(countOf(ab) - countOf(a)));
  EXPECT_EQ(second.knownRecords, 7680 - second.newRecords);
  EXPECT_EQ(third.newRecords, std::int64_t(countOf(abc) - countOf(ab)));
  EXPECT_EQ(third.newRecords, 2000);

  const std::vector<HistoryRecord> records = store.history(car);
  EXPECT_EQ(records.size(), countOf(abc));
  EXPECT_TRUE(
      std::is_sorted(records.begin(), records.end(),
                     [](const HistoryRecord& x, const HistoryRecord& y) { return x.moment < y.moment; }));
  EXPECT_EQ(store.moments(car).size(), records.size());
  ASSERT_EQ(store.cars().size(), 1u);
  EXPECT_EQ(store.cars()[0].records, std::int64_t(countOf(abc)));

  // The same dump again adds nothing, not even an import.
  const ImportOutcome again = store.importDump(car, history.second, {"b-again.txt", kReference});
  EXPECT_FALSE(again.import);
  EXPECT_EQ(again.newRecords, 0);
  EXPECT_EQ(again.knownRecords, 7680);
  EXPECT_EQ(store.imports(car).size(), 3u);
  // The sha256sum of the dump file the program saves.
  EXPECT_EQ(
      store.imports(car)[1].sha256,
      QCryptographicHash::hash(QByteArray::fromStdString(history.second.text()), QCryptographicHash::Sha256)
          .toHex()
          .toStdString());
}

TEST_P(AnyLibraryTest, RemovingAnImportTakesTheRecordsOnlyItBrought) {
  LibraryStore store(path);
  const RowId car = store.addCar("Нива", 6);
  store.importDump(car, history.first, {"a.txt", kReference});
  const RowId second = *store.importDump(car, history.second, {"b.txt", kReference}).import;
  store.importDump(car, history.third, {"c.txt", kReference});

  const auto all = distinctRecords({&history.first, &history.second, &history.third});
  const auto without = distinctRecords({&history.first, &history.third});
  EXPECT_EQ(store.removeImport(second), std::int64_t(all.size() - without.size()));
  EXPECT_EQ(store.history(car).size(), without.size());
  EXPECT_EQ(store.cars()[0].records, std::int64_t(without.size()));
  EXPECT_EQ(store.imports(car).size(), 2u);
  EXPECT_EQ(kindOf([&] { store.removeImport(second); }), Kind::notFound);
  EXPECT_TRUE(store.check().empty());

  store.removeCar(car);
  EXPECT_TRUE(store.cars().empty());
  EXPECT_TRUE(store.check().empty());
}

TEST_P(AnyLibraryTest, EmptyAndUndatedRecords) {
  // Two records a line: a real one, an undated one (no such day), an empty one.
  test::Record undated = test::makeRecord(6, 2);
  undated[1] = 0x31;  // 31.03 is real, 31.04 is not
  undated[0] = 0x04;
  Dump dump;
  dump.append(test::makeLine(test::makeRecord(6, 1), undated));
  dump.append(test::makeLine(test::makeRecord(6, 3, 0x20), test::emptyRecord()));
  LibraryStore store(path);
  const RowId car = store.addCar("Лада", 6);
  const ImportOutcome outcome = store.importDump(car, dump, {"", kReference});
  EXPECT_EQ(outcome.records, 3);
  EXPECT_EQ(outcome.newRecords, 3);
  EXPECT_EQ(outcome.undated, 1);
  EXPECT_EQ(store.history(car).size(), 2u);
  EXPECT_EQ(store.cars()[0].undated, 1);
  EXPECT_EQ(momentText(store.history(car)[0].moment), "2026-03-15 12:34:56");
}

TEST_P(AnyLibraryTest, RefusedChangesLeaveTheLibraryAsItWas) {
  LibraryStore store(path);
  const RowId car = store.addCar("Нива", 6);
  store.importDump(car, history.first, {"a.txt", kReference});
  EXPECT_EQ(kindOf([&] { store.importDump(car, test::makeDump(2, 4), {"", kReference}); }), Kind::refused);
  EXPECT_EQ(kindOf([&] { store.importDump(car, Dump(), {"", kReference}); }), Kind::refused);
  EXPECT_EQ(kindOf([&] { store.importDump(car + 1, history.second, {"", kReference}); }), Kind::notFound);
  EXPECT_EQ(kindOf([&] { store.addCar("Нива", 6); }), Kind::refused);
  EXPECT_EQ(kindOf([&] { store.addCar("Нива\n2", 6); }), Kind::refused);
  EXPECT_EQ(kindOf([&] { store.renameCar(store.addCar("Газель", 6), "Нива"); }), Kind::refused);
  Dump unreadable = history.second;
  unreadable.append(std::string(100, 'Z'));
  EXPECT_THROW(store.importDump(car, unreadable, {"", kReference}), ConversionError);
  EXPECT_THROW(store.importIntoCarNamed("Новая", unreadable, {"", kReference}), ConversionError);
  EXPECT_EQ(kindOf([&] {
              store.importIntoCarNamed("Нива", test::makeDump(2, 4), {"", kReference});
            }),
            Kind::refused);
  EXPECT_FALSE(store.findCar(std::string_view("Новая")));
  EXPECT_EQ(kindOf([&] { store.addCar("Нива; синяя", 6); }), Kind::refused);
  EXPECT_EQ(store.imports(car).size(), 1u);
  EXPECT_EQ(store.history(car).size(), 3000u);
  store.renameCar(car, "Нива 2121");
  EXPECT_TRUE(store.findCar(std::string_view("Нива 2121")));
}

TEST_F(LibraryStoreTest, FilesThatAreNoUsableLibraryAreRefusedUntouched) {
  {
    LibraryStore store(path);
    store.importDump(store.addCar("Нива", 6), history.first, {"a.txt", kReference});
  }
  const std::string newer = dir.file("newer.sqlite");
  std::filesystem::copy_file(path, newer);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "newer");
    db.setDatabaseName(QString::fromStdString(newer));
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec("PRAGMA user_version = 99");
    QSqlQuery(db).exec("PRAGMA journal_mode = DELETE");
    db.close();
  }
  QSqlDatabase::removeDatabase("newer");
  const std::string foreign = dir.file("foreign.sqlite");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
    db.setDatabaseName(QString::fromStdString(foreign));
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec("CREATE TABLE notes(text TEXT)");
    db.close();
  }
  QSqlDatabase::removeDatabase("foreign");
  const std::string text = dir.file("dump.txt");
  std::ofstream(text) << history.first.text();
  const std::string damaged = dir.file("damaged.sqlite");
  {
    std::string bytes = fileBytes(newer);
    std::fill(bytes.begin() + 16, bytes.begin() + 100, '\x7F');  // the header after its first words
    std::ofstream(damaged, std::ios::binary) << bytes;
  }

  struct Case {
    std::string file;
    Kind kind;
  };
  for (const Case& c : {Case{newer, Kind::newer}, Case{foreign, Kind::damaged}, Case{text, Kind::damaged},
                        Case{damaged, Kind::damaged}, Case{dir.file(""), Kind::damaged}}) {
    const std::string before = std::filesystem::is_regular_file(c.file) ? fileBytes(c.file) : "";
    EXPECT_EQ(kindOf([&] { LibraryStore store(c.file); }), c.kind) << c.file;
    if (!before.empty()) {
      EXPECT_EQ(fileBytes(c.file), before) << c.file;
    }
    EXPECT_FALSE(std::filesystem::exists(c.file + "-wal")) << c.file;
  }
}

TEST_F(LibraryStoreTest, ReadOnlyAccessReadsAndRefusesEveryChange) {
  RowId car;
  {
    LibraryStore store(path);
    car = store.addCar("Нива", 6);
    store.importDump(car, history.first, {"a.txt", kReference});
  }
  LibraryStore reader(path, LibraryStore::Access::readOnly);
  EXPECT_TRUE(reader.readOnly());
  EXPECT_EQ(reader.history(car).size(), 3000u);
  EXPECT_EQ(kindOf([&] { reader.addCar("Лада", 6); }), Kind::readOnly);
  EXPECT_EQ(kindOf([&] { reader.importDump(car, history.second, {"", kReference}); }), Kind::readOnly);
  EXPECT_EQ(kindOf([&] { reader.removeImport(1); }), Kind::readOnly);
  EXPECT_EQ(kindOf([&] { reader.markReport(car, {1, 2, 3}); }), Kind::readOnly);
  EXPECT_EQ(kindOf([&] { LibraryStore missing(dir.file("none.sqlite"), LibraryStore::Access::readOnly); }),
            Kind::notFound);
}

TEST_P(AnyLibraryTest, TheLastReportIsTheOneReachingFurthest) {
  LibraryStore store(path);
  const RowId car = store.addCar("Нива", 6), other = store.addCar("Лада", 6);
  EXPECT_FALSE(store.lastReport(car));
  store.markReport(car, {100, 0, 5000});
  store.markReport(car, {200, 0, 3000});  // a report of an earlier span made later
  store.markReport(other, {300, 0, 9000});
  EXPECT_EQ(store.lastReport(car)->to, 5000);
  EXPECT_EQ(store.lastReport(car)->madeAt, 100);
  store.removeCar(other);
  EXPECT_EQ(kindOf([&] { store.markReport(other, {1, 2, 3}); }), Kind::notFound);
  EXPECT_TRUE(store.check().empty());
}

TEST_F(LibraryStoreTest, ALibraryOfTheFirstSchemaGetsItsReports) {
  {
    LibraryStore store(path);
    store.addCar("Нива", 6);
  }
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("first"));
    db.setDatabaseName(QString::fromStdString(path));
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(QSqlQuery(db).exec("DROP TABLE reports"));
    ASSERT_TRUE(QSqlQuery(db).exec("PRAGMA user_version = 1"));
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("first"));
  LibraryStore store(path);
  const RowId car = store.findCar(std::string_view("Нива"))->id;
  store.markReport(car, {1, 10, 20});
  EXPECT_EQ(store.lastReport(car)->from, 10);
}

TEST_P(AnyLibraryTest, BackupIsTheSameLibraryWhileItStaysInUse) {
  LibraryStore store(path);
  const RowId car = store.addCar("Нива", 6);
  store.importDump(car, history.first, {"a.txt", kReference});
  const std::string copy = dir.file("copy.sqlite");
  std::ofstream(copy) << "old";
  store.backup(copy);
  store.importDump(car, history.second, {"b.txt", kReference});
  LibraryStore restored(copy);
  EXPECT_TRUE(restored.check().empty());
  const RowId copied = restored.findCar(std::string_view("Нива"))->id;
  EXPECT_EQ(restored.history(copied).size(), 3000u);
  EXPECT_EQ(restored.imports(copied).size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(copy + ".partial"));
  EXPECT_TRUE(store.check().empty());
}

#ifndef _WIN32
// Runs an action in a child process; its exit status.
int inChild(const std::function<int()>& action) {
  const pid_t child = fork();
  if (child == 0) _exit(action());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_P(AnyLibraryTest, ImportsFromTwoProcessesAtOnceStoreEveryRecordOnce) {
  { LibraryStore store(path); }
  // Both make the car on their first import; one finds the other's.
  std::vector<pid_t> children;
  for (const Dump* dump : {&history.second, &history.third}) {
    const pid_t child = fork();
    if (child == 0) {
      try {
        LibraryStore store(path);
        store.importIntoCarNamed("Нива", *dump, {"", kReference});
        _exit(0);
      } catch (const std::exception&) {
        _exit(1);
      }
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  LibraryStore store(path);
  ASSERT_EQ(store.cars().size(), 1u);
  const RowId car = store.cars()[0].car.id;
  const std::size_t distinct = distinctRecords({&history.second, &history.third}).size();
  EXPECT_EQ(store.history(car).size(), distinct);
  ASSERT_EQ(store.imports(car).size(), 2u);
  // What each found new or known adds up, whichever came first.
  const std::vector<ImportInfo> imports = store.imports(car);
  EXPECT_EQ(std::size_t(imports[0].newRecords + imports[1].newRecords), distinct);
  EXPECT_EQ(imports[0].newRecords + imports[0].knownRecords, 7680);
  EXPECT_EQ(store.cars()[0].records, std::int64_t(distinct));
  EXPECT_TRUE(store.check().empty());
}

TEST_F(LibraryStoreTest, AnImportOutOfDiskLeavesTheLibraryAsItWas) {
  RowId car;
  {
    LibraryStore store(path);
    car = store.addCar("Нива", 6);
    store.importDump(car, history.first, {"a.txt", kReference});
  }
  // The file may not grow: the import fails for want of room.
  const int status = inChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(std::filesystem::file_size(path)), RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      LibraryStore store(path);
      store.importDump(car, history.second, {"b.txt", kReference});
    } catch (const LibraryError& error) {
      return error.kind() == Kind::noSpace || error.kind() == Kind::other ? 3 : 2;
    }
    return 0;
  });
  EXPECT_EQ(status, 3);
  LibraryStore store(path);
  EXPECT_EQ(store.history(car).size(), 3000u);
  EXPECT_TRUE(store.check().empty());
}

TEST_P(AnyLibraryTest, AnImportKilledLeavesTheLibraryAsItWas) {
  RowId car;
  {
    LibraryStore store(path);
    car = store.addCar("Нива", 6);
    store.importDump(car, history.first, {"a.txt", kReference});
  }
  // Killed at some moment of its import: the import is there whole or not at all.
  for (int delayMs : {1, 5, 20, 60}) {
    const pid_t child = fork();
    if (child == 0) {
      LibraryStore store(path);
      store.importDump(car, history.third, {"c.txt", kReference});
      _exit(0);
    }
    usleep(useconds_t(delayMs) * 1000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    LibraryStore store(path);
    const std::size_t imports = store.imports(car).size();
    const std::size_t expected =
        imports == 1 ? 3000 : distinctRecords({&history.first, &history.third}).size();
    EXPECT_EQ(store.history(car).size(), expected) << delayMs << " ms";
    EXPECT_EQ(store.cars()[0].records, std::int64_t(expected));
    EXPECT_TRUE(store.check().empty());
    if (imports == 2) store.removeImport(store.imports(car).back().id);
  }
}
#endif

}  // namespace
}  // namespace kq
