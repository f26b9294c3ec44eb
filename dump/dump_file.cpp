#include "dump/dump_file.h"

#include "base/safe_file.h"

namespace kq {

void loadDumpFile(const std::string& path, Dump& dump) {
  std::string text = readWholeFile(path, kMaxDumpFileBytes);
  dump = Dump(splitLines(text));
}

void saveDumpFile(const std::string& path, const Dump& dump) { writeFileSafely(path, dump.text()); }

}  // namespace kq
