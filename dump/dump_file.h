#pragma once

#include <cstddef>
#include <string>

#include "dump/block_layout.h"
#include "dump/dump.h"

namespace kq {

// A file this much larger than a full download is no dump (/dev/zero, a disk
// image) and is refused before it fills the memory.
constexpr std::size_t kMaxDumpFileBytes = 5 * layout::kFullDumpFileBytes;

// Reads a dump file. The dump is replaced only when the whole file was read,
// so a file that cannot be opened or read leaves it as it was.
void loadDumpFile(const std::string& path, Dump& dump);

// Writes every line followed by CR LF, safely (see writeFileSafely).
void saveDumpFile(const std::string& path, const Dump& dump);

}  // namespace kq
