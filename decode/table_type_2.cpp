#include "decode/parameter_table.h"
#include "decode/table_type_2_columns.h"

namespace kq {

ParameterTable parameterTableType2() { return columns::kType2Columns; }

}  // namespace kq
