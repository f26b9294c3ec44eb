// Chart data preparation of a full log memory (3,840 lines, 7,680 records),
// reading a column back and the statistics of every column.
#include <benchmark/benchmark.h>

#include "bench/bench_dump.h"
#include "analysis/chart_data.h"
#include "analysis/column_statistics.h"
#include "analysis/series_values.h"
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

// kq-cli stats of a full type-6 dump: every parameter column over all
// records; a synthetic drive (0) and random bytes, the longest texts (1).
void BM_StatisticsOfEveryColumn(benchmark::State& state) {
  kq::Dump dump = state.range(0) == 0 ? kq::Dump(kq::sim::syntheticDumpLines(6, kq::sim::kMaxRecords))
                                      : kq::bench::randomFullDump(6);
  kq::ChartData data = kq::prepareChartData(dump, ',');
  for (auto _ : state) {
    auto statistics = kq::columnsStatistics(data.grid, 3, 0, data.grid.rowCount() - 2, ',');
    benchmark::DoNotOptimize(statistics);
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(data.grid.rowCount() - 1) *
                          (data.grid.columnCount() - 3));
}
BENCHMARK(BM_StatisticsOfEveryColumn)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
