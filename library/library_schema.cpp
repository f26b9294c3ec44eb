#include "library/library_schema.h"

#include <array>
#include <vector>

namespace kq::sql {
namespace {
// Marks a SQLite file as one of ours ("KQLB"), so that another program's
// database is never taken for a library.
constexpr int kApplicationId = 0x4B514C42;

struct Migration {
  int toVersion;
  std::vector<const char*> statements;
};

// Each step brings the schema from the version before to its own.
const std::array<Migration, 1>& migrations() {
  static const std::array<Migration, 1> steps{{
      {1,
       {
           // records and undated count a car's records, kept with every change.
           "CREATE TABLE cars ("
           " id INTEGER PRIMARY KEY,"
           " name TEXT NOT NULL UNIQUE,"
           " controller_type INTEGER NOT NULL,"
           " note TEXT NOT NULL DEFAULT '',"
           " records INTEGER NOT NULL DEFAULT 0,"
           " undated INTEGER NOT NULL DEFAULT 0)",
           "CREATE TABLE imports ("
           " id INTEGER PRIMARY KEY,"
           " car_id INTEGER NOT NULL REFERENCES cars(id) ON DELETE CASCADE,"
           " imported_at INTEGER NOT NULL,"
           " file_name TEXT NOT NULL,"
           " sha256 TEXT NOT NULL,"
           " reference_date TEXT NOT NULL,"
           " new_records INTEGER NOT NULL,"
           " known_records INTEGER NOT NULL)",
           "CREATE INDEX imports_by_car ON imports(car_id, sha256)",
           // A record's bytes are its identity within its car; moment is NULL
           // for a record without a real date or time.
           "CREATE TABLE records ("
           " id INTEGER PRIMARY KEY,"
           " car_id INTEGER NOT NULL REFERENCES cars(id) ON DELETE CASCADE,"
           " bytes BLOB NOT NULL,"
           " moment INTEGER,"
           " UNIQUE (car_id, bytes))",
           "CREATE INDEX records_in_time ON records(car_id, moment, id)",
           // The imports that carried a record, and its place in each.
           "CREATE TABLE import_records ("
           " import_id INTEGER NOT NULL REFERENCES imports(id) ON DELETE CASCADE,"
           " slot INTEGER NOT NULL,"
           " record_id INTEGER NOT NULL REFERENCES records(id) ON DELETE CASCADE,"
           " PRIMARY KEY (import_id, slot)) WITHOUT ROWID",
           "CREATE INDEX import_records_by_record ON import_records(record_id)",
       }},
  }};
  return steps;
}

int intValue(Connection& connection, const QString& statement) { return connection.value(statement).toInt(); }

// Throws unless the file holds one of our libraries or nothing at all.
int schemaVersion(Connection& connection) {
  const int application = intValue(connection, QStringLiteral("PRAGMA application_id"));
  const int version = intValue(connection, QStringLiteral("PRAGMA user_version"));
  if (application == kApplicationId) return version;
  const int tables = intValue(connection, QStringLiteral("SELECT count(*) FROM sqlite_schema"));
  if (application == 0 && version == 0 && tables == 0) return 0;
  connection.fail(
      LibraryError::Kind::damaged,
      connection.quotedPath() + " — не библиотека загрузок, а другая база данных; файл оставлен как есть");
}

void checkNotNewer(Connection& connection, int version) {
  if (version > kSchemaVersion)
    connection.fail(LibraryError::Kind::newer, "Библиотека " + connection.quotedPath() +
                                                   " записана более новой версией программы (схема " +
                                                   std::to_string(version) + ", эта версия знает схемы до " +
                                                   std::to_string(kSchemaVersion) +
                                                   "); файл оставлен как есть");
}
}  // namespace

void prepareSchema(Connection& connection) {
  int version = schemaVersion(connection);
  checkNotNewer(connection, version);
  if (version < kSchemaVersion) {
    if (connection.readOnly()) {
      if (version == 0)
        connection.fail(
            LibraryError::Kind::damaged,
            connection.quotedPath() + " — пустой файл, а не библиотека; он открыт только для чтения");
      connection.fail(LibraryError::Kind::readOnly,
                      "Библиотеку " + connection.quotedPath() +
                          " старой версии нельзя обновить: она открыта только для чтения");
    }
    Transaction transaction(connection);
    // Another program may have done it while this one waited.
    version = schemaVersion(connection);
    checkNotNewer(connection, version);
    for (const Migration& step : migrations()) {
      if (step.toVersion <= version) continue;
      for (const char* statement : step.statements) connection.run(QString::fromLatin1(statement));
    }
    connection.run(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
    connection.run(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    transaction.commit();
  }
  if (!connection.readOnly()) {
    // Readers go on while a writer imports; the setting stays with the file.
    connection.run(QStringLiteral("PRAGMA journal_mode = WAL"));
    // A commit is on the disk before the user is told it is done.
    connection.run(QStringLiteral("PRAGMA synchronous = FULL"));
  }
  connection.run(QStringLiteral("PRAGMA foreign_keys = ON"));
}

}  // namespace kq::sql
