// Chart data preparation of a full log memory (3,840 lines, 7,680 records).
#include <benchmark/benchmark.h>

#include "chart/chart_data.h"
#include "chart/series_values.h"
#include "sim/memory.h"

namespace {

void BM_PrepareChartData(benchmark::State& state) {
  kq::Dump dump(kq::sim::syntheticDumpLines(int(state.range(0)), kq::sim::kMaxRecords));
  for (auto _ : state) {
    kq::ChartData data = kq::prepareChartData(dump, ',');
    benchmark::DoNotOptimize(data.grid.rowCount());
  }
  state.SetItemsProcessed(state.iterations() * 2 * std::int64_t(dump.size()));
}
BENCHMARK(BM_PrepareChartData)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

// What a selector change reads: one column of 7,680 cells back as numbers.
void BM_SeriesValues(benchmark::State& state) {
  kq::ChartData data =
      kq::prepareChartData(kq::Dump(kq::sim::syntheticDumpLines(6, kq::sim::kMaxRecords)), ',');
  std::vector<double> values;
  for (auto _ : state) {
    values.clear();
    kq::appendSeriesValues(data.grid, 3 + 8, ',', values);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_SeriesValues)->Unit(benchmark::kMicrosecond);

}  // namespace
