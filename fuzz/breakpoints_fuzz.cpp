// Any bytes as a breakpoint list, read with a point and with a comma as the
// decimal separator, then a cell table of a few records of a type-6 drive on
// what was read: the first reading across, the second down. A list is read
// into ascending shown values within the limit or refused with a message;
// every kept record with values lands in exactly the cell of its nearest
// breakpoints. Any other exception escapes and is a finding, as is a broken
// invariant.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/cell_table.h"
#include "analysis/dump_model.h"
#include "dump/dump.h"
#include "fuzz/require.h"
#include "sim/memory.h"

namespace {

using kq::fuzz::require;

const kq::DumpModel& fixedModel() {
  static const kq::DumpModel model = kq::buildDumpModel(kq::Dump(kq::sim::syntheticDumpLines(6, 24)), ',');
  return model;
}

std::optional<std::vector<long double>> read(std::string_view text, char separator) {
  try {
    std::vector<long double> breaks = kq::parseBreaks(text, separator);
    require(breaks.size() <= kq::kMaxBreaks, "at most kMaxBreaks breakpoints");
    for (std::size_t i = 0; i < breaks.size(); ++i) {
      require(std::isfinite(breaks[i]) && kq::shownValue(breaks[i]) == breaks[i],
              "a breakpoint is a shown value");
      require(i == 0 || breaks[i - 1] < breaks[i], "breakpoints ascend without repeats");
    }
    return breaks;
  } catch (const std::invalid_argument& error) {
    const std::string_view message = error.what();
    require(message.ends_with("» — не число") || message.starts_with("слишком много чисел: "),
            "a refusal says which text is no number, or that there are too many");
    return std::nullopt;
  }
}

// No breakpoint lies clearly nearer to value than the one chosen; ties are
// decided on the shown decimals, so only a clear difference counts.
void checkNearest(const std::vector<long double>& breaks, long double value) {
  const std::size_t chosen = kq::nearestBreak(breaks, value);
  require(chosen < breaks.size(), "the nearest breakpoint is one of them");
  const long double distance = std::fabs(value - breaks[chosen]);
  std::vector<std::size_t> neighbours;
  if (chosen > 0) neighbours.push_back(chosen - 1);
  if (chosen + 1 < breaks.size()) neighbours.push_back(chosen + 1);
  for (const std::size_t other : neighbours) {
    const long double scale =
        std::max({std::fabs(value), std::fabs(breaks[chosen]), std::fabs(breaks[other])});
    require(std::fabs(value - breaks[other]) >= distance - scale * 1e-12L, "no neighbour is clearly nearer");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto across = read(text, '.');
  const auto down = read(text, ',');
  if (across && down && !across->empty())
    for (const long double value : *down) checkNearest(*across, value);

  const kq::DumpModel& model = fixedModel();
  const int x = *kq::columnOfTitle(model, "Обороты двигателя");
  const int y = *kq::columnOfTitle(model, "Нагрузка на двигатель");
  const int z = *kq::columnOfTitle(model, "Скорость автомобиля");
  std::vector<char> kept(std::size_t(model.recordCount()));
  for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = (i + size) % 3 != 0;
  const kq::CellTable table = kq::makeCellTable(model, x, y, z, across.value_or(std::vector<long double>{}),
                                                down.value_or(std::vector<long double>{}), kept);
  require(table.cells.size() == table.xBreaks.size() * table.yBreaks.size(),
          "a cell per pair of breakpoints");

  long counted = 0;
  for (std::size_t row = 0; row < table.yBreaks.size(); ++row)
    for (std::size_t column = 0; column < table.xBreaks.size(); ++column)
      counted += long(table.value(column, row, kq::CellStatistic::count).value_or(0));
  long withValues = 0;
  for (int i = 0; i < model.recordCount(); ++i) {
    if (!kept[i] || std::isnan(model.values(x)[i]) || std::isnan(model.values(y)[i]) ||
        std::isnan(model.values(z)[i]))
      continue;
    ++withValues;
    checkNearest(table.xBreaks, model.values(x)[i]);
    checkNearest(table.yBreaks, model.values(y)[i]);
    const auto records =
        kq::cellRecords(model, table, x, y, z, kq::nearestBreak(table.xBreaks, model.values(x)[i]),
                        kq::nearestBreak(table.yBreaks, model.values(y)[i]), kept);
    require(std::find(records.begin(), records.end(), i) != records.end(), "a record is in its cell");
  }
  require(counted == withValues, "every kept record with values lands in one cell");

  const std::string shown = kq::cellTableText(table, kq::CellStatistic::mean, size % 2 ? ',' : '.');
  require(table.cells.empty() ||
              std::size_t(std::count(shown.begin(), shown.end(), '\n')) == table.yBreaks.size() + 1,
          "a line per Y breakpoint after the X line");
  return 0;
}
