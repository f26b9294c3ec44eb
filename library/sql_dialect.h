#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace kq::sql {

class Connection;

// The database a library lives in. Everything the two say differently is
// here; the store's other statements are the same for both.
enum class Backend { sqlite, postgresql };

// A statement of the schema with its types named by role: {key} an id
// column, {bytes} a record's bytes, {without_rowid} what SQLite may leave out.
QString schemaStatement(Backend backend, const char* generic);

// Begins a write transaction. SQLite's is taken at once, so that a busy
// library waits here, before any work.
QString beginWrite(Backend backend);
// Begins a read transaction that sees the library as it is at its start.
QString beginSnapshot(Backend backend);
// Taken first in a write transaction: on a server, for the whole migration,
// so that two programs finding an older schema do not both bring it up.
// Empty where the write transaction alone is exclusive.
QString schemaLock(Backend backend);
// Takes a car for the rest of the transaction (bound: the car's id), so that
// imports into one car from several computers come one after another and see
// each other's records. Empty where the write transaction alone is exclusive.
QString lockCar(Backend backend);

// The schema version and the mark that the database is a library at all.
struct SchemaMark {
  bool ours = false;   // marked as a library of this program
  bool empty = false;  // holds none of the library's tables
  int version = 0;
};
SchemaMark readSchemaMark(Connection& connection);
// Marks the database as a library of this version, inside the caller's transaction.
void writeSchemaMark(Connection& connection, int version);
// Settings the connection keeps while it is open (SQLite's are the file's).
void configure(Connection& connection);

// Whether the connected user may change the library: on a server, the
// rights on its tables; for a file, its permissions decide before.
bool canWrite(Connection& connection);

// A list of numbers as one bound value (JSON for SQLite, an array for the server).
QString numberList(Backend backend, const std::vector<std::optional<std::int64_t>>& values);
// Stores the incoming records (bound: car, their bytes one after another,
// numberList of their moments), each unless the car has it already.
QString insertRecords(Backend backend, int recordBytes);
// Notes where an import carried each of its records (bound: import,
// numberList of the records' places, car, their bytes as above).
QString insertImportRecords(Backend backend, int recordBytes);

}  // namespace kq::sql
