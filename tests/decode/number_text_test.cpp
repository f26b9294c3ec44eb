#include "decode/number_text.h"

#include <gtest/gtest.h>

namespace kq {
namespace {

struct NumberCase {
  long double value;
  const char* comma;
};

class NumberTextTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, PrintsWithCommaAndFullStop) {
  const auto& c = GetParam();
  EXPECT_EQ(formatNumber(c.value, ','), c.comma);
  std::string point = c.comma;
  for (char& ch : point) {
    if (ch == ',') ch = '.';
  }
  EXPECT_EQ(formatNumber(c.value, '.'), point);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberTextTest,
    testing::Values(
        // Whole numbers, signs, zero.
        NumberCase{0.0L, "0"}, NumberCase{-0.0L, "0"}, NumberCase{40.0L, "40"}, NumberCase{-40.0L, "-40"},
        NumberCase{393210.0L, "393210"}, NumberCase{-65536.0L, "-65536"}, NumberCase{1.0L, "1"},
        NumberCase{999999999999999.0L, "999999999999999"}, NumberCase{1e15L, "1E15"},
        NumberCase{1234567890123456.0L, "1,23456789012346E15"},
        // Fractions that end within 15 digits.
        NumberCase{63.5L, "63,5"}, NumberCase{-63.5L, "-63,5"}, NumberCase{0.5L, "0,5"},
        NumberCase{1.49609375L, "1,49609375"}, NumberCase{99.9969482421875L, "99,9969482421875"},
        NumberCase{12799.609375L, "12799,609375"},
        // Rounded to 15 significant digits.
        NumberCase{1.0L / 6, "0,166666666666667"}, NumberCase{-1.0L / 6, "-0,166666666666667"},
        NumberCase{2.0L / 3, "0,666666666666667"}, NumberCase{128.0L / 255 * 100 / 100, "0,501960784313725"},
        NumberCase{1.0L / 3 * 1e6L, "333333,333333333"},
        // Exactly halfway at the 15th digit: away from zero.
        NumberCase{65535.0L * 2 / 65536, "1,99996948242188"}, NumberCase{-65535.0L * 2 / 65536, "-1,99996948242188"},
        NumberCase{0.0001220703125L * 3, "0,0003662109375"},
        // Rounding that carries into a new digit.
        NumberCase{9.9999999999999999L, "10"}, NumberCase{0.99999999999999999L, "1"},
        // The 0.0001 boundary and scientific notation.
        NumberCase{8.0L / 65536, "0,0001220703125"}, NumberCase{2.0L / 65536, "3,0517578125E-5"},
        NumberCase{-2.0L / 65536, "-3,0517578125E-5"}, NumberCase{0.0001L, "0,0001"},
        NumberCase{0.00009999999999999999L, "0,0001"}, NumberCase{6.0L / 65536, "9,1552734375E-5"},
        NumberCase{1e-5L, "1E-5"}, NumberCase{1.5e-20L, "1,5E-20"}));

TEST(IntegerTextTest, PlainDecimal) {
  std::string out;
  appendInteger(out, -512);
  out += ';';
  appendInteger(out, 0);
  out += ';';
  appendInteger(out, 65023);
  EXPECT_EQ(out, "-512;0;65023");
}

}  // namespace
}  // namespace kq
