#include "analysis/column_statistics.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/value_cache.h"
#include "decode/number_text.h"

namespace kq {
namespace {
using Wide = __int128;

// 10^38 is the largest power of ten a signed 128-bit integer holds.
constexpr int kMaxWidePower = 38;

constexpr std::array<Wide, kMaxWidePower + 1> makeWidePowers() {
  std::array<Wide, kMaxWidePower + 1> p{};
  p[0] = 1;
  for (int i = 1; i <= kMaxWidePower; ++i) p[i] = p[i - 1] * 10;
  return p;
}
constexpr auto kWidePowers = makeWidePowers();

// value × 10^exponent, rounded once for |exponent| <= 27.
long double timesPowerOfTen(long double value, int exponent) {
  constexpr int kMaxExactPower = 27;
  static const long double powers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                       1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                       1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
  for (; exponent > kMaxExactPower; exponent -= kMaxExactPower) value *= powers[kMaxExactPower];
  for (; exponent < -kMaxExactPower; exponent += kMaxExactPower) value /= powers[kMaxExactPower];
  return exponent >= 0 ? value * powers[exponent] : value / powers[-exponent];
}

// The positions first to last clipped to the records; false when none remain.
bool clip(const DumpModel& model, int& first, int& last) {
  first = std::max(first, 0);
  last = std::min(last, model.recordCount() - 1);
  return first <= last;
}

bool isKept(RecordSelection kept, int position) {
  return kept.empty() || (std::size_t(position) < kept.size() && kept[position]);
}
}  // namespace

void ValueAccumulator::add(long double value) {
  if (!std::isnan(value)) add(value, numberDigits(value));
}

// The term of another exponent, or a sum grown large, or one no longer exact.
void ValueAccumulator::addOtherwise(long double value, const NumberDigits& d) {
  if (exact_) {
    const Wide digits = d.negative ? -Wide(d.digits) : Wide(d.digits);
    if (addExactly(digits, d.exponent)) return;
    approximateSum_ = sum();
    exact_ = false;
  }
  approximateSum_ += value;
}

// Leaves the sum as it was when the term does not fit.
bool ValueAccumulator::addExactly(Wide digits, int termExponent) {
  Wide sum = exactSum_;
  const int exponent = std::min(exponent_, termExponent);
  const int sumShift = exponent_ - exponent;
  const int termShift = termExponent - exponent;
  Wide term = digits;
  // One of the two is scaled: the one of the larger exponent.
  if (sumShift > kMaxWidePower || termShift > kMaxWidePower ||
      (sumShift != 0 && __builtin_mul_overflow(sum, kWidePowers[sumShift], &sum)) ||
      (termShift != 0 && __builtin_mul_overflow(digits, kWidePowers[termShift], &term)) ||
      __builtin_add_overflow(sum, term, &sum))
    return false;
  exactSum_ = sum;
  exponent_ = exponent;
  return true;
}

long double ValueAccumulator::sum() const {
  return exact_ ? timesPowerOfTen(static_cast<long double>(exactSum_), exponent_) : approximateSum_;
}

std::optional<ColumnStatistics> ValueAccumulator::result() const {
  if (count_ == 0) return std::nullopt;
  return ColumnStatistics{minimum_, maximum_, sum() / static_cast<long double>(count_), count_};
}

std::optional<ColumnStatistics> columnStatistics(const DumpModel& model, int column, int first, int last,
                                                 RecordSelection kept) {
  const std::vector<long double>& values = model.values(column);
  if (!clip(model, first, last) || values.empty()) return std::nullopt;
  ValueAccumulator accumulator;
  const std::span<const PackedDigits> shown = model.shownDigits(column);
  if (shown.size() == values.size()) {
    for (int position = first; position <= last; ++position) {
      if (!isKept(kept, position) || std::isnan(values[position])) continue;
      if (shown[position].held())
        accumulator.add(values[position], shown[position].digits());
      else
        accumulator.add(values[position]);
    }
    return accumulator.result();
  }
  ValueCache<NumberDigits, numberDigits> digits;
  for (int position = first; position <= last; ++position)
    if (isKept(kept, position) && !std::isnan(values[position]))
      accumulator.add(values[position], digits(values[position]));
  return accumulator.result();
}

std::vector<std::optional<ColumnStatistics>> columnsStatistics(const DumpModel& model, int firstColumn,
                                                               int first, int last, RecordSelection kept) {
  std::vector<std::optional<ColumnStatistics>> statistics;
  for (int column = firstColumn; column < model.columnCount(); ++column)
    statistics.push_back(columnStatistics(model, column, first, last, kept));
  return statistics;
}

}  // namespace kq
