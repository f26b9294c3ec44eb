#include "analysis/packed_digits.h"

#include <gtest/gtest.h>

#include <limits>

namespace kq {
namespace {

TEST(PackedDigitsTest, HoldsTheDigitsOfEveryShownNumberExactly) {
  const NumberDigits cases[] = {
      {false, 0, 0},
      {false, 999999999999999, 0},
      {true, 999999999999999, 0},
      {true, 1, 0},
      {false, 3, -1},
      {true, 73675, -6},
      {false, 123456789012345, -4095},
      {true, 999999999999999, 4095},
  };
  for (const NumberDigits& number : cases) {
    const PackedDigits packed(number);
    ASSERT_TRUE(packed.held()) << number.digits << "E" << number.exponent;
    const NumberDigits back = packed.digits();
    EXPECT_EQ(back.negative, number.negative) << number.digits << "E" << number.exponent;
    EXPECT_EQ(back.digits, number.digits) << number.exponent;
    EXPECT_EQ(back.exponent, number.exponent) << number.digits;
  }
}

TEST(PackedDigitsTest, HoldsNoneBeyondItsExponentsOrWithoutAValue) {
  EXPECT_FALSE(PackedDigits().held());
  EXPECT_FALSE(PackedDigits(NumberDigits{false, 5, 4096}).held());
  EXPECT_FALSE(PackedDigits(NumberDigits{true, 36451995318824, -4964}).held());
  EXPECT_FALSE(packedDigits(std::numeric_limits<long double>::quiet_NaN()).held());
  EXPECT_FALSE(packedDigits(std::numeric_limits<long double>::infinity()).held());
  EXPECT_TRUE(packedDigits(-0.0L).held());
}

}  // namespace
}  // namespace kq
