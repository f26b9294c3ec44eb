#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <initializer_list>
#include <string>

#include "library/library_error.h"
#include "library/library_location.h"
#include "library/sql_dialect.h"

namespace kq::sql {

// One connection of Qt SQL to a library, a file or a server's database, with
// the errors it meets said for the user: every failure is a LibraryError
// naming the library. A connection the server dropped is opened again by the
// next statement outside a transaction.
class Connection {
 public:
  // Opens the file; nothing is read or written yet. readOnly opens it for
  // reading alone; immutable also takes it for a file nobody changes (a
  // read-only medium, where SQLite could not keep its shared-memory index).
  Connection(const std::string& path, bool readOnly, bool immutable);
  // Connects to a server's database; shown is the location as the user wrote it.
  Connection(const ServerLocation& server, const std::string& shown);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& path() const { return path_; }
  bool readOnly() const { return readOnly_; }
  // Changes are refused from now on (the user has no rights to them).
  void refuseChanges() { readOnly_ = true; }
  Backend backend() const { return backend_; }

  // A statement with its values bound in order, run; throws on failure.
  QSqlQuery run(const QString& statement, std::initializer_list<QVariant> values = {});
  // The first column of the first row, or an invalid QVariant without rows.
  QVariant value(const QString& statement, std::initializer_list<QVariant> values = {});

  // The LibraryError for a failure of Qt SQL: busy, damaged, full disk, no
  // rights, or other, with SQLite's text.
  [[noreturn]] void fail(const QSqlError& error);
  // A LibraryError of this kind with a message naming the library ("«PATH»").
  [[noreturn]] void fail(LibraryError::Kind kind, const std::string& message) const;
  std::string quotedPath() const;

 private:
  friend class Transaction;
  friend class ReadTransaction;
  void open();
  [[noreturn]] void failOnServer(const QSqlError& error);

  QString name_;
  std::string path_;
  bool readOnly_;
  Backend backend_ = Backend::sqlite;
  QSqlDatabase db_;
  bool inTransaction_ = false;
  bool lost_ = false;  // the server dropped the connection
};

// A write transaction, taken at once (so that a busy library waits here, before
// any work) and rolled back unless committed.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  Connection& connection_;
  bool open_ = true;
};

// A read transaction that sees the library as it was at its start, for as
// long as it lives; a connection lost meanwhile fails what follows rather
// than reading on from a later moment.
class ReadTransaction {
 public:
  explicit ReadTransaction(Connection& connection);
  ~ReadTransaction();
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  Connection& connection_;
};

}  // namespace kq::sql
