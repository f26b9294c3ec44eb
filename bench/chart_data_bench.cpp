// The numeric model of a full log memory (3,840 lines, 7,680 records), a
// series' values and the statistics of every column.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/cell_table.h"
#include "analysis/column_statistics.h"
#include "analysis/dump_model.h"
#include "analysis/expression.h"
#include "bench/bench_dump.h"
#include "sim/memory.h"

namespace {

void BM_BuildDumpModel(benchmark::State& state) {
  kq::Dump dump(kq::sim::syntheticDumpLines(int(state.range(0)), kq::sim::kMaxRecords));
  for (auto _ : state) {
    kq::DumpModel model = kq::buildDumpModel(dump, ',');
    benchmark::DoNotOptimize(model.recordCount());
  }
  state.SetItemsProcessed(state.iterations() * 2 * std::int64_t(dump.size()));
}
BENCHMARK(BM_BuildDumpModel)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

// What a selector change reads: one column of 7,680 values.
void BM_SeriesValues(benchmark::State& state) {
  kq::DumpModel model =
      kq::buildDumpModel(kq::Dump(kq::sim::syntheticDumpLines(6, kq::sim::kMaxRecords)), ',');
  for (auto _ : state) {
    std::vector<double> values = kq::plotValues(model, 3 + 8);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_SeriesValues)->Unit(benchmark::kMicrosecond);

// kq-cli stats of a full type-6 dump: every parameter column over all
// records; a synthetic drive (0) and random bytes, the longest texts (1).
void BM_StatisticsOfEveryColumn(benchmark::State& state) {
  kq::Dump dump = state.range(0) == 0 ? kq::Dump(kq::sim::syntheticDumpLines(6, kq::sim::kMaxRecords))
                                      : kq::bench::randomFullDump(6);
  kq::DumpModel model = kq::buildDumpModel(dump, ',');
  for (auto _ : state) {
    auto statistics = kq::columnsStatistics(model, 3, 0, model.recordCount() - 1);
    benchmark::DoNotOptimize(statistics);
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(model.recordCount()) * (model.columnCount() - 3));
}
BENCHMARK(BM_StatisticsOfEveryColumn)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

kq::DumpModel fullModel() {
  return kq::buildDumpModel(kq::Dump(kq::sim::syntheticDumpLines(6, kq::sim::kMaxRecords)), ',');
}

// A derived channel over every record: compiled and evaluated in bulk.
void BM_DerivedChannel(benchmark::State& state) {
  const kq::DumpModel model = fullModel();
  for (auto _ : state) {
    kq::Expression expression(
        "([Обороты двигателя] - [Обороты двигателя@-1]) / max([Нагрузка на двигатель], 1)", model.titles());
    auto values = expression.evaluate(model);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_DerivedChannel)->Unit(benchmark::kMillisecond);

// A workspace of many derived channels over a short log, each naming the one
// before it: the time per channel (items/s) stays the same however many.
void BM_AddManyChannels(benchmark::State& state) {
  const kq::DumpModel base = kq::buildDumpModel(kq::Dump(kq::sim::syntheticDumpLines(6, 16)), ',');
  std::vector<kq::ChannelDefinition> channels;
  for (int k = 0; k < state.range(0); ++k)
    channels.push_back({std::string("c").append(std::to_string(k)),
                        k == 0 ? std::string("[Обороты двигателя] / 1000")
                               : std::string("[c").append(std::to_string(k - 1)).append("] + 1")});
  for (auto _ : state) {
    kq::DumpModel model = base;
    kq::addChannels(model, channels);
    benchmark::DoNotOptimize(model.columnCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddManyChannels)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);

// A filter's kept records over every record.
void BM_Filter(benchmark::State& state) {
  const kq::DumpModel model = fullModel();
  for (auto _ : state) {
    auto kept =
        kq::Expression("[Обороты двигателя] > 3000 && [Положение дроссельной заслонки] > 40", model.titles())
            .keep(model);
    benchmark::DoNotOptimize(kept.data());
  }
}
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond);

// A 16 × 16 cell table of every record: mean injection time over speed × load.
void BM_CellTable16x16(benchmark::State& state) {
  const kq::DumpModel model = fullModel();
  const auto& titles = model.titles();
  auto column = [&titles](const char* title) {
    return 3 + int(std::find(titles.begin(), titles.end(), title) - titles.begin());
  };
  const int x = column("Обороты двигателя"), y = column("Нагрузка на двигатель"),
            z = column("Длительность импульса впрыска");
  for (auto _ : state) {
    auto table =
        kq::makeCellTable(model, x, y, z, kq::evenBreaks(model, x, {}, 16), kq::evenBreaks(model, y, {}, 16));
    benchmark::DoNotOptimize(table.cells.data());
  }
}
BENCHMARK(BM_CellTable16x16)->Unit(benchmark::kMillisecond);

}  // namespace
