#include "chart/series_values.h"

#include <gtest/gtest.h>

#include <cmath>

#include "decode/conversion_error.h"

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
  for (const char* text :
       {"", "12.5", "1,2,3", "abc", "-", ",", "1E", "INF", "NAN", " 1", "1 ", "15.03", "12:34:56"}) {
    try {
      readCellNumber(text, ',');
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

TEST(SeriesValuesTest, PlotValuesRoundHalfToEven) {
  struct Case {
    long double value;
    double plotted;
  };
  for (Case c : {Case{0.5L, 0}, Case{1.5L, 2}, Case{2.5L, 2}, Case{12.5L, 12}, Case{13.5L, 14}, Case{2.4L, 2},
                 Case{2.6L, 3}, Case{-0.5L, 0}, Case{-1.5L, -2}, Case{-46.5L, -46}, Case{7, 7}}) {
    EXPECT_EQ(plotValue(c.value), c.plotted) << double(c.value);
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

TEST(SeriesValuesTest, SeriesValuesComeFromRowOneOnRounded) {
  ChartGrid grid = gridOf({"0,5", "1,5", "12,5", "13,5", "2,4"});
  std::vector<double> values;
  appendSeriesValues(grid, 1, ',', values);
  EXPECT_EQ(values, (std::vector<double>{0, 2, 12, 14, 2}));
}

TEST(SeriesValuesTest, AFailingCellKeepsTheValuesBeforeIt) {
  ChartGrid grid = gridOf({"1", "2", "x", "4"});
  std::vector<double> values;
  EXPECT_THROW(appendSeriesValues(grid, 1, ',', values), ConversionError);
  EXPECT_EQ(values, (std::vector<double>{1, 2}));
}

}  // namespace
}  // namespace kq
