#include "analysis/column_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "decode/number_text.h"
#include "tests/support/dump_builder.h"
#include "tests/support/model_builder.h"
#include "tests/support/number_text.h"

namespace kq {
namespace {

constexpr int kColumn = kFrameColumns;

struct Texts {
  std::string minimum, maximum, mean;
  bool operator==(const Texts&) const = default;
};
void PrintTo(const Texts& t, std::ostream* out) { *out << t.minimum << " " << t.maximum << " " << t.mean; }

Texts statisticsTexts(const std::vector<std::string>& cells, int first, int last,
                      const std::vector<char>& kept = {}) {
  auto statistics = columnStatistics(test::modelOf({cells}), kColumn, first, last, kept);
  if (!statistics) return {"none", "none", "none"};
  return {test::formatNumber(statistics->minimum, ','), test::formatNumber(statistics->maximum, ','),
          test::formatNumber(statistics->mean, ',')};
}

TEST(ColumnStatisticsTest, MinimumMaximumAndMeanOverARange) {
  struct Case {
    const char* name;
    std::vector<std::string> cells;
    int first, last;
    Texts expected;
  };
  const Case cases[] = {
      {"all", {"13,67", "-2", "0,5", "40"}, 0, 3, {"-2", "40", "13,0425"}},
      {"inner range", {"13,67", "-2", "0,5", "40"}, 1, 2, {"-2", "0,5", "-0,75"}},
      {"negatives of one exponent", {"-1,5", "-2,5", "-0,5", "-1,0"}, 0, 3, {"-2,5", "-0,5", "-1,375"}},
      {"one record", {"13,67", "-2"}, 0, 0, {"13,67", "13,67", "13,67"}},
      {"clipped to the records", {"1", "2", "3"}, -5, 99, {"1", "3", "2"}},
      {"beyond the records", {"1", "2", "3"}, 3, 5, {"none", "none", "none"}},
      {"backwards", {"1", "2", "3"}, 2, 1, {"none", "none", "none"}},
      // A naive extended sum of 0,1 + 0,6 - 0,7 leaves 5,4E-20 behind.
      {"cancelling decimals", {"0,1", "0,6", "-0,7"}, 0, 2, {"-0,7", "0,6", "0"}},
      {"small and large",
       {"3,0517578125E-5", "12345,6789", "-0,0001220703125"},
       0,
       2,
       {"-0,0001220703125", "12345,6789", "4115,22626948242"}},
      // 10^30 and 10^-30 do not fit one integer: the sum goes on in extended precision.
      {"beyond the exact sum", {"1E30", "1E-30"}, 0, 1, {"1E-30", "1E30", "5E29"}},
      {"digits beyond the 19th", {"1,00000000000000000001", "3"}, 0, 1, {"1", "3", "2"}},
  };
  for (const Case& c : cases) EXPECT_EQ(statisticsTexts(c.cells, c.first, c.last), c.expected) << c.name;
}

TEST(ColumnStatisticsTest, MeanOfAFullColumnOfTenthsIsExact) {
  std::vector<std::string> cells;
  for (int i = 0; i < 7680; ++i) cells.push_back(i % 3 ? "0,1" : "-0,7");
  // 2560 × -0,7 + 5120 × 0,1 = -1280 over 7680 records.
  EXPECT_EQ(statisticsTexts(cells, 0, 7679).mean, "-0,166666666666667");
}

TEST(ColumnStatisticsTest, RecordsWithoutAValueOrNotKeptAreLeftOut) {
  EXPECT_EQ(statisticsTexts({"1", "", "5"}, 0, 2), (Texts{"1", "5", "3"}));
  EXPECT_EQ(statisticsTexts({"1", "2", "5"}, 0, 2, {1, 0, 1}), (Texts{"1", "5", "3"}));
  EXPECT_EQ(statisticsTexts({"1", "2", "5"}, 1, 1, {1, 0, 1}), (Texts{"none", "none", "none"}));
  auto counted =
      columnStatistics(test::modelOf({{"1", "", "5", "7"}}), kColumn, 0, 3, std::vector<char>{1, 1, 1, 0});
  ASSERT_TRUE(counted);
  EXPECT_EQ(counted->count, 2);
}

// The same values without their kept digits: statistics work them out.
DumpModel withoutKeptDigits(const DumpModel& model) {
  DumpModel copy(model.decimalSeparator());
  for (int column = kFrameColumns; column < model.columnCount(); ++column)
    copy.addColumn(model.title(column));
  std::vector<long double> values(model.decodedCount());
  for (int r = 0; r < model.recordCount(); ++r) {
    for (int i = 0; i < model.decodedCount(); ++i) values[i] = model.values(kFrameColumns + i)[r];
    copy.appendRecord(model.date(r), model.time(r), model.values(kRecordNumberColumn)[r], values);
  }
  return copy;
}

TEST(ColumnStatisticsTest, KeptDigitsGiveExactlyTheStatisticsWorkedOutOnes) {
  std::vector<char> kept(300);
  for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = i % 3 != 1;
  for (int type : {2, 6, 7}) {
    SCOPED_TRACE(type);
    const DumpModel model = buildDumpModel(test::randomDump(type, 150, 11), ',');
    const DumpModel worked = withoutKeptDigits(model);
    ASSERT_FALSE(model.shownDigits(kFrameColumns).empty());
    ASSERT_TRUE(worked.shownDigits(kFrameColumns).empty());
    for (const auto& [first, last, selection] :
         {std::tuple{0, 299, std::vector<char>{}}, std::tuple{17, 250, kept}, std::tuple{40, 40, kept}}) {
      const auto expected = columnsStatistics(worked, kFrameColumns, first, last, selection);
      const auto got = columnsStatistics(model, kFrameColumns, first, last, selection);
      ASSERT_EQ(got.size(), expected.size());
      for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(model.title(kFrameColumns + int(i)));
        ASSERT_EQ(got[i].has_value(), expected[i].has_value());
        if (!got[i]) continue;
        EXPECT_EQ(got[i]->minimum, expected[i]->minimum);
        EXPECT_EQ(got[i]->maximum, expected[i]->maximum);
        EXPECT_EQ(got[i]->mean, expected[i]->mean);
        EXPECT_EQ(got[i]->count, expected[i]->count);
      }
    }
  }
}

}  // namespace
}  // namespace kq
