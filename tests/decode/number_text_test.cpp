#include "decode/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "tests/support/number_text.h"

namespace kq {
namespace {

struct NumberCase {
  long double value;
  const char* comma;
};

class NumberTextTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, PrintsWithCommaAndFullStop) {
  const auto& c = GetParam();
  EXPECT_EQ(test::formatNumber(c.value, ','), c.comma);
  std::string point = c.comma;
  for (char& ch : point) {
    if (ch == ',') ch = '.';
  }
  EXPECT_EQ(test::formatNumber(c.value, '.'), point);
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
        NumberCase{65535.0L * 2 / 65536, "1,99996948242188"},
        NumberCase{-65535.0L * 2 / 65536, "-1,99996948242188"},
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

namespace kq {
namespace {

// Reference: the C library's exact decimal expansion, rounded by hand to 15
// significant digits with halves away from zero.
std::string referenceDigits(long double magnitude, int& exponent10) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%.120Le", magnitude);
  std::string digits;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  exponent10 = std::atoi(p + 1);
  std::string kept = digits.substr(0, 15);
  bool up = digits[15] >= '5';
  if (up) {
    int i = 14;
    while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++exponent10;
    } else {
      ++kept[static_cast<std::size_t>(i)];
    }
  }
  while (kept.size() > 1 && kept.back() == '0') kept.pop_back();
  return kept;
}

TEST(NumberTextPropertyTest, DigitsMatchTheExactExpansionRoundedHalfAway) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> scale(-5, 14);
  for (int i = 0; i < 200000; ++i) {
    // Values as the tables make them: a 16-bit reading times a decimal constant,
    // divided by a power of two, at every magnitude the tables reach.
    long double value =
        static_cast<long double>(random() % 65536) * (static_cast<long double>(random() % 100000) / 997.0L);
    value = std::ldexp(value, static_cast<int>(random() % 40) - 20);
    int wanted = scale(random);
    while (value != 0 && std::fabs(value) >= std::pow(10.0L, wanted + 1)) value /= 10;
    if (value == 0) continue;
    int exponent10 = 0;
    std::string digits = referenceDigits(value, exponent10);
    std::string text = test::formatNumber(value, '.');
    std::string got;
    for (char c : text.substr(0, text.find('E'))) {
      if (c >= '0' && c <= '9') got += c;
    }
    got.erase(0, got.find_first_not_of('0'));
    while (got.size() > 1 && got.back() == '0') got.pop_back();
    ASSERT_EQ(got, digits) << text << " for " << static_cast<double>(value);
  }
}

}  // namespace
}  // namespace kq
