// What only a library on a server meets: other users' rights, a database
// shared with other programs, a connection cut by the server.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <chrono>
#include <thread>

#include "library/library_location.h"
#include "library/library_store.h"
#include "sim/log_ring.h"
#include "tests/library/error_kind.h"
#include "tests/support/server_database.h"

namespace kq {
namespace {
using Kind = LibraryError::Kind;
const CalendarDate kReference{2027, 3, 1};

using test::kindOf;

TEST(LibraryLocationTest, ServerAddressesAreReadOrRefusedWithTheirForm) {
  const std::optional<ServerLocation> server = serverLocation("postgresql://kq@db.local:5433/workshop");
  ASSERT_TRUE(server);
  EXPECT_EQ(server->user, "kq");
  EXPECT_EQ(server->host, "db.local");
  EXPECT_EQ(server->port, 5433);
  EXPECT_EQ(server->database, "workshop");
  EXPECT_EQ(serverLocation("postgres://db/cars")->port, 5432);
  EXPECT_FALSE(serverLocation("/home/kq/postgresql://x"));
  for (const char* wrong : {"postgresql://kq:secret@db/cars", "postgresql://db", "postgresql://db/a/b",
                            "postgresql://db/cars?sslmode=disable", "postgresql://db:99999/cars"})
    EXPECT_EQ(kindOf([&] { serverLocation(wrong); }), Kind::refused) << wrong;
  try {
    serverLocation("postgresql://kq:secret@db/cars");
  } catch (const LibraryError& error) {
    EXPECT_EQ(std::string(error.what()).find("secret"), std::string::npos);
  }
  if (QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
    // Nothing listens on port 1.
    EXPECT_EQ(kindOf([] { LibraryStore store("postgresql://kq@127.0.0.1:1/cars"); }), Kind::lostConnection);
  }
}

class ServerLibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::ServerDatabase::available()) GTEST_SKIP() << "no test server (KQ_TEST_POSTGRESQL)";
    server = std::make_unique<test::ServerDatabase>();
    sim::LogRing ring(6);
    ring.write(3000);
    first = ring.download();
    ring.write(3000);
    second = ring.download();
  }
  std::unique_ptr<test::ServerDatabase> server;
  Dump first, second;
};

TEST_F(ServerLibraryTest, AReaderBrowsesAndIsToldItMayNotChange) {
  // Role names are the cluster's: one of this database's own.
  const std::string reader = server->locationAs("kq_reader");
  server->run(QStringLiteral("DROP ROLE IF EXISTS kq_reader"));
  ASSERT_TRUE(server->run(QStringLiteral("CREATE ROLE kq_reader LOGIN")));
  // No library yet, and no right to make one.
  EXPECT_EQ(kindOf([&] { LibraryStore store(reader); }), Kind::readOnly);
  RowId car;
  {
    LibraryStore store(server->location());
    car = store.addCar("Нива", 6);
    store.importDump(car, first, {"a.txt", kReference});
  }
  ASSERT_TRUE(server->run(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO kq_reader")));
  {
    LibraryStore store(reader);
    EXPECT_TRUE(store.readOnly());
    EXPECT_EQ(store.history(car).size(), 3000u);
    EXPECT_EQ(store.cars().size(), 1u);
    EXPECT_EQ(kindOf([&] { store.importDump(car, second, {"b.txt", kReference}); }), Kind::readOnly);
    EXPECT_EQ(kindOf([&] { store.renameCar(car, "Лада"); }), Kind::readOnly);
  }
  server->run(QStringLiteral("DROP OWNED BY kq_reader"));
  server->run(QStringLiteral("DROP ROLE kq_reader"));
}

TEST_F(ServerLibraryTest, AForeignOrNewerDatabaseIsRefusedUntouched) {
  ASSERT_TRUE(server->run(QStringLiteral("CREATE TABLE cars (plate TEXT)")));
  EXPECT_EQ(kindOf([&] { LibraryStore store(server->location()); }), Kind::damaged);
  EXPECT_FALSE(server->run(QStringLiteral("SELECT 1 FROM kq_library")));
  ASSERT_TRUE(server->run(QStringLiteral("DROP TABLE cars")));
  { LibraryStore store(server->location()); }
  ASSERT_TRUE(server->run(QStringLiteral("UPDATE kq_library SET schema_version = 99")));
  EXPECT_EQ(kindOf([&] { LibraryStore store(server->location()); }), Kind::newer);
}

TEST_F(ServerLibraryTest, AConnectionCutMidImportKeepsNothingAndTheNextCallConnectsAgain) {
  RowId car;
  {
    LibraryStore store(server->location());
    car = store.addCar("Нива", 6);
    store.importDump(car, first, {"a.txt", kReference});
  }
  // The import waits on a lock held here once it has stored its records;
  // then the server ends its connection.
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("cutter"));
  {
    const std::optional<ServerLocation> where = serverLocation(server->location());
    db.setHostName(QString::fromStdString(where->host));
    db.setPort(where->port);
    db.setUserName(QString::fromStdString(where->user));
    db.setDatabaseName(QString::fromStdString(where->database));
    ASSERT_TRUE(db.open());
    QSqlQuery query(db);
    ASSERT_TRUE(query.exec(QStringLiteral("BEGIN")));
    ASSERT_TRUE(query.exec(QStringLiteral("LOCK TABLE import_records IN EXCLUSIVE MODE")));
  }
  Kind failure = Kind::other;
  bool answeredAfter = false;
  std::thread importer([&] {
    LibraryStore store(server->location());
    failure = kindOf([&] { store.importDump(car, second, {"b.txt", kReference}); });
    answeredAfter = store.cars().size() == 1;
  });
  bool cut = false;
  for (int attempt = 0; attempt < 3000 && !cut; ++attempt) {
    QSqlQuery query(db);
    // Within a transaction the server shows what it saw first, unless told.
    query.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
    query.exec(
        QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE"
                       " application_name = 'kq-unloader' AND wait_event_type = 'Lock'"));
    cut = query.next();
    if (!cut) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
  importer.join();
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(QStringLiteral("cutter"));
  EXPECT_TRUE(cut);
  EXPECT_EQ(failure, Kind::lostConnection);
  EXPECT_TRUE(answeredAfter);
  LibraryStore store(server->location());
  EXPECT_EQ(store.imports(car).size(), 1u);
  EXPECT_EQ(store.history(car).size(), 3000u);
  EXPECT_TRUE(store.check().empty());
}

}  // namespace
}  // namespace kq
