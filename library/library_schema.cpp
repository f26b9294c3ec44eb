#include "library/library_schema.h"

#include <array>
#include <vector>

namespace kq::sql {
namespace {
struct Migration {
  int toVersion;
  std::vector<const char*> statements;
};

// Each step brings the schema from the version before to its own.
const std::array<Migration, 2>& migrations() {
  static const std::array<Migration, 2> steps{{
      {1,
       {
           // records and undated count a car's records, kept with every change.
           "CREATE TABLE cars ("
           " id {key},"
           " name TEXT NOT NULL UNIQUE,"
           " controller_type INTEGER NOT NULL,"
           " note TEXT NOT NULL DEFAULT '',"
           " records BIGINT NOT NULL DEFAULT 0,"
           " undated BIGINT NOT NULL DEFAULT 0)",
           "CREATE TABLE imports ("
           " id {key},"
           " car_id BIGINT NOT NULL REFERENCES cars(id) ON DELETE CASCADE,"
           " imported_at BIGINT NOT NULL,"
           " file_name TEXT NOT NULL,"
           " sha256 TEXT NOT NULL,"
           " reference_date TEXT NOT NULL,"
           " new_records INTEGER NOT NULL,"
           " known_records INTEGER NOT NULL)",
           "CREATE INDEX imports_by_car ON imports(car_id, sha256)",
           // A record's bytes are its identity within its car; moment is NULL
           // for a record without a real date or time.
           "CREATE TABLE records ("
           " id {key},"
           " car_id BIGINT NOT NULL REFERENCES cars(id) ON DELETE CASCADE,"
           " bytes {bytes} NOT NULL,"
           " moment BIGINT,"
           " UNIQUE (car_id, bytes))",
           "CREATE INDEX records_in_time ON records(car_id, moment, id)",
           // The imports that carried a record, and its place in each.
           "CREATE TABLE import_records ("
           " import_id BIGINT NOT NULL REFERENCES imports(id) ON DELETE CASCADE,"
           " slot INTEGER NOT NULL,"
           " record_id BIGINT NOT NULL REFERENCES records(id) ON DELETE CASCADE,"
           " PRIMARY KEY (import_id, slot)){without_rowid}",
           "CREATE INDEX import_records_by_record ON import_records(record_id)",
       }},
      {2,
       {
           // The reports made of a car and the span of each, so that the next
           // visit's report starts where the last one ended.
           "CREATE TABLE reports ("
           " id {key},"
           " car_id BIGINT NOT NULL REFERENCES cars(id) ON DELETE CASCADE,"
           " made_at BIGINT NOT NULL,"
           " span_from BIGINT NOT NULL,"
           " span_to BIGINT NOT NULL)",
           "CREATE INDEX reports_by_car ON reports(car_id, span_to)",
       }},
  }};
  return steps;
}

// Throws unless the database holds one of our libraries or nothing of one.
int schemaVersion(Connection& connection) {
  const SchemaMark mark = readSchemaMark(connection);
  if (mark.ours) return mark.version;
  if (mark.empty) return 0;
  connection.fail(
      LibraryError::Kind::damaged,
      connection.quotedPath() + " — не библиотека загрузок, а другая база данных; она оставлена как есть");
}

void checkNotNewer(Connection& connection, int version) {
  if (version > kSchemaVersion)
    connection.fail(LibraryError::Kind::newer, "Библиотека " + connection.quotedPath() +
                                                   " записана более новой версией программы (схема " +
                                                   std::to_string(version) + ", эта версия знает схемы до " +
                                                   std::to_string(kSchemaVersion) +
                                                   "); она оставлена как есть");
}
}  // namespace

void prepareSchema(Connection& connection) {
  int version = schemaVersion(connection);
  checkNotNewer(connection, version);
  if (version < kSchemaVersion) {
    if (connection.readOnly()) {
      if (version == 0 && connection.backend() == Backend::postgresql)
        connection.fail(LibraryError::Kind::readOnly,
                        "В базе " + connection.quotedPath() +
                            " ещё нет библиотеки, а у пользователя нет прав её создать");
      if (version == 0)
        connection.fail(
            LibraryError::Kind::damaged,
            connection.quotedPath() + " — пустой файл, а не библиотека; он открыт только для чтения");
      connection.fail(LibraryError::Kind::readOnly,
                      "Библиотеку " + connection.quotedPath() +
                          " старой версии нельзя обновить: она открыта только для чтения");
    }
    Transaction transaction(connection);
    if (const QString lock = schemaLock(connection.backend()); !lock.isEmpty()) connection.run(lock);
    // Another program may have done it while this one waited.
    version = schemaVersion(connection);
    checkNotNewer(connection, version);
    for (const Migration& step : migrations()) {
      if (step.toVersion <= version) continue;
      for (const char* statement : step.statements)
        connection.run(schemaStatement(connection.backend(), statement));
    }
    writeSchemaMark(connection, kSchemaVersion);
    transaction.commit();
  }
  configure(connection);
}

}  // namespace kq::sql
