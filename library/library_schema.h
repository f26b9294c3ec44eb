#pragma once

#include "library/sql_connection.h"

namespace kq::sql {

// The schema's version this program writes; a library of a later one is
// refused, an earlier one brought up to it.
inline constexpr int kSchemaVersion = 2;

// Checks that the file is a library this program can use, creating the schema
// in an empty one and bringing an older one up to date inside one transaction
// (whichever program comes first does it; the others find it done). Throws
// LibraryError (damaged, newer, not a library) and leaves the file as it was.
void prepareSchema(Connection& connection);

}  // namespace kq::sql
