#include "decode/column_list.h"
#include "decode/parameter_table.h"
#include "decode/table_type_2_columns.h"

// Controller type 7: the 43 columns of type 2, then six more, all 16-bit
// values stored high byte first.

namespace kq {
namespace {

using columns::ColumnList;

constexpr ColumnList<6> kColumns44To49 = {{
    // The controller logs the idle speed a second time, under the same title.
    {columns::kType2Columns[15].title, [](const RecordView& r) -> long double { return r.B(77) * 10; }},
    {"Напряжение на датчике кислорода после нейтрализатора",
     [](const RecordView& r) -> long double { return (r.B(78) * 1.33L - 51) / 255; }},
    {"Период сигналадатчика кислорода до нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(79) * 0.04L; }},
    {"Интегральная часть задержки обратной связи по второму датчику",
     [](const RecordView& r) -> long double { return r.S(80) * 0.01L; }},
    {"Корректированное среднее значение амплитуды датчика кислорода после нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(81) / 256.0L; }},
    {"Ускорение с датчика неровной дороги",
     [](const RecordView& r) -> long double { return (r.W(82, 83) * 12.5L - 409600) / 65535; }},
}};

constexpr auto kType7 = columns::join(columns::kType2Columns, kColumns44To49);

}  // namespace

ParameterTable parameterTableType7() { return kType7; }

}  // namespace kq
