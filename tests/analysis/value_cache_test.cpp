#include "analysis/value_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace kq {
namespace {

int worked = 0;
long double countedSquare(long double value) {
  ++worked;
  return value * value;
}

// A parameter of one byte takes 256 values, which differ in their leading
// bits only or by powers of two: met again in any order, most are looked up.
TEST(ValueCacheTest, TheValuesOfOneByteAreWorkedOutOnceMostly) {
  for (long double scale : {1.0L, 0.5L, 3.0L, 5.0L, 1.0L / 256, 0.073675L, 0.0195313L, 100.0L / 255}) {
    SCOPED_TRACE(static_cast<double>(scale));
    ValueCache<long double, countedSquare> cache;
    std::vector<long double> values;
    for (int byte = 0; byte < 256; ++byte) values.push_back(byte * scale);
    for (long double value : values) cache(value);
    std::shuffle(values.begin(), values.end(), std::mt19937(3));
    worked = 0;
    for (long double value : values) ASSERT_EQ(cache(value), value * value);
    EXPECT_LT(worked, 256 / 3);
  }
}

}  // namespace
}  // namespace kq
