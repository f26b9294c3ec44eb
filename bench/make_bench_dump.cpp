// Writes a full random dump file of a controller type, for timing kq-cli.
#include <cstdio>
#include <cstdlib>

#include "bench/bench_dump.h"
#include "dump/dump_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_bench_dump TYPE FILE\n");
    return 2;
  }
  kq::saveDumpFile(argv[2], kq::bench::randomFullDump(std::atoi(argv[1])));
  return 0;
}
