#include "library/library_store.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "analysis/printable_text.h"
#include "base/file_error.h"
#include "base/file_sync.h"
#include "base/os_calls.h"
#include "base/safe_file.h"
#include "base/state_folder.h"
#include "base/utf8_path.h"
#include "decode/record_view.h"
#include "library/library_copy.h"
#include "library/library_location.h"
#include "library/library_schema.h"
#include "library/sql_connection.h"

namespace kq {
namespace {
using Kind = LibraryError::Kind;

QString text(const std::string& value) { return QString::fromStdString(value); }
std::string text(const QVariant& value) { return value.toString().toStdString(); }
std::optional<std::int64_t> optionalInt(const QVariant& value) {
  if (value.isNull()) return std::nullopt;
  return value.toLongLong();
}

StoredRecord storedRecord(const QByteArray& bytes) {
  StoredRecord record{};
  std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), kStoredRecordBytes), record.begin());
  return record;
}

// A file SQLite wrote starts so; anything else is no library.
bool looksLikeSqlite(const std::filesystem::path& path) {
  static constexpr char kHeader[] = "SQLite format 3";  // and its NUL
  std::ifstream file(path, std::ios::binary);
  char start[sizeof kHeader] = {};
  file.read(start, sizeof start);
  return file.gcount() == std::streamsize(sizeof start) && std::equal(start, start + sizeof start, kHeader);
}

bool writable(const std::filesystem::path& path) {
  const QString file = QString::fromStdString(utf8Text(path));
  const QFileInfo folder(QFileInfo(file).absolutePath());
  return QFileInfo(file).isWritable() && folder.isWritable();
}

void checkName(const std::string& name) {
  if (name.empty()) throw LibraryError(Kind::refused, "У машины должно быть имя");
  // It stands in ";"-separated lists.
  if (name.find(';') != std::string::npos)
    throw LibraryError(Kind::refused, "Имя машины не может содержать «;»");
  if (printableText(name) != name)
    throw LibraryError(Kind::refused, "Имя машины не может содержать управляющих знаков");
}

// The records one after another as one value, their moments and places as
// lists, handed to the database as one value each.
struct IncomingRecords {
  QByteArray bytes;
  std::vector<std::optional<std::int64_t>> moments;  // none: undated
  std::vector<std::optional<std::int64_t>> places;
  std::int64_t undated = 0;
};

IncomingRecords incoming(const std::vector<DumpRecord>& records, const CalendarDate& reference) {
  IncomingRecords result;
  result.bytes.reserve(qsizetype(records.size()) * kStoredRecordBytes);
  result.moments.reserve(records.size());
  result.places.reserve(records.size());
  for (const DumpRecord& record : records) {
    result.bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kStoredRecordBytes);
    const std::optional<Moment> moment = recordMoment(record.date, record.time, reference);
    if (!moment) ++result.undated;
    result.moments.push_back(moment);
    result.places.push_back(record.slot);
  }
  return result;
}

// The id an INSERT ... RETURNING gave; the statement is finished, as a
// commit needs it to be.
RowId insertedId(QSqlQuery& query) {
  query.next();
  const RowId id = query.value(0).toLongLong();
  query.finish();
  return id;
}
}  // namespace

std::string defaultLibraryLocation() {
  const std::filesystem::path folder = userDataFolder();
  return folder.empty() ? std::string() : utf8Text(folder / "library.sqlite");
}

struct LibraryStore::Connection {
  std::string location;
  std::unique_ptr<sql::Connection> sql;
  sql::Connection& operator*() { return *sql; }
};

LibraryStore::LibraryStore(const std::string& location, Access access) : db_(std::make_unique<Connection>()) {
  db_->location = location;
  if (const std::optional<ServerLocation> server = serverLocation(location)) {
    db_->sql = std::make_unique<sql::Connection>(*server, location);
    const bool mayWrite = sql::canWrite(**db_);
    if (access == Access::readOnly || !mayWrite) db_->sql->refuseChanges();
    try {
      sql::prepareSchema(**db_);
    } catch (const LibraryError& failure) {
      // Only reading was asked for, and there is nothing to read yet.
      if (failure.kind() != Kind::readOnly || !mayWrite) throw;
      throw LibraryError(Kind::notFound,
                         "В базе «" + location + "» ещё нет библиотеки: её начнёт первая загрузка");
    }
    return;
  }
  const std::filesystem::path path = utf8Path(location);
  const std::string shown = "«" + location + "»";
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (location.empty()) throw LibraryError(Kind::notFound, "Не задан файл библиотеки");
  if (exists && std::filesystem::is_directory(path, error))
    throw LibraryError(Kind::damaged, shown + " — папка, а не файл библиотеки");
  if (exists && std::filesystem::file_size(path, error) > 0 && !looksLikeSqlite(path))
    throw LibraryError(Kind::damaged, shown + " — не библиотека загрузок; файл оставлен как есть");
  bool readOnly = access == Access::readOnly;
  if (!exists) {
    if (readOnly) throw LibraryError(Kind::notFound, "Библиотеки " + shown + " нет");
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    if (error)
      throw LibraryError(Kind::other, "Папку для библиотеки " + shown + " не создать: " + error.message());
  } else if (!writable(path)) {
    readOnly = true;
  }
  try {
    db_->sql = std::make_unique<sql::Connection>(location, readOnly, false);
    sql::prepareSchema(**db_);
  } catch (const LibraryError& failure) {
    // A read-only medium keeps no shared-memory index for a library in WAL
    // mode: read it as a file nobody changes.
    if (!readOnly || failure.kind() != Kind::other) throw;
    db_->sql.reset();
    db_->sql = std::make_unique<sql::Connection>(location, true, true);
    sql::prepareSchema(**db_);
  }
}

LibraryStore::~LibraryStore() = default;

const std::string& LibraryStore::location() const { return db_->location; }
bool LibraryStore::readOnly() const { return db_->sql->readOnly(); }

std::vector<CarSummary> LibraryStore::cars() const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral("SELECT id, name, controller_type, note, records, undated,"
                     " (SELECT min(moment) FROM records WHERE car_id = cars.id AND moment IS NOT NULL),"
                     " (SELECT max(moment) FROM records WHERE car_id = cars.id),"
                     " (SELECT max(imported_at) FROM imports WHERE car_id = cars.id)"
                     " FROM cars ORDER BY name"));
  std::vector<CarSummary> cars;
  while (query.next()) {
    CarSummary summary;
    summary.car = {query.value(0).toLongLong(), text(query.value(1)), query.value(2).toInt(),
                   text(query.value(3))};
    summary.records = query.value(4).toLongLong();
    summary.undated = query.value(5).toLongLong();
    summary.first = optionalInt(query.value(6));
    summary.last = optionalInt(query.value(7));
    summary.lastImportedAt = optionalInt(query.value(8));
    cars.push_back(std::move(summary));
  }
  return cars;
}

namespace {
std::optional<Car> carOf(QSqlQuery& query) {
  if (!query.next()) return std::nullopt;
  return Car{query.value(0).toLongLong(), text(query.value(1)), query.value(2).toInt(), text(query.value(3))};
}
}  // namespace

std::optional<Car> LibraryStore::findCar(std::string_view name) const {
  QSqlQuery query =
      db_->sql->run(QStringLiteral("SELECT id, name, controller_type, note FROM cars WHERE name = ?"),
                    {text(std::string(name))});
  return carOf(query);
}

std::optional<Car> LibraryStore::findCar(RowId id) const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral("SELECT id, name, controller_type, note FROM cars WHERE id = ?"), {qint64(id)});
  return carOf(query);
}

namespace {
Car existingCar(const LibraryStore& store, RowId id) {
  std::optional<Car> car = store.findCar(id);
  if (!car) throw LibraryError(Kind::notFound, "Такой машины в библиотеке нет");
  return *car;
}

void checkNameFree(const LibraryStore& store, const std::string& name, RowId except) {
  if (std::optional<Car> other = store.findCar(std::string_view(name)); other && other->id != except)
    throw LibraryError(Kind::refused, "Машина «" + name + "» уже есть в библиотеке");
}
}  // namespace

RowId LibraryStore::addCar(const std::string& name, int controllerType, const std::string& note) {
  checkName(name);
  sql::Transaction transaction(**db_);
  checkNameFree(*this, name, 0);
  QSqlQuery query = db_->sql->run(
      QStringLiteral("INSERT INTO cars(name, controller_type, note) VALUES (?, ?, ?) RETURNING id"),
      {text(name), controllerType, text(note)});
  const RowId id = insertedId(query);
  transaction.commit();
  return id;
}

void LibraryStore::renameCar(RowId car, const std::string& name) {
  checkName(name);
  sql::Transaction transaction(**db_);
  existingCar(*this, car);
  checkNameFree(*this, name, car);
  db_->sql->run(QStringLiteral("UPDATE cars SET name = ? WHERE id = ?"), {text(name), qint64(car)});
  transaction.commit();
}

void LibraryStore::setCarNote(RowId car, const std::string& note) {
  sql::Transaction transaction(**db_);
  existingCar(*this, car);
  db_->sql->run(QStringLiteral("UPDATE cars SET note = ? WHERE id = ?"), {text(note), qint64(car)});
  transaction.commit();
}

void LibraryStore::markReport(RowId car, const ReportMark& report) {
  sql::Transaction transaction(**db_);
  existingCar(*this, car);
  db_->sql->run(
      QStringLiteral("INSERT INTO reports(car_id, made_at, span_from, span_to) VALUES (?, ?, ?, ?)"),
      {qint64(car), qint64(report.madeAt), qint64(report.from), qint64(report.to)});
  transaction.commit();
}

void LibraryStore::removeCar(RowId car) {
  sql::Transaction transaction(**db_);
  existingCar(*this, car);
  // The cascade would look up every record's imports one by one.
  db_->sql->run(
      QStringLiteral(
          "DELETE FROM import_records WHERE import_id IN (SELECT id FROM imports WHERE car_id = ?)"),
      {qint64(car)});
  db_->sql->run(QStringLiteral("DELETE FROM records WHERE car_id = ?"), {qint64(car)});
  db_->sql->run(QStringLiteral("DELETE FROM imports WHERE car_id = ?"), {qint64(car)});
  db_->sql->run(QStringLiteral("DELETE FROM reports WHERE car_id = ?"), {qint64(car)});
  db_->sql->run(QStringLiteral("DELETE FROM cars WHERE id = ?"), {qint64(car)});
  transaction.commit();
}

std::optional<ReportMark> LibraryStore::lastReport(RowId car) const {
  QSqlQuery query =
      db_->sql->run(QStringLiteral("SELECT made_at, span_from, span_to FROM reports WHERE car_id = ?"
                                   " ORDER BY span_to DESC, id DESC LIMIT 1"),
                    {qint64(car)});
  if (!query.next()) return std::nullopt;
  return ReportMark{query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong()};
}

std::vector<ReportMark> LibraryStore::reports(RowId car) const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral("SELECT made_at, span_from, span_to FROM reports WHERE car_id = ? ORDER BY id"),
      {qint64(car)});
  std::vector<ReportMark> marks;
  while (query.next())
    marks.push_back({query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong()});
  return marks;
}

std::vector<ImportInfo> LibraryStore::imports(RowId car) const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral(
          "SELECT id, car_id, imported_at, file_name, sha256, reference_date, new_records, known_records"
          " FROM imports WHERE car_id = ? ORDER BY id"),
      {qint64(car)});
  std::vector<ImportInfo> imports;
  while (query.next()) {
    ImportInfo info;
    info.id = query.value(0).toLongLong();
    info.car = query.value(1).toLongLong();
    info.importedAt = query.value(2).toLongLong();
    info.fileName = text(query.value(3));
    info.sha256 = text(query.value(4));
    info.reference = parseCalendarDate(text(query.value(5))).value_or(CalendarDate{});
    info.newRecords = query.value(6).toLongLong();
    info.knownRecords = query.value(7).toLongLong();
    imports.push_back(std::move(info));
  }
  return imports;
}

namespace {
void checkCanChange(const LibraryStore& store) {
  if (store.readOnly())
    throw LibraryError(Kind::readOnly, "Библиотеку «" + store.location() +
                                           "» нельзя изменить: она открыта только для чтения");
}

void checkSameType(const Car& car, int type) {
  if (type != car.controllerType)
    throw LibraryError(Kind::refused, "Дамп записан контроллером типа " + std::to_string(type) +
                                          ", а у машины «" + car.name + "» тип " +
                                          std::to_string(car.controllerType) + "; дамп не добавлен");
}

// The dump's records read before any change: unreadable bytes change nothing.
struct PreparedImport {
  std::vector<DumpRecord> records;
  QString sha256;
  IncomingRecords batch;
};

// Of the dump's text as a dump file holds it (lines ended by CR LF), so that
// it is the sha256sum of the file the program saves.
QString sha256Of(const Dump& dump) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const std::string& line : dump.lines()) {
    hash.addData(QByteArrayView(line.data(), qsizetype(line.size())));
    hash.addData(QByteArrayView("\r\n", 2));
  }
  return QString::fromLatin1(hash.result().toHex());
}

PreparedImport prepareImport(const Dump& dump, const ImportSource& source) {
  // The hash takes as long as reading the records: both at once.
  std::future<QString> sha256 = std::async(std::launch::async, [&dump] { return sha256Of(dump); });
  PreparedImport prepared;
  prepared.records = recordsOfDump(dump);
  prepared.batch = incoming(prepared.records, source.reference);
  prepared.sha256 = sha256.get();
  return prepared;
}

// Inside the caller's transaction, for the rest of it.
void lockCar(sql::Connection& db, RowId car) {
  if (const QString lock = sql::lockCar(db.backend()); !lock.isEmpty()) db.run(lock, {qint64(car)});
}

// Stores an import's records, each unless the car has it, and where the
// import carried them, inside the caller's transaction; returns how many were new.
std::int64_t storeRecords(sql::Connection& db, RowId carId, qint64 import, const IncomingRecords& batch) {
  // Every record in one statement, and their places in another.
  const sql::Backend backend = db.backend();
  QSqlQuery stored = db.run(sql::insertRecords(backend, kStoredRecordBytes),
                            {qint64(carId), batch.bytes, sql::numberList(backend, batch.moments)});
  const std::int64_t added = stored.numRowsAffected();
  db.run(sql::insertImportRecords(backend, kStoredRecordBytes),
         {import, sql::numberList(backend, batch.places), qint64(carId), batch.bytes});
  db.run(QStringLiteral(
             "UPDATE cars SET records = records + ?,"
             " undated = (SELECT count(*) FROM records WHERE car_id = ? AND moment IS NULL) WHERE id = ?"),
         {qint64(added), qint64(carId), qint64(carId)});
  return added;
}

bool holdsDump(sql::Connection& db, RowId carId, const QString& sha256) {
  return db
      .value(QStringLiteral("SELECT 1 FROM imports WHERE car_id = ? AND sha256 = ?"), {qint64(carId), sha256})
      .isValid();
}

// Inside the caller's transaction.
ImportOutcome storeImport(sql::Connection& db, RowId carId, const PreparedImport& prepared,
                          const ImportSource& source) {
  const IncomingRecords& batch = prepared.batch;
  ImportOutcome outcome;
  outcome.records = std::int64_t(prepared.records.size());
  outcome.undated = batch.undated;
  lockCar(db, carId);
  if (holdsDump(db, carId, prepared.sha256)) {
    outcome.knownRecords = outcome.records;
    return outcome;  // this very dump is there already
  }
  const qint64 now =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
          .count();
  QSqlQuery added = db.run(
      QStringLiteral("INSERT INTO imports(car_id, imported_at, file_name, sha256, reference_date,"
                     " new_records, known_records) VALUES (?, ?, ?, ?, ?, 0, 0) RETURNING id"),
      {qint64(carId), now, text(source.fileName), prepared.sha256, text(calendarDateText(source.reference))});
  const qint64 import = insertedId(added);
  outcome.newRecords = storeRecords(db, carId, import, batch);
  outcome.knownRecords = outcome.records - outcome.newRecords;
  db.run(QStringLiteral("UPDATE imports SET new_records = ?, known_records = ? WHERE id = ?"),
         {qint64(outcome.newRecords), qint64(outcome.knownRecords), import});
  outcome.import = import;
  return outcome;
}
}  // namespace

ImportOutcome LibraryStore::importDump(RowId carId, const Dump& dump, const ImportSource& source) {
  checkCanChange(*this);
  if (dump.empty()) throw LibraryError(Kind::refused, "В дампе нет ни одной строки");
  checkSameType(existingCar(*this, carId), readControllerType(dump));
  const PreparedImport prepared = prepareImport(dump, source);
  sql::Transaction transaction(**db_);
  ImportOutcome outcome = storeImport(**db_, carId, prepared, source);
  if (outcome.import) transaction.commit();
  return outcome;
}

ImportOutcome LibraryStore::importIntoCarNamed(const std::string& name, const Dump& dump,
                                               const ImportSource& source) {
  checkCanChange(*this);
  checkName(name);
  if (dump.empty()) throw LibraryError(Kind::refused, "В дампе нет ни одной строки");
  const int type = readControllerType(dump);
  const PreparedImport prepared = prepareImport(dump, source);
  sql::Transaction transaction(**db_);
  // Another computer may make the same car at the same moment: one of them
  // makes it, and the other waits and finds it.
  db_->sql->run(QStringLiteral("INSERT INTO cars(name, controller_type, note) VALUES (?, ?, '')"
                               " ON CONFLICT (name) DO NOTHING"),
                {text(name), type});
  const std::optional<Car> existing = findCar(std::string_view(name));
  if (!existing) throw LibraryError(Kind::notFound, "Машина «" + name + "» удалена с другого компьютера");
  checkSameType(*existing, type);
  const RowId car = existing->id;
  ImportOutcome outcome = storeImport(**db_, car, prepared, source);
  transaction.commit();
  return outcome;
}

std::int64_t LibraryStore::removeImport(RowId import) {
  sql::Connection& db = **db_;
  sql::Transaction transaction(db);
  const QVariant car = db.value(QStringLiteral("SELECT car_id FROM imports WHERE id = ?"), {qint64(import)});
  if (!car.isValid())
    throw LibraryError(Kind::notFound, "Загрузки " + std::to_string(import) + " в библиотеке нет");
  lockCar(db, car.toLongLong());
  QSqlQuery removed = db.run(QStringLiteral("DELETE FROM records WHERE id IN"
                                            " (SELECT record_id FROM import_records WHERE import_id = ?)"
                                            " AND NOT EXISTS (SELECT 1 FROM import_records AS other"
                                            " WHERE other.record_id = records.id AND other.import_id <> ?)"),
                             {qint64(import), qint64(import)});
  const std::int64_t count = removed.numRowsAffected();
  db.run(QStringLiteral("DELETE FROM import_records WHERE import_id = ?"), {qint64(import)});
  db.run(QStringLiteral("DELETE FROM imports WHERE id = ?"), {qint64(import)});
  db.run(QStringLiteral(
             "UPDATE cars SET records = records - ?,"
             " undated = (SELECT count(*) FROM records WHERE car_id = ? AND moment IS NULL) WHERE id = ?"),
         {qint64(count), car, car});
  transaction.commit();
  return count;
}

std::vector<CarriedRecord> LibraryStore::carriedRecords(RowId import) const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral("SELECT import_records.slot, records.moment, records.bytes FROM import_records"
                     " JOIN records ON records.id = import_records.record_id"
                     " WHERE import_records.import_id = ? ORDER BY import_records.slot"),
      {qint64(import)});
  std::vector<CarriedRecord> records;
  while (query.next())
    records.push_back({query.value(0).toLongLong(), optionalInt(query.value(1)),
                       storedRecord(query.value(2).toByteArray())});
  return records;
}

ImportOutcome LibraryStore::copyImport(RowId carId, const ImportInfo& import,
                                       const std::vector<CarriedRecord>& records) {
  checkCanChange(*this);
  sql::Connection& db = **db_;
  IncomingRecords batch;
  batch.bytes.reserve(qsizetype(records.size()) * kStoredRecordBytes);
  for (const CarriedRecord& record : records) {
    batch.bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kStoredRecordBytes);
    batch.moments.push_back(record.moment);
    batch.places.push_back(record.slot);
    if (!record.moment) ++batch.undated;
  }
  sql::Transaction transaction(db);
  existingCar(*this, carId);
  lockCar(db, carId);
  ImportOutcome outcome;
  outcome.records = std::int64_t(records.size());
  outcome.undated = batch.undated;
  if (holdsDump(db, carId, text(import.sha256))) {
    outcome.knownRecords = outcome.records;
    return outcome;
  }
  QSqlQuery added = db.run(
      QStringLiteral("INSERT INTO imports(car_id, imported_at, file_name, sha256, reference_date,"
                     " new_records, known_records) VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING id"),
      {qint64(carId), qint64(import.importedAt), text(import.fileName), text(import.sha256),
       text(calendarDateText(import.reference)), qint64(import.newRecords), qint64(import.knownRecords)});
  const qint64 id = insertedId(added);
  outcome.newRecords = storeRecords(db, carId, id, batch);
  outcome.knownRecords = outcome.records - outcome.newRecords;
  transaction.commit();
  outcome.import = id;
  return outcome;
}

LibraryStore::Snapshot::Snapshot(const LibraryStore& store)
    : transaction_(std::make_unique<sql::ReadTransaction>(*store.db_->sql)) {}

LibraryStore::Snapshot::~Snapshot() = default;

std::vector<HistoryRecord> LibraryStore::history(RowId car, std::optional<Moment> from,
                                                 std::optional<Moment> to) const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral("SELECT id, moment, bytes FROM records WHERE car_id = ? AND moment IS NOT NULL"
                     " AND moment >= ? AND moment <= ? ORDER BY moment, id"),
      {qint64(car), qint64(from.value_or(std::numeric_limits<Moment>::min())),
       qint64(to.value_or(std::numeric_limits<Moment>::max()))});
  std::vector<HistoryRecord> records;
  while (query.next())
    records.push_back({query.value(0).toLongLong(), query.value(1).toLongLong(),
                       storedRecord(query.value(2).toByteArray())});
  return records;
}

std::vector<Moment> LibraryStore::moments(RowId car) const {
  QSqlQuery query = db_->sql->run(
      QStringLiteral(
          "SELECT moment FROM records WHERE car_id = ? AND moment IS NOT NULL ORDER BY moment, id"),
      {qint64(car)});
  std::vector<Moment> moments;
  while (query.next()) moments.push_back(query.value(0).toLongLong());
  return moments;
}

void LibraryStore::backup(const std::string& target) const {
  const std::filesystem::path path = utf8Path(target);
  std::filesystem::path partial = path;
  partial += ".partial";
  checkCanCreate(target);  // a missing folder, no rights: said as for any file written
  std::error_code ignored;
  std::filesystem::remove(partial, ignored);
  // A snapshot of one read transaction, so others may go on writing.
  try {
    if (db_->sql->backend() == sql::Backend::sqlite) {
      db_->sql->run(QStringLiteral("VACUUM INTO ?"), {text(utf8Text(partial))});
    } else {
      LibraryStore copy(utf8Text(partial));
      copyLibrary(*this, copy);
    }
  } catch (const LibraryError&) {
    std::filesystem::remove(partial, ignored);
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(partial.string() + suffix, ignored);
    throw;
  }
  // SQLite leaves its copy unsynced.
  if (!syncFileToDisk(partial) || !replaceFileWith(partial, path)) {
    const int error = errno;
    std::filesystem::remove(partial, ignored);
    throw FileError::cannotCreate(target, error);
  }
}

std::vector<std::string> LibraryStore::check() const {
  std::vector<std::string> problems;
  sql::Connection& db = *db_->sql;
  // A server keeps its tables and keys sound itself.
  if (db.backend() == sql::Backend::sqlite) {
    QSqlQuery integrity = db.run(QStringLiteral("PRAGMA integrity_check"));
    while (integrity.next())
      if (const std::string line = text(integrity.value(0)); line != "ok") problems.push_back(line);
    QSqlQuery keys = db.run(QStringLiteral("PRAGMA foreign_key_check"));
    while (keys.next())
      problems.push_back("запись " + text(keys.value(1)) + " таблицы " + text(keys.value(0)) +
                         " ссылается на несуществующую строку таблицы " + text(keys.value(2)));
    if (!problems.empty()) return problems;
  }
  QSqlQuery counts = db.run(QStringLiteral(
      "SELECT name, records, undated, (SELECT count(*) FROM records WHERE car_id = cars.id),"
      " (SELECT count(*) FROM records WHERE car_id = cars.id AND moment IS NULL) FROM cars ORDER BY name"));
  while (counts.next())
    if (counts.value(1).toLongLong() != counts.value(3).toLongLong() ||
        counts.value(2).toLongLong() != counts.value(4).toLongLong())
      problems.push_back("у машины «" + text(counts.value(0)) + "» счёт записей " + text(counts.value(1)) +
                         " (без даты " + text(counts.value(2)) + "), а записей " + text(counts.value(3)) +
                         " (без даты " + text(counts.value(4)) + ")");
  const std::int64_t loose =
      db.value(QStringLiteral("SELECT count(*) FROM records WHERE NOT EXISTS"
                              " (SELECT 1 FROM import_records WHERE record_id = records.id)"))
          .toLongLong();
  if (loose > 0) problems.push_back(std::to_string(loose) + " записей не принесла ни одна загрузка");
  return problems;
}

}  // namespace kq
