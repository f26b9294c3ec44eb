#include "library/sql_connection.h"

#include <QUrl>
#include <atomic>

#include "library/library_store.h"

namespace kq::sql {
namespace {
// How long a busy library is waited for before the user is told.
constexpr int kBusyTimeoutMs = 10000;

// SQLite's primary result codes that the user's message depends on.
enum SqliteCode {
  kBusy = 5,
  kLocked = 6,
  kReadOnly = 8,
  kIoError = 10,
  kCorrupt = 11,
  kFull = 13,
  kNotADatabase = 26
};

QString uniqueConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("kq-library-%1").arg(++counter);
}
}  // namespace

}  // namespace kq::sql

namespace kq {

void loadLibraryDriver() {
  const QString name = QStringLiteral("kq-library-driver");
  QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
  // The plugin stays loaded when its connection goes.
  QSqlDatabase::removeDatabase(name);
}

}  // namespace kq

namespace kq::sql {

Connection::Connection(const std::string& path, bool readOnly, bool immutable)
    : name_(uniqueConnectionName()), path_(path), readOnly_(readOnly) {
  db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
  if (!db_.isValid())
    fail(LibraryError::Kind::other,
         "Нет драйвера SQLite для Qt (qsqlite), библиотека " + quotedPath() + " не открыта");
  QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
  const QString file = QString::fromStdString(path);
  if (immutable) {
    // Only a URI can say so; the path is escaped as a URI's.
    options += QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
    db_.setDatabaseName(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded) +
                        QStringLiteral("?immutable=1"));
  } else {
    if (readOnly) options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db_.setDatabaseName(file);
  }
  db_.setConnectOptions(options);
  if (!db_.open()) fail(db_.lastError());
}

Connection::~Connection() {
  db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(name_);
}

std::string Connection::quotedPath() const { return "«" + path_ + "»"; }

QSqlQuery Connection::run(const QString& statement, std::initializer_list<QVariant> values) {
  QSqlQuery query(db_);
  query.setForwardOnly(true);
  if (!query.prepare(statement)) fail(query.lastError());
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec()) fail(query.lastError());
  return query;
}

QVariant Connection::value(const QString& statement, std::initializer_list<QVariant> values) {
  QSqlQuery query = run(statement, values);
  return query.next() ? query.value(0) : QVariant();
}

void Connection::fail(LibraryError::Kind kind, const std::string& message) const {
  throw LibraryError(kind, message);
}

void Connection::fail(const QSqlError& error) const {
  using Kind = LibraryError::Kind;
  bool known = false;
  const int code = error.nativeErrorCode().toInt(&known) & 0xFF;
  const std::string text =
      error.databaseText().isEmpty() ? error.text().toStdString() : error.databaseText().toStdString();
  if (known) {
    switch (code) {
      case kBusy:
      case kLocked:
        fail(Kind::busy, "Библиотека " + quotedPath() + " занята другой программой; попробуйте ещё раз");
      case kCorrupt:
      case kNotADatabase:
        fail(Kind::damaged,
             "Библиотека " + quotedPath() + " повреждена (" + text + "); файл оставлен как есть");
      case kFull:
        fail(Kind::noSpace, "На диске нет места для библиотеки " + quotedPath() + "; она осталась как была");
      case kReadOnly:
        fail(Kind::readOnly,
             "Библиотеку " + quotedPath() + " нельзя изменить: она открыта только для чтения");
      case kIoError:
        fail(Kind::other, "Ошибка чтения или записи библиотеки " + quotedPath() + " (" + text +
                              "); она осталась как была");
      default:
        break;
    }
  }
  fail(Kind::other, "Ошибка библиотеки " + quotedPath() + ": " + text);
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
  if (connection.readOnly())
    connection.fail(LibraryError::Kind::readOnly, "Библиотеку " + connection.quotedPath() +
                                                      " нельзя изменить: она открыта только для чтения");
  connection.run(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    connection_.run(QStringLiteral("ROLLBACK"));
  } catch (const LibraryError&) {
    // SQLite rolls back by itself where it could not finish (a full disk).
  }
}

void Transaction::commit() {
  connection_.run(QStringLiteral("COMMIT"));
  open_ = false;
}

}  // namespace kq::sql
