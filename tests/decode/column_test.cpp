#include <algorithm>

#include "column_cases.h"
#include "decode/conversion_error.h"
#include "decode/number_text.h"
#include "tests/support/dump_builder.h"
#include "tests/support/number_text.h"

namespace kq::test {

std::vector<TableColumn> columnsOf(int type, const std::vector<ColumnCase>& cases,
                                   const std::vector<int>& except) {
  std::vector<TableColumn> out;
  for (const ColumnCase& c : cases) {
    if (std::find(except.begin(), except.end(), c.column) == except.end()) out.push_back({type, &c});
  }
  return out;
}

std::string columnName(const testing::TestParamInfo<TableColumn>& info) {
  return "Type" + std::to_string(info.param.type) + "_Column" + std::to_string(info.param.column->column);
}

std::string exampleName(const testing::TestParamInfo<Example>& info) {
  return "Type" + std::to_string(info.param.type) + "_Column" + std::to_string(info.param.column) + "_" +
         std::to_string(info.index);
}

void PrintTo(const TableColumn& c, std::ostream* os) {
  *os << "type " << c.type << ", column " << c.column->column;
}

void PrintTo(const Example& e, std::ostream* os) {
  *os << "type " << e.type << ", column " << e.column << " -> " << e.comma;
}

std::vector<int> offsetsRead(const std::vector<ColumnCase>& cases) {
  std::vector<int> out;
  for (const ColumnCase& c : cases) out.insert(out.end(), c.offsets.begin(), c.offsets.end());
  std::sort(out.begin(), out.end());
  return out;
}

namespace {

std::string withFullStop(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  return text;
}

const ParameterColumn& columnOf(int type, int column) {
  ParameterTable table = parameterTable(type);
  if (column < 1 || static_cast<std::size_t>(column) > table.size())
    throw std::out_of_range("no such column");
  return table[static_cast<std::size_t>(column - 1)];
}

}  // namespace

TEST_P(ColumnTest, HasItsTitle) {
  const auto& [type, c] = GetParam();
  EXPECT_EQ(columnOf(type, c->column).title, c->title);
}

TEST_P(ColumnTest, PrintsItsValueAtEveryProbeInBothRecords) {
  const auto& [type, c] = GetParam();
  const ParameterColumn& column = columnOf(type, c->column);
  const auto& probes = c->offsets.size() == 1 ? kByteProbes : kWordProbes;
  ASSERT_EQ(c->texts.size(), probes.size());
  for (int record : {1, 2}) {
    for (std::size_t i = 0; i < probes.size(); ++i) {
      std::vector<ByteAt> bytes;
      for (std::size_t k = 0; k < c->offsets.size(); ++k) bytes.push_back({c->offsets[k], probes[i][k]});
      std::string line = recordLine(record, bytes);
      long double value = column.value(RecordView(line, record));
      SCOPED_TRACE("record " + std::to_string(record) + ", probe " + std::to_string(i));
      EXPECT_EQ(test::formatNumber(value, ','), c->texts[i]);
      EXPECT_EQ(test::formatNumber(value, '.'), withFullStop(c->texts[i]));
    }
  }
}

// A pair that is not hexadecimal fails exactly when the column reads it.
TEST_P(ColumnTest, ReadsExactlyItsOffsets) {
  const auto& [type, c] = GetParam();
  const ParameterColumn& column = columnOf(type, c->column);
  for (int record : {1, 2}) {
    const std::string line = recordLine(record, {});
    for (int offset = 0; offset < 127; ++offset) {
      std::string bad = withPair(line, record, offset, "ZZ");
      bool reads = std::find(c->offsets.begin(), c->offsets.end(), offset) != c->offsets.end();
      SCOPED_TRACE("record " + std::to_string(record) + ", offset " + std::to_string(offset));
      if (reads) {
        try {
          column.value(RecordView(bad, record));
          ADD_FAILURE() << "no conversion error";
        } catch (const ConversionError& e) {
          EXPECT_STREQ(e.what(), "'$ZZ' is not a valid integer value");
        }
      } else {
        EXPECT_NO_THROW(column.value(RecordView(bad, record)));
      }
    }
  }
}

TEST_P(ExampleTest, PrintsAsWorkedOut) {
  const Example& e = GetParam();
  const ParameterColumn& column = columnOf(e.type, e.column);
  for (int record : {1, 2}) {
    std::string line = recordLine(record, e.bytes);
    long double value = column.value(RecordView(line, record));
    SCOPED_TRACE("record " + std::to_string(record));
    EXPECT_EQ(test::formatNumber(value, ','), e.comma);
    EXPECT_EQ(test::formatNumber(value, '.'), withFullStop(e.comma));
  }
}

}  // namespace kq::test
