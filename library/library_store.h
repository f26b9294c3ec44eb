#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dump/dump.h"
#include "library/library_error.h"
#include "library/record_moment.h"
#include "library/stored_record.h"

namespace kq {
namespace sql {
class ReadTransaction;
}

using RowId = std::int64_t;

// Where the library lives unless told otherwise: library.sqlite in the user's
// data folder (%LOCALAPPDATA%\kq-unloader on Windows, else
// $XDG_DATA_HOME/kq-unloader or ~/.local/share/kq-unloader). Empty when the
// environment names no home at all.
std::string defaultLibraryLocation();

// Loads Qt SQL's SQLite driver (a plugin) now rather than with the first
// library opened. The window does so at its start, before a serial port can
// be open: under wine a library with thread-local data, as the driver is,
// cannot be loaded while a port waits for its events.
void loadLibraryDriver();

struct Car {
  RowId id = 0;
  std::string name;
  int controllerType = 0;
  std::string note;
};

// A car with what its history holds.
struct CarSummary {
  Car car;
  std::int64_t records = 0;  // dated and undated
  std::int64_t undated = 0;
  std::optional<Moment> first;  // the earliest and latest dated record
  std::optional<Moment> last;
  std::optional<std::int64_t> lastImportedAt;  // system time (UTC seconds) of its newest import
};

struct ImportInfo {
  RowId id = 0;
  RowId car = 0;
  std::int64_t importedAt = 0;  // system time, UTC seconds
  std::string fileName;         // the dump's file name (UTF-8), empty for a download
  std::string sha256;           // of the dump's text, lower-case hex
  CalendarDate reference;       // the day its records were dated by
  std::int64_t newRecords = 0;
  std::int64_t knownRecords = 0;
};

// Where an import's dump came from.
struct ImportSource {
  std::string fileName;    // UTF-8, empty for a download
  CalendarDate reference;  // the download's day, or the file's
};

struct ImportOutcome {
  // The import made; nothing when the car holds this very dump already (its
  // text's SHA-256), and nothing was added.
  std::optional<RowId> import;
  std::int64_t records = 0;       // the dump's non-empty records
  std::int64_t newRecords = 0;    // stored now
  std::int64_t knownRecords = 0;  // the car had them already
  std::int64_t undated = 0;       // of the dump's records, without a real date or time
};

// A record as an import carried it: its place in the dump, and its moment in
// the library (none: undated).
struct CarriedRecord {
  std::int64_t slot = 0;
  std::optional<Moment> moment;
  StoredRecord bytes{};
};

// A dated record of a car's history.
// A report made of a car, and the span of moments it covered.
struct ReportMark {
  std::int64_t madeAt = 0;  // system time, UTC seconds
  Moment from = 0;
  Moment to = 0;
  bool operator==(const ReportMark&) const = default;
};

struct HistoryRecord {
  RowId id = 0;
  Moment moment = 0;
  StoredRecord bytes{};
};

// A car's history of downloads in one SQLite file: cars, the imports of their
// dumps, and each car's records, every distinct record stored once (its bytes
// are its identity within the car) with the imports that carried it and its
// place in each. Every change is one transaction: interrupted anywhere (the
// process killed, the disk full) the library stays as it was. Several programs
// may use one library at once; one that finds it busy waits a few seconds, then
// fails with Kind::busy. Errors are LibraryError with a message for the user.
// One object serves one thread.
class LibraryStore {
 public:
  enum class Access { readWrite, readOnly };

  // Opens the library at a file path (UTF-8), creating the file and its
  // folder when absent and allowed to. A file that is no library (another
  // database, anything else), is damaged or comes from a newer version of the
  // program is refused and left as it is; an older one is brought up to date.
  // A library that cannot be written (a read-only medium, no rights) opens for
  // reading; changes then fail with Kind::readOnly.
  explicit LibraryStore(const std::string& location, Access access = Access::readWrite);
  ~LibraryStore();
  LibraryStore(const LibraryStore&) = delete;
  LibraryStore& operator=(const LibraryStore&) = delete;

  const std::string& location() const;
  bool readOnly() const;

  // Cars, by name.
  std::vector<CarSummary> cars() const;
  std::optional<Car> findCar(std::string_view name) const;
  std::optional<Car> findCar(RowId id) const;
  // A name is non-empty text without control characters or ";", unique in the library.
  RowId addCar(const std::string& name, int controllerType, const std::string& note = {});
  void renameCar(RowId car, const std::string& name);
  void setCarNote(RowId car, const std::string& note);
  // The car with its imports and records.
  void removeCar(RowId car);

  // A car's imports, oldest first.
  std::vector<ImportInfo> imports(RowId car) const;
  // Adds a dump's records to a car: a record the car has already is not stored
  // again; each gets its moment from the source's reference date. A dump of
  // another controller type than the car's is refused (Kind::refused), as is a
  // dump with no line; ConversionError for unreadable bytes.
  ImportOutcome importDump(RowId car, const Dump& dump, const ImportSource& source);
  // The same into the car of this name, made with the dump's controller type
  // where there is none, in the same transaction: a first import that fails
  // leaves no car behind.
  ImportOutcome importIntoCarNamed(const std::string& name, const Dump& dump, const ImportSource& source);
  // Removes an import, and the records no other import of its car carried.
  // Returns how many records went.
  std::int64_t removeImport(RowId import);

  // The records an import carried, in the order of their places.
  std::vector<CarriedRecord> carriedRecords(RowId import) const;
  // Adds an import read from another library to a car, its records keeping
  // their moments: nothing when the car holds that dump already. The import
  // keeps its time, file, day and counts.
  ImportOutcome copyImport(RowId car, const ImportInfo& import, const std::vector<CarriedRecord>& records);

  // While it lives, whatever this store reads comes from one moment of the
  // library, whatever others change meanwhile.
  class Snapshot {
   public:
    explicit Snapshot(const LibraryStore& store);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

   private:
    std::unique_ptr<sql::ReadTransaction> transaction_;
  };

  // A car's dated records in history order (time, ties in the order they
  // were stored, which is the order of the memory), within [from, to] when given.
  std::vector<HistoryRecord> history(RowId car, std::optional<Moment> from = {},
                                     std::optional<Moment> to = {}) const;
  // Their moments alone, in the same order.
  std::vector<Moment> moments(RowId car) const;

  // Reports made of a car: the one reaching furthest, from which the next
  // visit's report starts; marking one needs a library that can be changed.
  std::optional<ReportMark> lastReport(RowId car) const;
  // All of them, oldest first.
  std::vector<ReportMark> reports(RowId car) const;
  void markReport(RowId car, const ReportMark& report);

  // A consistent copy of the whole library in a file at a path (a library on
  // a server too), while others may use it; an existing file there is
  // replaced only once the copy is complete.
  void backup(const std::string& target) const;
  // What is wrong inside the library (a file's integrity and foreign keys,
  // and for any library its counts and records no import carried); empty
  // when it is sound.
  std::vector<std::string> check() const;

 private:
  struct Connection;
  std::unique_ptr<Connection> db_;
};

}  // namespace kq
