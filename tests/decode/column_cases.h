#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "decode/parameter_table.h"
#include "tests/support/dump_builder.h"

namespace kq::test {

// One table column as the tables' text describes it: its place (from 1), its
// title, the offsets it reads (high byte first for 16-bit values) and its
// printed values (decimal comma) at the byte probes below.
struct ColumnCase {
  int column;
  std::string_view title;
  std::vector<int> offsets;
  std::vector<const char*> texts;
};

// Where formulas break: zero, one, the sign boundary and the top. 16-bit values
// also get 00 01 against 01 00, which tells the byte order.
inline const std::vector<std::vector<int>> kByteProbes = {{0x00}, {0x01}, {0x7F}, {0x80}, {0xFF}};
inline const std::vector<std::vector<int>> kWordProbes = {{0x00, 0x00}, {0x00, 0x01}, {0x01, 0x00},
                                                          {0x7F, 0xFF}, {0x80, 0x00}, {0xFF, 0xFF}};

struct TableColumn {
  int type;
  const ColumnCase* column;
};

// Every case of a list, for one controller type; `except` names columns that
// the type does not share with the list.
std::vector<TableColumn> columnsOf(int type, const std::vector<ColumnCase>& cases,
                                   const std::vector<int>& except = {});

std::string columnName(const testing::TestParamInfo<TableColumn>& info);

class ColumnTest : public testing::TestWithParam<TableColumn> {};

// A value from a record's bytes, as the spreadsheet prints it.
struct Example {
  int type;
  int column;
  std::vector<ByteAt> bytes;
  const char* comma;
};

class ExampleTest : public testing::TestWithParam<Example> {};

std::string exampleName(const testing::TestParamInfo<Example>& info);

// Short names in test listings instead of raw bytes.
void PrintTo(const TableColumn& c, std::ostream* os);
void PrintTo(const Example& e, std::ostream* os);

// The offsets of a type's cases, sorted.
std::vector<int> offsetsRead(const std::vector<ColumnCase>& cases);

}  // namespace kq::test
