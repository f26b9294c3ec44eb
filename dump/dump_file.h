#pragma once

#include <string>

#include "dump/dump.h"

namespace kq {

// Reads a dump file. The dump is replaced only when the whole file was read,
// so a file that cannot be opened or read leaves it as it was.
void loadDumpFile(const std::string& path, Dump& dump);

// Writes every line followed by CR LF, safely (see writeFileSafely).
void saveDumpFile(const std::string& path, const Dump& dump);

}  // namespace kq
