#pragma once

#include <optional>
#include <string>

namespace kq {

// A library on a PostgreSQL server, as a user names it:
// postgresql://USER@HOST[:PORT]/DATABASE. The password is never part of it:
// the server's client library takes it from ~/.pgpass or PGPASSWORD.
struct ServerLocation {
  std::string user;  // empty: the system user's name
  std::string host;  // empty: the local server's socket
  int port = 5432;
  std::string database;
};

// The server a location names, or nothing for a library file. A location in
// the server form that is malformed, or holds a password, is refused with a
// LibraryError saying what to write instead.
std::optional<ServerLocation> serverLocation(const std::string& location);

}  // namespace kq
