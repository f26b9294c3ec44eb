#include "decode/parameter_table.h"

#include <gtest/gtest.h>

#include <string>

#include "decode/conversion_error.h"
#include "tests/support/dump_builder.h"

namespace kq::test {
namespace {

struct TableShape {
  int type;
  std::size_t columns;
  std::string_view first;
  std::string_view last;
  std::size_t minimumLine;  // characters for both records to decode
};

const TableShape kShapes[] = {
    {1, 30, "Комплектация 1", "Количество ошибок", 536},
    {2, 43, "Количество ошибок", "Байт состояния 3", 623},
    {3, 28, "Комплектация 1", "Контрольная сумма ПЗУ", 530},
    {4, 26, "Комплектация 1", "Контрольная сумма ПЗУ", 524},
    {5, 35, "Количество ошибок", "Байт готовности", 536},
    {6, 74, "Количество ошибок", "EGR:коррекция угла зажигания", 698},
    {7, 49, "Количество ошибок", "Ускорение с датчика неровной дороги", 644},
};

void PrintTo(const TableShape& shape, std::ostream* os) { *os << "type " << shape.type; }

class TableShapeTest : public testing::TestWithParam<TableShape> {};

std::string shapeName(const testing::TestParamInfo<TableShape>& info) {
  return "Type" + std::to_string(info.param.type);
}

std::string joinedTitles(ParameterTable table) {
  std::string out;
  for (const ParameterColumn& column : table) {
    if (!out.empty()) out += ';';
    out += column.title;
  }
  return out;
}

TEST_P(TableShapeTest, HasItsColumnCountAndEndTitles) {
  const TableShape& shape = GetParam();
  ParameterTable table = parameterTable(shape.type);
  ASSERT_EQ(table.size(), shape.columns);
  EXPECT_EQ(table.front().title, shape.first);
  EXPECT_EQ(table.back().title, shape.last);
}

// A line one character short loses the last pair that record 2 reads; at the
// minimum length both records decode.
TEST_P(TableShapeTest, NeedsItsMinimumLineLength) {
  const TableShape& shape = GetParam();
  ParameterTable table = parameterTable(shape.type);
  const std::string full = makeDumpLine(std::vector<std::uint8_t>(layout::kLineBytes, 0x12));

  const std::string exact = full.substr(0, shape.minimumLine);
  for (int record : {1, 2}) {
    for (const ParameterColumn& column : table) EXPECT_NO_THROW(column.value(RecordView(exact, record)));
  }

  const std::string shorter = full.substr(0, shape.minimumLine - 1);
  for (const ParameterColumn& column : table) EXPECT_NO_THROW(column.value(RecordView(shorter, 1)));
  int failures = 0;
  for (const ParameterColumn& column : table) {
    try {
      column.value(RecordView(shorter, 2));
    } catch (const ConversionError& e) {
      EXPECT_STREQ(e.what(), "'$1' is not a valid integer value");
      ++failures;
    }
  }
  EXPECT_EQ(failures, 1);
}

INSTANTIATE_TEST_SUITE_P(Types, TableShapeTest, testing::ValuesIn(kShapes), shapeName);

TEST(ParameterTable, OtherTypesHaveNoColumns) {
  for (int type : {0, 8, 9, 127, 255}) EXPECT_TRUE(parameterTable(type).empty()) << type;
}

TEST(ParameterTable, HeaderEndsAsTheControllerNamesThem) {
  const std::string type1 = joinedTitles(parameterTable(1));
  EXPECT_TRUE(type1.ends_with("Контрольная сумма ПЗУ;температура воздуха на впуске;Количество ошибок"))
      << type1;
  for (int type : {3, 4}) {
    const std::string titles = joinedTitles(parameterTable(type));
    EXPECT_TRUE(titles.ends_with("Часовой расход топлива;Путевой расход топлива;Контрольная сумма ПЗУ"))
        << titles;
  }
  EXPECT_TRUE(joinedTitles(parameterTable(2)).ends_with("Байт состояния 2;Байт состояния 3"));
}

TEST(ParameterTable, Type4NamesColumn10Differently) {
  EXPECT_EQ(parameterTable(1)[9].title, "Соотношение воздух/топливо");
  EXPECT_EQ(parameterTable(3)[9].title, "Соотношение воздух/топливо");
  EXPECT_EQ(parameterTable(4)[9].title, "Коэффициент корекции СО");
}

TEST(ParameterTable, Type7RepeatsTheIdleSpeedTitle) {
  ParameterTable table = parameterTable(7);
  EXPECT_EQ(table[15].title, "Обороты двигателя на холостом ходу");
  EXPECT_EQ(table[43].title, table[15].title);
}

// Types 5 and 6 name the raw bytes 17 and 18 right after the second fault status.
TEST(ParameterTable, Types5And6NameBytes17And18) {
  for (int type : {5, 6}) {
    ParameterTable table = parameterTable(type);
    EXPECT_EQ(table[4].title, "Статус неисправности 2");
    EXPECT_EQ(table[5].title, "Байт 17");
    EXPECT_EQ(table[6].title, "Байт 18");
    EXPECT_EQ(table[7].title, "Напряжение на датчике массового расхода воздуха");
  }
}

}  // namespace
}  // namespace kq::test
