#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "analysis/dump_model.h"
#include "decode/number_text.h"

namespace kq {

struct ColumnStatistics {
  long double minimum = 0;
  long double maximum = 0;
  long double mean = 0;
  long count = 0;  // the values taken
};

// Minimum, maximum, count and mean of values added one by one, NaN (no
// value) left out. The values are summed exactly as the decimals the grid
// shows (in extended precision should the sum not fit) and the sum divided in
// extended precision.
class ValueAccumulator {
 public:
  void add(long double value);
  // The same, with the value's digits (numberDigits) already at hand.
  void add(long double value, const NumberDigits& digits) {
    if (std::isnan(value)) return;
    if (count_ == 0) {
      minimum_ = maximum_ = value;
    } else {
      minimum_ = std::min(minimum_, value);
      maximum_ = std::max(maximum_, value);
    }
    ++count_;
    // Most values of a column share the exponent.
    if (exact_ && digits.exponent == exponent_ && exactSum_ < kSafeSum && exactSum_ > -kSafeSum) {
      exactSum_ += digits.negative ? -__int128(digits.digits) : __int128(digits.digits);
      return;
    }
    addOtherwise(value, digits);
  }
  long count() const { return count_; }
  std::optional<ColumnStatistics> result() const;

 private:
  // Below this a sum takes any 15-digit term without overflow.
  static constexpr __int128 kSafeSum = __int128(1) << 126;

  void addOtherwise(long double value, const NumberDigits& digits);
  bool addExactly(__int128 digits, int exponent);
  long double sum() const;

  long double minimum_ = 0;
  long double maximum_ = 0;
  long count_ = 0;
  bool exact_ = true;
  __int128 exactSum_ = 0;  // times 10^exponent_
  int exponent_ = 0;
  long double approximateSum_ = 0;
};

// Which records count: kept[p] for the record at position p; empty keeps all.
using RecordSelection = std::span<const char>;

// Minimum, maximum and mean of one column over the records at chart positions
// first to last inclusive, clipped to the records there are, kept by the
// selection and having a value; nothing when no value remains. The values are
// summed exactly as the decimals the grid shows (in extended precision should
// the sum not fit) and the sum divided in extended precision.
std::optional<ColumnStatistics> columnStatistics(const DumpModel& model, int column, int first, int last,
                                                 RecordSelection kept = {});

// The same for every column from firstColumn on, in column order.
std::vector<std::optional<ColumnStatistics>> columnsStatistics(const DumpModel& model, int firstColumn,
                                                               int first, int last,
                                                               RecordSelection kept = {});

}  // namespace kq
