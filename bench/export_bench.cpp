// Export pass and file encoding of a full download, per controller type.
#include <benchmark/benchmark.h>

#include "bench/bench_dump.h"
#include "export/spreadsheet_export.h"

namespace {

void BM_ExportFullDump(benchmark::State& state) {
  const kq::Dump dump = kq::bench::randomFullDump(static_cast<int>(state.range(0)));
  std::vector<std::string> lines;
  for (auto _ : state) {
    lines.clear();
    kq::exportRows(dump, ',', [&lines](std::string_view line) { lines.emplace_back(line); });
    std::string file = kq::encodeSpreadsheetFile(lines);
    benchmark::DoNotOptimize(file.data());
  }
  state.SetLabel("type " + std::to_string(state.range(0)));
}

BENCHMARK(BM_ExportFullDump)->DenseRange(1, 7)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
