#include "analysis/cell_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "analysis/printable_text.h"
#include "decode/number_text.h"

namespace kq {
namespace {
using Wide = __int128;

// value × 10^-exponent as an integer, when it fits; values here have at most
// 15 significant digits.
bool scaledDigits(long double value, int exponent, Wide& out) {
  const NumberDigits d = numberDigits(value);
  const int shift = d.exponent - exponent;
  if (shift < 0 || shift > 20) return false;
  Wide v = d.digits;
  for (int i = 0; i < shift; ++i) v *= 10;
  out = d.negative ? -v : v;
  return true;
}

// -1, 0, 1 as 2 × value is below, at or above low + high: exact on the
// shown decimals where they fit an integer, in extended precision otherwise.
int compareWithMidpoint(long double value, long double low, long double high) {
  const int exponent =
      std::min({numberDigits(value).exponent, numberDigits(low).exponent, numberDigits(high).exponent});
  Wide v = 0, l = 0, h = 0;
  if (scaledDigits(value, exponent, v) && scaledDigits(low, exponent, l) && scaledDigits(high, exponent, h)) {
    const Wide twice = 2 * v, sum = l + h;
    return (twice > sum) - (twice < sum);
  }
  const long double twice = 2 * value, sum = low + high;
  return (twice > sum) - (twice < sum);
}

bool isKept(RecordSelection kept, int position) {
  return kept.empty() || (std::size_t(position) < kept.size() && kept[position]);
}

void sortBreaks(std::vector<long double>& breaks) {
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
}
}  // namespace

std::optional<long double> CellTable::value(std::size_t x, std::size_t y, CellStatistic statistic) const {
  const auto result = at(x, y).result();
  if (!result) return std::nullopt;
  switch (statistic) {
    case CellStatistic::count:
      return static_cast<long double>(result->count);
    case CellStatistic::mean:
      return result->mean;
    case CellStatistic::minimum:
      return result->minimum;
    case CellStatistic::maximum:
      return result->maximum;
  }
  return std::nullopt;
}

std::size_t nearestBreak(const std::vector<long double>& breaks, long double value) {
  const auto above = std::lower_bound(breaks.begin(), breaks.end(), value);
  if (above == breaks.begin()) return 0;
  if (above == breaks.end()) return breaks.size() - 1;
  const std::size_t high = std::size_t(above - breaks.begin());
  if (*above == value) return high;
  return compareWithMidpoint(value, breaks[high - 1], breaks[high]) > 0 ? high : high - 1;
}

std::vector<long double> evenBreaks(const DumpModel& model, int column, RecordSelection kept, int count) {
  ValueAccumulator range;
  const std::vector<long double>& values = model.values(column);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (isKept(kept, int(i))) range.add(values[i]);
  const auto extent = range.result();
  if (!extent) return {};
  std::vector<long double> breaks;
  for (int k = 0; k < count; ++k)
    breaks.push_back(shownValue(extent->minimum + (extent->maximum - extent->minimum) * k / (count - 1)));
  breaks.back() = extent->maximum;
  sortBreaks(breaks);
  return breaks;
}

std::vector<long double> parseBreaks(std::string_view text, char decimalSeparator) {
  std::vector<long double> breaks;
  auto separates = [decimalSeparator](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ';' ||
           (c == ',' && decimalSeparator != ',');
  };
  std::size_t i = 0;
  while (i < text.size()) {
    if (separates(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !separates(text[end])) ++end;
    std::string number(text.substr(i, end - i));
    std::replace(number.begin(), number.end(), ',', '.');
    // Locale-free; a double holds every decimal of 15 significant digits,
    // and shownValue makes the extended number of that decimal. One sign at most.
    const char* begin = number.c_str() + (number[0] == '+' && number.size() > 1 && number[1] != '-' ? 1 : 0);
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, number.c_str() + number.size(), value);
    if (error != std::errc() || stop != number.c_str() + number.size() || !std::isfinite(value))
      throw std::invalid_argument("«" + printableText(text.substr(i, end - i)) + "» — не число");
    breaks.push_back(shownValue(value));
    i = end;
  }
  sortBreaks(breaks);
  if (breaks.size() > kMaxBreaks)
    throw std::invalid_argument("слишком много чисел: " + std::to_string(breaks.size()) + ", не больше " +
                                std::to_string(kMaxBreaks));
  return breaks;
}

CellTable makeCellTable(const DumpModel& model, int xColumn, int yColumn, int zColumn,
                        std::vector<long double> xBreaks, std::vector<long double> yBreaks,
                        RecordSelection kept) {
  CellTable table;
  table.xBreaks = xBreaks.empty() ? evenBreaks(model, xColumn, kept) : std::move(xBreaks);
  table.yBreaks = yBreaks.empty() ? evenBreaks(model, yColumn, kept) : std::move(yBreaks);
  sortBreaks(table.xBreaks);
  sortBreaks(table.yBreaks);
  table.cells.resize(table.xBreaks.size() * table.yBreaks.size());
  if (table.cells.empty()) return table;
  const auto& xs = model.values(xColumn);
  const auto& ys = model.values(yColumn);
  const auto& zs = model.values(zColumn);
  for (int i = 0; i < model.recordCount(); ++i) {
    if (!isKept(kept, i) || std::isnan(xs[i]) || std::isnan(ys[i]) || std::isnan(zs[i])) continue;
    const std::size_t x = nearestBreak(table.xBreaks, xs[i]), y = nearestBreak(table.yBreaks, ys[i]);
    table.cells[y * table.xBreaks.size() + x].add(zs[i]);
  }
  return table;
}

std::vector<int> cellRecords(const DumpModel& model, const CellTable& table, int xColumn, int yColumn,
                             int zColumn, std::size_t x, std::size_t y, RecordSelection kept) {
  std::vector<int> records;
  const auto& xs = model.values(xColumn);
  const auto& ys = model.values(yColumn);
  const auto& zs = model.values(zColumn);
  for (int i = 0; i < model.recordCount(); ++i) {
    if (!isKept(kept, i) || std::isnan(xs[i]) || std::isnan(ys[i]) || std::isnan(zs[i])) continue;
    if (nearestBreak(table.xBreaks, xs[i]) == x && nearestBreak(table.yBreaks, ys[i]) == y)
      records.push_back(i);
  }
  return records;
}

namespace {
template <class CellValue>
std::string gridText(const CellTable& table, CellValue value, char decimalSeparator, char fieldSeparator) {
  std::string text;
  for (long double x : table.xBreaks) {
    text += fieldSeparator;
    appendNumber(text, x, decimalSeparator);
  }
  text += '\n';
  for (std::size_t y = 0; y < table.yBreaks.size(); ++y) {
    appendNumber(text, table.yBreaks[y], decimalSeparator);
    for (std::size_t x = 0; x < table.xBreaks.size(); ++x) {
      text += fieldSeparator;
      if (auto v = value(x, y)) appendNumber(text, *v, decimalSeparator);
    }
    text += '\n';
  }
  return text;
}
}  // namespace

std::string cellTableText(const CellTable& table, CellStatistic statistic, char decimalSeparator,
                          char fieldSeparator) {
  return gridText(
      table, [&](std::size_t x, std::size_t y) { return table.value(x, y, statistic); }, decimalSeparator,
      fieldSeparator);
}

std::optional<long double> cellDifference(const CellTable& table, const CellTable& reference, std::size_t x,
                                          std::size_t y, CellStatistic statistic) {
  const auto value = table.value(x, y, statistic);
  const auto base = reference.value(x, y, statistic);
  if (!value || !base) return std::nullopt;
  // As the number texts show them, so that 14,2 − 13,1 reads 1,1.
  return shownValue(*value - *base);
}

std::string cellDifferenceText(const CellTable& table, const CellTable& reference, CellStatistic statistic,
                               char decimalSeparator, char fieldSeparator) {
  return gridText(
      table, [&](std::size_t x, std::size_t y) { return cellDifference(table, reference, x, y, statistic); },
      decimalSeparator, fieldSeparator);
}

std::optional<CellStatistic> cellStatisticNamed(std::string_view name) {
  if (name == "count") return CellStatistic::count;
  if (name == "mean") return CellStatistic::mean;
  if (name == "min") return CellStatistic::minimum;
  if (name == "max") return CellStatistic::maximum;
  return std::nullopt;
}

}  // namespace kq
