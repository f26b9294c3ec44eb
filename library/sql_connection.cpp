#include "library/sql_connection.h"

#include <QUrl>
#include <atomic>

#include "library/library_store.h"

namespace kq::sql {
namespace {
// How long a busy library is waited for before the user is told.
constexpr int kBusyTimeoutMs = 10000;
// How long a server is waited for when connecting.
constexpr int kConnectTimeoutSeconds = 10;

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

Connection::Connection(const ServerLocation& server, const std::string& shown)
    : name_(uniqueConnectionName()), path_(shown), readOnly_(false), backend_(Backend::postgresql) {
  db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
  if (!db_.isValid())
#ifdef _WIN32
    fail(LibraryError::Kind::other, "Библиотеку на сервере " + quotedPath() +
                                        " эта версия для Windows не открывает, только файл библиотеки; "
                                        "на Linux её можно скопировать в файл: kq-cli library copy");
#else
    fail(LibraryError::Kind::other, "Нет драйвера PostgreSQL для Qt (qpsql), библиотека " + quotedPath() +
                                        " не открыта; в Debian он в пакете libqt6sql6-psql");
#endif
  db_.setHostName(QString::fromStdString(server.host));
  db_.setPort(server.port);
  db_.setUserName(QString::fromStdString(server.user));
  db_.setDatabaseName(QString::fromStdString(server.database));
  db_.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds));
  open();
}

void Connection::open() {
  if (!db_.open()) {
    if (backend_ == Backend::sqlite) fail(db_.lastError());
    lost_ = true;
    fail(LibraryError::Kind::lostConnection, "Сервер библиотеки " + quotedPath() +
                                                 " не отвечает или не принял (" +
                                                 db_.lastError().databaseText().simplified().toStdString() +
                                                 "); пароль программа берёт из ~/.pgpass или PGPASSWORD");
  }
  lost_ = false;
  if (backend_ == Backend::postgresql) configure(*this);
}

Connection::~Connection() {
  db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(name_);
}

std::string Connection::quotedPath() const { return "«" + path_ + "»"; }

QSqlQuery Connection::run(const QString& statement, std::initializer_list<QVariant> values) {
  if (lost_) {
    // A transaction the server dropped is gone; its statements must not run
    // on a new connection as if it went on.
    if (inTransaction_)
      fail(LibraryError::Kind::lostConnection,
           "Связь с сервером библиотеки " + quotedPath() + " прервалась; изменение не сохранено");
    db_.close();
    open();
  }
  QSqlQuery query(db_);
  // Forward only keeps SQLite from caching rows; Qt's PostgreSQL driver then
  // takes rows from the server one by one, several times slower than whole.
  query.setForwardOnly(backend_ == Backend::sqlite);
  // A server prepares statements by name, which it does not for a
  // transaction's or a setting's: those, with nothing bound, run as they are.
  if (values.size() == 0) {
    if (!query.exec(statement)) fail(query.lastError());
    return query;
  }
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

void Connection::fail(const QSqlError& error) {
  using Kind = LibraryError::Kind;
  if (backend_ == Backend::postgresql) failOnServer(error);
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

void Connection::failOnServer(const QSqlError& error) {
  using Kind = LibraryError::Kind;
  // The server's SQLSTATE: its class (two characters) says most.
  const std::string state = error.nativeErrorCode().toStdString();
  const std::string type = state.substr(0, 2);
  const std::string text = error.databaseText().simplified().toStdString();
  // Without a state the server may be gone: its client library says so in
  // words alone, and a statement as simple as can be fails as well.
  const bool gone = type == "08" || state.rfind("57P", 0) == 0 ||
                    (state.empty() && !QSqlQuery(db_).exec(QStringLiteral("SELECT 1")));
  if (gone) {
    lost_ = true;
    fail(Kind::lostConnection, "Связь с сервером библиотеки " + quotedPath() + " прервалась (" + text +
                                   "); изменение, если было начато, не сохранено");
  }
  if (state == "40P01" || state == "40001" || state == "55P03")
    fail(Kind::busy, "Библиотека " + quotedPath() + " занята другим компьютером; попробуйте ещё раз");
  if (state == "23505")
    fail(Kind::refused, "Другой компьютер только что сделал в библиотеке " + quotedPath() +
                            " то же самое; обновите её и посмотрите ещё раз");
  if (state == "42501" || state == "25006")
    fail(Kind::readOnly,
         "У пользователя нет прав изменять библиотеку " + quotedPath() + "; она осталась как была");
  if (type == "53")
    fail(Kind::noSpace, "У сервера библиотеки " + quotedPath() + " не хватает места или памяти (" + text +
                            "); библиотека осталась как была");
  if (type == "XX")
    fail(Kind::damaged,
         "База библиотеки " + quotedPath() + " повреждена (" + text + "); она оставлена как есть");
  if (type == "28")
    fail(Kind::lostConnection, "Сервер библиотеки " + quotedPath() + " не принял пользователя (" + text +
                                   "); пароль программа берёт из ~/.pgpass или PGPASSWORD");
  if (state == "3D000")
    fail(Kind::notFound, "На сервере нет базы библиотеки " + quotedPath() + " (" + text + ")");
  fail(Kind::other, "Ошибка библиотеки " + quotedPath() + ": " + text);
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
  if (connection.readOnly())
    connection.fail(LibraryError::Kind::readOnly, "Библиотеку " + connection.quotedPath() +
                                                      " нельзя изменить: она открыта только для чтения");
  connection.run(beginWrite(connection.backend()));
  connection.inTransaction_ = true;
}

Transaction::~Transaction() {
  if (!open_) return;
  connection_.inTransaction_ = false;
  if (connection_.lost_) return;  // the server rolled it back
  try {
    connection_.run(QStringLiteral("ROLLBACK"));
  } catch (const LibraryError&) {
    // SQLite rolls back by itself where it could not finish (a full disk).
  }
}

ReadTransaction::ReadTransaction(Connection& connection) : connection_(connection) {
  connection.run(beginSnapshot(connection.backend()));
  connection.inTransaction_ = true;
}

ReadTransaction::~ReadTransaction() {
  connection_.inTransaction_ = false;
  if (connection_.lost_) return;
  try {
    connection_.run(QStringLiteral("COMMIT"));
  } catch (const LibraryError&) {
    // Nothing was changed in it.
  }
}

void Transaction::commit() {
  connection_.run(QStringLiteral("COMMIT"));
  connection_.inTransaction_ = false;
  open_ = false;
}

}  // namespace kq::sql
