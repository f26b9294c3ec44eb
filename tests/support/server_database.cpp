#include "tests/support/server_database.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace kq::test {
namespace {
QUrl serverUrl() { return QUrl(QString::fromLocal8Bit(std::getenv("KQ_TEST_POSTGRESQL"))); }

QSqlDatabase connect(const QString& connection, const QString& database) {
  const QUrl url = serverUrl();
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
  db.setHostName(url.host());
  db.setPort(url.port(5432));
  db.setUserName(url.userName());
  db.setDatabaseName(database);
  if (!db.open()) throw std::runtime_error("test server: " + db.lastError().text().toStdString());
  return db;
}

void runOn(QSqlDatabase& db, const QString& statement) {
  QSqlQuery query(db);
  if (!query.exec(statement))
    throw std::runtime_error("test server: " + statement.toStdString() + ": " +
                             query.lastError().text().toStdString());
}
}  // namespace

bool ServerDatabase::available() {
  const char* url = std::getenv("KQ_TEST_POSTGRESQL");
  return url && *url && QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"));
}

ServerDatabase::ServerDatabase() {
  static std::atomic<int> counter{0};
  name_ = QStringLiteral("kq_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
  {
    QSqlDatabase server = connect(name_ + QStringLiteral("-server"), serverUrl().path().mid(1));
    runOn(server, QStringLiteral("CREATE DATABASE %1").arg(name_));
  }
  QSqlDatabase::removeDatabase(name_ + QStringLiteral("-server"));
  admin_ = connect(name_, name_);
}

ServerDatabase::~ServerDatabase() {
  admin_.close();
  admin_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(name_);
  try {
    QSqlDatabase server = connect(name_ + QStringLiteral("-server"), serverUrl().path().mid(1));
    runOn(server, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name_));
  } catch (const std::runtime_error&) {
    // The cluster is thrown away after the tests.
  }
  QSqlDatabase::removeDatabase(name_ + QStringLiteral("-server"));
}

std::string ServerDatabase::location() const { return locationAs(serverUrl().userName().toStdString()); }

std::string ServerDatabase::locationAs(const std::string& user) const {
  QUrl url = serverUrl();
  url.setUserName(QString::fromStdString(user));
  url.setPath(QStringLiteral("/") + name_);
  return url.toString().toStdString();
}

bool ServerDatabase::run(const QString& statement) { return QSqlQuery(admin_).exec(statement); }

}  // namespace kq::test
