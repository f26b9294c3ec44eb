#pragma once

#include <QSqlDatabase>
#include <QString>
#include <string>

namespace kq::test {

// Where a test's library is: a file, or a database on the test server.
enum class Where { file, server };

// A database of its own on the test server that KQ_TEST_POSTGRESQL names
// (postgresql://ADMIN@HOST:PORT/DATABASE, a superuser), made for one test and
// dropped after it, with an administrator's connection beside it.
class ServerDatabase {
 public:
  // Whether the tests have a server; without one its tests are skipped.
  static bool available();
  ServerDatabase();
  ~ServerDatabase();
  ServerDatabase(const ServerDatabase&) = delete;
  ServerDatabase& operator=(const ServerDatabase&) = delete;

  // The library's location in it, as the administrator or as another user.
  std::string location() const;
  std::string locationAs(const std::string& user) const;
  // Runs a statement in it as the administrator; false on failure.
  bool run(const QString& statement);

 private:
  QString name_;
  QSqlDatabase admin_;
};

}  // namespace kq::test
