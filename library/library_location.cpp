#include "library/library_location.h"

#include <QUrl>

#include "library/library_error.h"

namespace kq {
namespace {
bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

[[noreturn]] void refuse(const std::string& location, const std::string& why) {
  throw LibraryError(LibraryError::Kind::refused,
                     "Адрес библиотеки «" + location + "» " + why +
                         "; пишут так: postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР[:ПОРТ]/БАЗА");
}
}  // namespace

std::optional<ServerLocation> serverLocation(const std::string& location) {
  if (!startsWith(location, "postgresql://") && !startsWith(location, "postgres://")) return std::nullopt;
  const QUrl url(QString::fromStdString(location), QUrl::StrictMode);
  // The address as typed, without what could be a password, for messages.
  const std::string shown = url.isValid() ? url.toString(QUrl::RemovePassword).toStdString() : location;
  if (!url.isValid()) refuse(shown, "непонятен");
  if (!url.password().isEmpty())
    throw LibraryError(LibraryError::Kind::refused,
                       "Пароль в адресе библиотеки «" + shown +
                           "» не пишут: программа берёт его из ~/.pgpass или PGPASSWORD и нигде не хранит");
  if (url.hasQuery() || url.hasFragment()) refuse(shown, "содержит лишнее после имени базы");
  QString database = url.path(QUrl::FullyDecoded);
  if (database.startsWith(u'/')) database.remove(0, 1);
  if (database.isEmpty() || database.contains(u'/')) refuse(shown, "не называет базу данных");
  ServerLocation server;
  server.user = url.userName(QUrl::FullyDecoded).toStdString();
  server.host = url.host(QUrl::FullyDecoded).toStdString();
  server.port = url.port(5432);
  server.database = database.toStdString();
  return server;
}

}  // namespace kq
