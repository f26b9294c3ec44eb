#include "analysis/column_statistics.h"

#include <algorithm>
#include <array>
#include <string>

#include "analysis/series_values.h"
#include "decode/conversion_error.h"

namespace kq {
namespace {
using Wide = __int128;

// 10^38 is the largest power of ten a signed 128-bit integer holds.
constexpr int kMaxWidePower = 38;
// Below this a sum takes any 19-digit term without overflow.
constexpr Wide kSafeSum = Wide(1) << 126;

const std::array<Wide, kMaxWidePower + 1>& widePowersOfTen() {
  static const std::array<Wide, kMaxWidePower + 1> powers = [] {
    std::array<Wide, kMaxWidePower + 1> p{};
    p[0] = 1;
    for (int i = 1; i <= kMaxWidePower; ++i) p[i] = p[i - 1] * 10;
    return p;
  }();
  return powers;
}

// A sum of decimals kept as an integer times 10^exponent_, exact until a term
// has dropped digits or the integer would overflow; from then on the sum goes
// on in extended precision.
class DecimalSum {
 public:
  void add(const CellDecimal& decimal, std::string_view text, char decimalSeparator) {
    if (exact_ && decimal.exact && decimal.exponent == exponent_) {
      // Most cells of a column share the exponent; digits < 10^19 added to a
      // sum below 2^127 - 10^19 cannot overflow.
      Wide digits = Wide(decimal.digits);
      if (sum_ < kSafeSum && sum_ > -kSafeSum) {
        sum_ += decimal.negative ? -digits : digits;
        return;
      }
    }
    if (exact_ && decimal.exact && addExactly(decimal)) return;
    if (exact_) {
      approximate_ = total();
      exact_ = false;
    }
    approximate_ += decimalValue(decimal, text, decimalSeparator);
  }

  long double total() const {
    return exact_ ? timesPowerOfTen(static_cast<long double>(sum_), exponent_) : approximate_;
  }

 private:
  // Leaves the sum as it was when the term does not fit.
  bool addExactly(const CellDecimal& decimal) {
    const auto& powers = widePowersOfTen();
    Wide sum = sum_;
    int exponent = std::min(exponent_, decimal.exponent);
    int sumShift = exponent_ - exponent;
    int termShift = decimal.exponent - exponent;
    Wide term = 0;
    if (sumShift > kMaxWidePower || termShift > kMaxWidePower ||
        __builtin_mul_overflow(sum, powers[sumShift], &sum) ||
        __builtin_mul_overflow(Wide(decimal.digits), powers[termShift], &term) ||
        __builtin_add_overflow(sum, decimal.negative ? -term : term, &sum))
      return false;
    sum_ = sum;
    exponent_ = exponent;
    return true;
  }

  bool exact_ = true;
  Wide sum_ = 0;
  int exponent_ = 0;
  long double approximate_ = 0;
};
// A cell read as a decimal, its text kept for the slow path of decimalValue.
struct Cell {
  CellDecimal decimal;
  std::string_view text;
};

// -1, 0 or 1 as a is below, equal to or above b. Exact decimals whose
// exponents differ by at most 19 compare as integers; others by value.
int compare(const Cell& a, const Cell& b, char decimalSeparator) {
  constexpr int kMaxShift = 19;  // (10^19 - 1) × 10^19 < 2^127
  const CellDecimal& x = a.decimal;
  const CellDecimal& y = b.decimal;
  if (x.exact && y.exact && x.exponent == y.exponent) {  // most cells of a column
    if (x.negative != y.negative) {
      if (x.digits == 0 && y.digits == 0) return 0;
      return x.negative ? -1 : 1;
    }
    int magnitude = (x.digits > y.digits) - (x.digits < y.digits);
    return x.negative ? -magnitude : magnitude;
  }
  int exponent = std::min(x.exponent, y.exponent);
  if (x.exact && y.exact && x.exponent - exponent <= kMaxShift && y.exponent - exponent <= kMaxShift) {
    const auto& powers = widePowersOfTen();
    Wide left = Wide(x.digits) * powers[x.exponent - exponent];
    Wide right = Wide(y.digits) * powers[y.exponent - exponent];
    if (x.negative) left = -left;
    if (y.negative) right = -right;
    return (left > right) - (left < right);
  }
  long double left = decimalValue(x, a.text, decimalSeparator);
  long double right = decimalValue(y, b.text, decimalSeparator);
  return (left > right) - (left < right);
}

// Minimum, maximum and sum of the cells added so far; values are worked out
// only where integers cannot compare or sum them.
class Accumulator {
 public:
  void add(std::string_view text, char decimalSeparator) {
    Cell cell{{}, text};
    if (!parseCellDecimal(text, decimalSeparator, cell.decimal))
      throw ConversionError::notFloat(std::string(text));
    if (count_ == 0) {
      minimum_ = maximum_ = cell;
    } else if (compare(cell, minimum_, decimalSeparator) < 0) {
      minimum_ = cell;
    } else if (compare(cell, maximum_, decimalSeparator) > 0) {
      maximum_ = cell;
    }
    sum_.add(cell.decimal, text, decimalSeparator);
    ++count_;
  }

  ColumnStatistics result(char decimalSeparator) const {
    return {decimalValue(minimum_.decimal, minimum_.text, decimalSeparator),
            decimalValue(maximum_.decimal, maximum_.text, decimalSeparator),
            sum_.total() / static_cast<long double>(count_)};
  }

 private:
  Cell minimum_;
  Cell maximum_;
  DecimalSum sum_;
  long count_ = 0;
};

// The positions first to last clipped to the grid's records; false when none remain.
bool clip(const ChartGrid& grid, int& first, int& last) {
  first = std::max(first, 0);
  last = std::min(last, grid.rowCount() - 2);
  return first <= last;
}
}  // namespace

std::optional<ColumnStatistics> columnStatistics(const ChartGrid& grid, int column, int first, int last,
                                                 char decimalSeparator) {
  if (!clip(grid, first, last)) return std::nullopt;
  Accumulator accumulator;
  for (int position = first; position <= last; ++position)
    accumulator.add(grid.cell(position + 1, column), decimalSeparator);
  return accumulator.result(decimalSeparator);
}

std::optional<std::vector<ColumnStatistics>> columnsStatistics(const ChartGrid& grid, int firstColumn,
                                                               int first, int last, char decimalSeparator) {
  if (!clip(grid, first, last)) return std::nullopt;
  std::vector<Accumulator> accumulators(std::max(grid.columnCount() - firstColumn, 0));
  for (int position = first; position <= last; ++position) {
    for (std::size_t i = 0; i < accumulators.size(); ++i)
      accumulators[i].add(grid.cell(position + 1, firstColumn + int(i)), decimalSeparator);
  }
  std::vector<ColumnStatistics> statistics;
  statistics.reserve(accumulators.size());
  for (const Accumulator& accumulator : accumulators)
    statistics.push_back(accumulator.result(decimalSeparator));
  return statistics;
}

}  // namespace kq
