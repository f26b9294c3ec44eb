#include "analysis/series_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "decode/conversion_error.h"
#include "decode/number_text.h"
#include "tests/support/number_text.h"

namespace kq {
namespace {

TEST(SeriesValuesTest, ReadsNumberTextWithTheGivenSeparator) {
  struct Case {
    const char* text;
    char separator;
    long double value;
  };
  for (Case c : {Case{"12,5", ',', 12.5L}, Case{"-40", ',', -40}, Case{"0", ',', 0}, Case{"63.5", '.', 63.5L},
                 Case{"3,0517578125E-5", ',', 3.0517578125e-5L}, Case{"1E15", '.', 1e15L}, Case{"+2", ',', 2},
                 Case{",5", ',', 0.5L}, Case{"7,", ',', 7},
                 // The nearest 80-bit values, not the nearest doubles widened.
                 Case{"13,8", ',', 13.8L}, Case{"-0,073675", ',', -0.073675L}, Case{"1,2E-7", ',', 1.2e-7L},
                 Case{"0,000123456789012345", ',', 0.000123456789012345L}}) {
    EXPECT_EQ(readCellNumber(c.text, c.separator), c.value) << c.text;
  }
}

TEST(SeriesValuesTest, RejectsWhatIsNotANumberWithTheConversionMessage) {
  for (const char* text : {"", "12.5", "1,2,3", "abc", "-", ",", "1E", "INF", "NAN", " 1", "1 ", "15.03",
                           "12:34:56", "1E5000"}) {
    try {
      readCellNumber(text, ',');
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

TEST(SeriesValuesTest, ReadsTheNearestExtendedValueOfEveryNumberText) {
  // Texts as the grid prints them, and longer ones that take the slow path.
  std::vector<std::string> texts = {"0,1",
                                    "13,67",
                                    "-0,0001220703125",
                                    "3,0517578125E-5",
                                    "123456789012345",
                                    "0,000123456789012345",
                                    "99999999999999999999999",
                                    "1E30",
                                    "1E-30",
                                    "0,30000000000000000000000001",
                                    "-1234,5678E-20"};
  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    long double value = static_cast<long double>(std::int64_t(random() >> 8)) /
                        static_cast<long double>(std::uint64_t(1) << (random() % 60));
    texts.push_back(test::formatNumber(i % 2 ? value : -value, ','));
  }
  for (const std::string& text : texts) {
    std::string dotted = text;
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    ASSERT_EQ(readCellNumber(text, ','), std::strtold(dotted.c_str(), nullptr)) << text;
  }
}

TEST(SeriesValuesTest, DecimalsKeepTheirDigitsAndSayWhenTheyDropSome) {
  struct Case {
    const char* text;
    bool negative;
    std::uint64_t digits;
    int exponent;
    bool exact;
  };
  for (Case c : {Case{"0,05", false, 5, -2, true}, Case{"-12,50", true, 1250, -2, true},
                 Case{"3,0517578125E-5", false, 30517578125, -15, true}, Case{"007", false, 7, 0, true},
                 Case{"12345678901234567890", false, 1234567890123456789, 1, true},
                 Case{"12345678901234567891", false, 1234567890123456789, 1, false}}) {
    CellDecimal decimal;
    ASSERT_TRUE(parseCellDecimal(c.text, ',', decimal)) << c.text;
    EXPECT_EQ(decimal.negative, c.negative) << c.text;
    EXPECT_EQ(decimal.digits, c.digits) << c.text;
    EXPECT_EQ(decimal.exponent, c.exponent) << c.text;
    EXPECT_EQ(decimal.exact, c.exact) << c.text;
  }
}

ChartGrid gridOf(const std::vector<std::string>& column) {
  ChartGrid grid(2);
  grid.beginRow();
  grid.appendCell("Номер записи");
  grid.appendCell("Title");
  for (std::size_t i = 0; i < column.size(); ++i) {
    grid.beginRow();
    grid.appendCell(std::to_string(i));
    grid.appendCell(column[i]);
  }
  return grid;
}

TEST(SeriesValuesTest, SeriesValuesComeFromRowOneOnNotRounded) {
  ChartGrid grid = gridOf({"0,5", "1,5", "13,67", "0,1", "-2,4"});
  std::vector<double> values;
  appendSeriesValues(grid, 1, ',', values);
  EXPECT_EQ(values, (std::vector<double>{0.5, 1.5, 13.67, 0.1, -2.4}));
}

TEST(SeriesValuesTest, AFailingCellKeepsTheValuesBeforeIt) {
  ChartGrid grid = gridOf({"1", "2", "x", "4"});
  std::vector<double> values;
  EXPECT_THROW(appendSeriesValues(grid, 1, ',', values), ConversionError);
  EXPECT_EQ(values, (std::vector<double>{1, 2}));
}

}  // namespace
}  // namespace kq
