// Writes a full dump file of the simulator's synthetic drive, for timing the
// chart commands on realistic data.
#include <cstdio>
#include <cstdlib>

#include "dump/dump_file.h"
#include "sim/memory.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_synthetic_dump TYPE FILE\n");
    return 2;
  }
  kq::saveDumpFile(argv[2], kq::Dump(kq::sim::syntheticDumpLines(std::atoi(argv[1]), kq::sim::kMaxRecords)));
  return 0;
}
