#include "analysis/dump_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "decode/conversion_error.h"
#include "decode/number_text.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
#include "tests/support/dump_builder.h"
#include "tests/support/model_builder.h"
#include "tests/support/number_text.h"

namespace kq {
namespace {
using namespace test;

std::string messageOf(const Dump& dump) {
  try {
    buildDumpModel(dump, ',');
  } catch (const ConversionError& error) {
    return error.what();
  }
  return "no error";
}

TEST(DumpModelTest, ColumnsAndTitlesPerControllerType) {
  struct Case {
    int type;
    int columns;
  };
  for (Case c : {Case{1, 33}, Case{2, 46}, Case{3, 31}, Case{4, 29}, Case{5, 38}, Case{6, 77}, Case{7, 52}}) {
    SCOPED_TRACE(c.type);
    DumpModel data = buildDumpModel(makeDump(c.type, 2), ',');
    ASSERT_EQ(data.columnCount(), c.columns);
    ASSERT_EQ(data.titles().size(), std::size_t(c.columns - 3));
    EXPECT_EQ(data.cell(0, 0), "Дата");
    EXPECT_EQ(data.cell(0, 1), "Время");
    EXPECT_EQ(data.cell(0, 2), "Номер записи");
    ParameterTable table = parameterTable(c.type);
    for (std::size_t i = 0; i < data.titles().size(); ++i) {
      EXPECT_EQ(data.cell(0, int(3 + i)), table[i].title);
      EXPECT_EQ(data.titles()[i], table[i].title);
    }
  }
}

TEST(DumpModelTest, ExtraByteTitlesOfTypes5And6StandAboveTheirValues) {
  for (int type : {5, 6}) {
    DumpModel data = buildDumpModel(makeDump(type, 1), ',');
    auto at = std::find(data.titles().begin(), data.titles().end(), "Статус неисправности 2");
    ASSERT_NE(at, data.titles().end()) << type;
    ASSERT_LT(at + 2, data.titles().end());
    EXPECT_EQ(*(at + 1), "Байт 17");
    EXPECT_EQ(*(at + 2), "Байт 18");
  }
}

TEST(DumpModelTest, CellsHoldTheExportNumberText) {
  Dump dump = makeDump(2, 3, 0x81);
  DumpModel data = buildDumpModel(dump, ',');
  ParameterTable table = parameterTable(2);
  for (int row = 1; row <= 6; ++row) {
    RecordView view(dump.line((row - 1) / 2), (row - 1) % 2 + 1);
    for (std::size_t i = 0; i < table.size(); ++i)
      ASSERT_EQ(data.cell(row, int(3 + i)), test::formatNumber(table[i].value(view), ',')) << row << " " << i;
  }
}

TEST(DumpModelTest, CoolantOfType1IsByteMinus40) {
  Record first = makeRecord(1, 0);
  first[20] = 0x5A;
  DumpModel data = buildDumpModel(Dump({makeLine(first, makeRecord(1, 1))}), ',');
  auto at = std::find(data.titles().begin(), data.titles().end(), "Температура охлаждающей жидкости");
  ASSERT_NE(at, data.titles().end());
  EXPECT_EQ(data.cell(1, int(3 + (at - data.titles().begin()))), "50");
}

TEST(DumpModelTest, FrameCellsAreDateTimeAndRecordNumber) {
  Record first = makeRecord(2, 0);
  first[7] = 0x00;
  first[8] = 0x02;
  Record second = makeRecord(2, 0);
  second[7] = 0xFF;
  second[8] = 0x01;
  second[1] = 0x3A;  // copied as text, never converted
  DumpModel data = buildDumpModel(Dump({makeLine(first, second)}), ',');
  EXPECT_EQ(data.cell(1, 0), "15.03");
  EXPECT_EQ(data.cell(1, 1), "12:34:56");
  EXPECT_EQ(data.cell(1, 2), "0");
  EXPECT_EQ(data.cell(2, 0), "3A.03");
  EXPECT_EQ(data.cell(2, 2), "-1");
}

TEST(DumpModelTest, RowsEndAtTheFirstEmptyRecord) {
  Record r = makeRecord(2, 7);
  Record markAtOffset1 = makeRecord(2, 7);
  markAtOffset1[1] = 0xFF;
  Record empty = emptyRecord();
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int rows;  // title row included
  };
  std::string lowerLine = makeLine(r, r);
  lowerLine.replace(393, 2, "ff");  // offset 0 of the second record
  const Case cases[] = {
      {"no empty record", {makeLine(r, r), makeLine(r, r), makeLine(r, r)}, 7},
      {"second record of line 1", {makeLine(r, r), makeLine(r, empty), makeLine(r, r)}, 4},
      {"first record of line 2", {makeLine(r, r), makeLine(r, r), makeLine(empty, r)}, 5},
      {"first record of the dump", {makeLine(empty, r), makeLine(r, r)}, 1},
      {"lower-case ff is no mark", {lowerLine}, 3},
      {"FF at offset 1 is no mark", {makeLine(markAtOffset1, r)}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DumpModel data = buildDumpModel(Dump(c.lines), ',');
    EXPECT_EQ(data.rowCount(), c.rows);
    EXPECT_EQ(data.cell(c.rows, 0), "");
  }
}

TEST(DumpModelTest, EmptyFirstRecordGivesNoTableAndOnlyTheTitleRow) {
  DumpModel data = buildDumpModel(Dump({makeLine(emptyRecord(), makeRecord(2, 1))}), ',');
  EXPECT_EQ(data.controllerType(), 255);
  EXPECT_EQ(data.rowCount(), 1);
  EXPECT_TRUE(data.titles().empty());
}

TEST(DumpModelTest, UnknownControllerTypeGivesTheFrameColumnsOnly) {
  for (int type : {0, 8, 200}) {
    DumpModel data = buildDumpModel(makeDump(type, 2), ',');
    EXPECT_TRUE(data.titles().empty());
    ASSERT_EQ(data.columnCount(), 3);
    ASSERT_EQ(data.rowCount(), 5);
    EXPECT_EQ(data.cell(0, 2), "Номер записи");
    EXPECT_EQ(data.cell(4, 2), "3");
    EXPECT_EQ(data.cell(4, 1), "12:34:56");
  }
}

TEST(DumpModelTest, UnreadableBytesFailWithTheConversionMessage) {
  Dump shortFirst({std::string("01 02 03 04")});
  EXPECT_EQ(messageOf(shortFirst), "'$' is not a valid integer value");

  Dump badNumber = makeDump(2, 3);
  std::string line = badNumber.line(1);
  line.replace(3 * (131 + 8) + 0, 2, "ZZ");  // record number high byte of record 2
  badNumber = Dump({badNumber.line(0), line});
  EXPECT_EQ(messageOf(badNumber), "'$ZZ' is not a valid integer value");

  Dump truncated({makeDump(2, 1).line(0).substr(0, 3 * (131 + 12) + 2)});
  EXPECT_EQ(messageOf(truncated), "'$' is not a valid integer value");
}

TEST(DumpModelTest, WithoutAnEmptyRecordEveryLineGivesTwoRows) {
  DumpModel data = buildDumpModel(makeDump(6, 100), ',');
  EXPECT_EQ(data.rowCount(), 201);
  EXPECT_EQ(data.columnCount(), 77);
  EXPECT_EQ(data.cell(200, 2), "199");
}

// What is plotted and summed is the number whose text the grid shows, not the
// decoded value beyond its 15 digits (type 2 divides by 65536 and 0.073675).
TEST(DumpModelTest, EveryValueIsTheNumberItsCellShows) {
  for (int fill : {0x81, 0x37, 0xFE}) {
    DumpModel data = buildDumpModel(makeDump(2, 2, std::uint8_t(fill)), ',');
    for (int column = kFrameColumns; column < data.columnCount(); ++column) {
      for (int row = 1; row < data.rowCount(); ++row) {
        std::string text = data.cell(row, column);
        std::replace(text.begin(), text.end(), ',', '.');
        ASSERT_EQ(data.values(column)[row - 1], std::strtold(text.c_str(), nullptr)) << text;
      }
    }
  }
}

// Titles are found through an index; it must follow every change of the channels.
TEST(DumpModelTest, TitlesAreFoundAfterChannelsAreAddedReplacedAndRemoved) {
  DumpModel model = modelOf({{"1"}, {"2"}}, ',', {"A", "A"});  // a repeated title names the first
  model.addDerived("X", {});
  model.addDerived("Y", {});
  const int x = kFrameColumns + 2, y = kFrameColumns + 3;
  EXPECT_EQ(model.columnOf("A"), kFrameColumns);
  EXPECT_EQ(model.columnOf("Y"), y);
  model.replaceDerived(y, "Z", {});
  EXPECT_EQ(model.columnOf("Y"), std::nullopt);
  EXPECT_EQ(model.columnOf("Z"), y);
  model.removeDerived(x);
  EXPECT_EQ(model.columnOf("X"), std::nullopt);
  EXPECT_EQ(model.columnOf("Z"), x);
  model.removeAllDerived();
  EXPECT_EQ(model.columnOf("Z"), std::nullopt);
  EXPECT_EQ(model.columnOf("A"), kFrameColumns);
}

}  // namespace
}  // namespace kq

namespace kq {
namespace {

// Statistics add up the digits the model keeps: they must be those of the
// values, for every parameter of every controller type.
TEST(DumpModelTest, KeepsTheShownDigitsOfEveryDecodedValue) {
  for (int type = 1; type <= 7; ++type) {
    SCOPED_TRACE(type);
    const DumpModel data = buildDumpModel(test::randomDump(type, 150, unsigned(type)), ',');
    for (int column = kFrameColumns; column < data.columnCount(); ++column) {
      const auto digits = data.shownDigits(column);
      const auto& values = data.values(column);
      ASSERT_EQ(digits.size(), values.size()) << column;
      for (std::size_t r = 0; r < values.size(); ++r) {
        const NumberDigits expected = numberDigits(values[r]);
        const NumberDigits kept = digits[r].digits();
        ASSERT_TRUE(digits[r].held()) << column << " " << r;
        ASSERT_EQ(kept.negative, expected.negative) << column << " " << r;
        ASSERT_EQ(kept.digits, expected.digits) << column << " " << r;
        ASSERT_EQ(kept.exponent, expected.exponent) << column << " " << r;
      }
    }
  }
}

TEST(DumpModelTest, KeepsNoDigitsForFrameOrDerivedColumnsOrOnceARecordIsAdded) {
  DumpModel data = buildDumpModel(test::makeDump(6, 3), ',');
  data.addDerived("Канал", std::vector<long double>(6, 1.5L));
  EXPECT_TRUE(data.shownDigits(kRecordNumberColumn).empty());
  EXPECT_EQ(data.shownDigits(kFrameColumns).size(), 6u);
  EXPECT_TRUE(data.shownDigits(data.columnCount() - 1).empty());
  data.appendRecord("15.03", "12:34:56", 6, std::vector<long double>(data.decodedCount(), 2.0L));
  EXPECT_TRUE(data.shownDigits(kFrameColumns).empty());
}

}  // namespace
}  // namespace kq
