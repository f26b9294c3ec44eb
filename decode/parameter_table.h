#pragma once

#include <span>
#include <string_view>

#include "decode/record_view.h"

namespace kq {

// One decoded parameter: its column title (UTF-8) and how a record gives its
// value. Integer steps happen in int before the value becomes long double;
// the rest is extended-precision arithmetic in the written order.
struct ParameterColumn {
  std::string_view title;
  long double (*value)(const RecordView& record);
};

using ParameterTable = std::span<const ParameterColumn>;

// The ordered columns of a controller type; empty for types outside 1..7.
ParameterTable parameterTable(int controllerType);

// The tables, one per file.
ParameterTable parameterTableType1();
ParameterTable parameterTableType2();
ParameterTable parameterTableType3();
ParameterTable parameterTableType4();
ParameterTable parameterTableType5();
ParameterTable parameterTableType6();
ParameterTable parameterTableType7();

}  // namespace kq
