#pragma once

#include <cstdint>

#include "library/library_store.h"

namespace kq {

struct CopyOutcome {
  std::int64_t cars = 0;          // made in the target
  std::int64_t imports = 0;       // copied
  std::int64_t knownImports = 0;  // the target's car held that dump already
  std::int64_t records = 0;       // stored in the target
};

// Copies a whole library into another (a file to a server and back), each car
// with its imports and their records and the reports made of it, as the source is at the copy's start.
// A car the target has already (by name) gets what it lacks: imports of a
// dump it holds are left out, records it holds are not stored again. Each
// import is copied in a transaction of its own, so an interrupted copy run
// again adds what is missing. A car of another controller type in the target
// is refused before anything is copied.
CopyOutcome copyLibrary(const LibraryStore& from, LibraryStore& to);

}  // namespace kq
