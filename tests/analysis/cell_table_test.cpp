#include "analysis/cell_table.h"

#include <gtest/gtest.h>

#include "tests/support/model_builder.h"

namespace kq {
namespace {

constexpr int X = kFrameColumns, Y = kFrameColumns + 1, Z = kFrameColumns + 2;

TEST(CellTableTest, NearestBreakpointWithTiesToTheLowerOne) {
  const std::vector<long double> breaks = {test::valueOf("0,1"), test::valueOf("0,2"), test::valueOf("1000")};
  struct Case {
    const char* value;
    std::size_t cell;
  };
  for (Case c : {Case{"-5", 0}, Case{"0,1", 0}, Case{"0,15", 0}, Case{"0,150000000000001", 1}, Case{"0,2", 1},
                 Case{"500,1", 1}, Case{"500,1000000001", 2}, Case{"2000", 2}})
    EXPECT_EQ(nearestBreak(breaks, test::valueOf(c.value)), c.cell) << c.value;
}

TEST(CellTableTest, CellsOfAHandBuiltLog) {
  // X: revolutions, Y: load, Z: injection time; 1250 lies exactly between 1000 and 1500.
  DumpModel model = test::modelOf({{"1000", "1250", "1499", "2000", "1000", "1260", ""},
                                   {"0,2", "0,2", "0,5", "0,5", "0,35", "0,2", "0,2"},
                                   {"2", "4", "6", "8", "10", "12", "14"}});
  const std::vector<long double> xs = parseBreaks("1000\t1500\t2000", ',');
  const std::vector<long double> ys = parseBreaks("0,2;0,5", ',');
  CellTable table = makeCellTable(model, X, Y, Z, xs, ys);
  EXPECT_EQ(cellTableText(table, CellStatistic::count, ','), ";1000;1500;2000\n0,2;3;1;\n0,5;;1;1\n");
  EXPECT_EQ(cellTableText(table, CellStatistic::mean, ','),
            ";1000;1500;2000\n0,2;5,33333333333333;12;\n0,5;;6;8\n");
  EXPECT_EQ(cellTableText(table, CellStatistic::minimum, '.'), ";1000;1500;2000\n0.2;2;12;\n0.5;;6;8\n");
  EXPECT_EQ(cellTableText(table, CellStatistic::maximum, ','), ";1000;1500;2000\n0,2;10;12;\n0,5;;6;8\n");
  EXPECT_EQ(cellRecords(model, table, X, Y, Z, 0, 0), (std::vector<int>{0, 1, 4}));

  // Only the kept records count.
  const std::vector<char> kept = {0, 1, 1, 1, 1, 1, 1};
  const CellTable keptTable = makeCellTable(model, X, Y, Z, xs, ys, kept);
  EXPECT_EQ(cellTableText(keptTable, CellStatistic::count, ','), ";1000;1500;2000\n0,2;2;1;\n0,5;;1;1\n");
  // Another drive's table less this one, on the same breakpoints.
  EXPECT_EQ(cellDifferenceText(keptTable, table, CellStatistic::count, ','),
            ";1000;1500;2000\n0,2;-1;0;\n0,5;;0;0\n");
  EXPECT_EQ(cellDifferenceText(keptTable, table, CellStatistic::mean, ','),
            ";1000;1500;2000\n0,2;1,66666666666667;0;\n0,5;;0;0\n");
}

TEST(CellTableTest, EightEvenBreakpointsByDefault) {
  DumpModel model = test::modelOf({{"0", "7", "3,5"}, {"1", "1", "1"}, {"1", "1", "1"}});
  CellTable table = makeCellTable(model, X, Y, Z, {}, {});
  EXPECT_EQ(cellTableText(table, CellStatistic::count, ','), ";0;1;2;3;4;5;6;7\n1;1;;;1;;;;1\n");
}

TEST(CellTableTest, BreakpointListsTypedOrPasted) {
  struct Case {
    const char* text;
    char separator;
    std::vector<std::string> breaks;
  };
  const Case cases[] = {
      {"800\t1200\t1600", ',', {"800", "1200", "1600"}},
      {"0,5; 1,25 ;2", ',', {"0,5", "1,25", "2"}},
      {"0.5 1.25\n2", ',', {"0,5", "1,25", "2"}},
      {"0.5,1.25,2", '.', {"0,5", "1,25", "2"}},
      {"3 1 2 1", ',', {"1", "2", "3"}},  // ascending, repeats dropped
      {"-1e3 +5", '.', {"-1000", "5"}},
  };
  for (const Case& c : cases) {
    std::vector<long double> expected;
    for (const std::string& text : c.breaks) expected.push_back(test::valueOf(text));
    EXPECT_EQ(parseBreaks(c.text, c.separator), expected) << c.text;
  }
  EXPECT_THROW(parseBreaks("1 2 три", ','), std::invalid_argument);
  EXPECT_THROW(parseBreaks("+-5", ','), std::invalid_argument);
  try {
    parseBreaks(std::string("1 2\0 3", 6), ',');
    ADD_FAILURE();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "«2\uFFFD» — не число");  // a NUL would cut the message
  }
  EXPECT_EQ(parseBreaks("1,5", '.'), (std::vector<long double>{1, 5}));
}

// Two long axes would make more cells than the memory holds: each is bounded.
TEST(CellTableTest, AtMostKMaxBreaksPerAxis) {
  auto list = [](std::size_t count, int step) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += std::to_string(int(i) * step) + " ";
    return text;
  };
  EXPECT_EQ(parseBreaks(list(kMaxBreaks, 1), '.').size(), kMaxBreaks);
  EXPECT_EQ(parseBreaks(list(10000, 0), '.').size(), 1u);  // repeats do not count
  try {
    parseBreaks(list(10000, 1), ',');
    FAIL();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "слишком много чисел: 10000, не больше 256");
  }
}

}  // namespace
}  // namespace kq
