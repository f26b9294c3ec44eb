#include "decode/parameter_table.h"
#include "decode/table_type_5_columns.h"

namespace kq {

ParameterTable parameterTableType5() { return columns::kType5Columns; }

}  // namespace kq
