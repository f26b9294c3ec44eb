#include "decode/column_list.h"
#include "decode/parameter_table.h"
#include "decode/table_type_5_columns.h"

// Controller type 6: the columns of type 5, except that values 26 to 28 read
// 16 bits (high byte at offsets 38 to 40, low byte ten places further on), then
// 39 more. All 16-bit values are stored high byte first.

namespace kq {
namespace {

using columns::ColumnList;
using columns::kType5Columns;
using columns::slice;

constexpr ColumnList<3> kColumns26To28 = {{
    {kType5Columns[25].title, [](const RecordView& r) -> long double { return r.W(38, 48) / 128.0L; }},
    // W - 65536 with no sign test, so never positive.
    {kType5Columns[26].title,
     [](const RecordView& r) -> long double { return (r.W(39, 49) - 65536) * 0.625L; }},
    {kType5Columns[27].title, [](const RecordView& r) -> long double { return r.W(40, 50) / 128.0L; }},
}};

constexpr ColumnList<39> kColumns36To74 = {{
    {"Время работы системы", [](const RecordView& r) -> long double { return r.W(51, 52) / 10.0L; }},
    {"Время накопления", [](const RecordView& r) -> long double { return r.W(53, 54) * 0.75L; }},
    {"температура воздуха на впуске",
     [](const RecordView& r) -> long double { return r.B(55) * 0.75L - 48; }},
    {"Температура охлаждающей жидкости при старте",
     [](const RecordView& r) -> long double { return r.B(56) * 0.75L - 48; }},
    {"Датчик неровной дороги", [](const RecordView& r) -> long double { return (r.B(57) - 128) * 0.04902L; }},
    {"Расчетная нагрузка", [](const RecordView& r) -> long double { return r.B(58) * 0.05L; }},
    {"Фактор высотной адаптации", [](const RecordView& r) -> long double { return r.B(59) / 128.0L; }},
    {"Сопротивление шунта в цепи нагревателя ДК до нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(60) * 0.48098L; }},
    {"Сопротивление шунта в цепи нагревателя ДК после нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(61) * 0.48098L; }},
    {"Счетчик пропусков зажигания влияющих на токсичность",
     [](const RecordView& r) -> long double { return r.W(62, 63); }},
    {"Счетчик пропусков зажигания влияющих на работоспособность нейтрализатора",
     [](const RecordView& r) -> long double { return r.W(64, 65); }},
    {"Сигнал с датчика детонации,цилиндр 1",
     [](const RecordView& r) -> long double { return r.B(66) / 0.4096L; }},
    {"Сигнал с датчика детонации,цилиндр 2",
     [](const RecordView& r) -> long double { return r.B(67) / 0.4096L; }},
    {"Сигнал с датчика детонации,цилиндр 3",
     [](const RecordView& r) -> long double { return r.B(68) / 0.4096L; }},
    {"Сигнал с датчика детонации,цилиндр 4",
     [](const RecordView& r) -> long double { return r.B(69) / 0.4096L; }},
    {"Угол опережения зажигания,цилиндр 1",
     [](const RecordView& r) -> long double { return 108 - r.B(70) * 0.75L; }},
    {"Угол опережения зажигания,цилиндр 2",
     [](const RecordView& r) -> long double { return 108 - r.B(71) * 0.75L; }},
    {"Угол опережения зажигания,цилиндр 3",
     [](const RecordView& r) -> long double { return 108 - r.B(72) * 0.75L; }},
    {"Угол опережения зажигания,цилиндр 4",
     [](const RecordView& r) -> long double { return 108 - r.B(73) * 0.75L; }},
    {"Параметр расхода воздуха регулятора холостого хода",
     [](const RecordView& r) -> long double { return (r.W(74, 75) - 32768) * 0.390625L; }},
    {"Фактор прогрева", [](const RecordView& r) -> long double { return r.W(76, 77) / 64.0L; }},
    {"Нагрузка,ограниченная сверху", [](const RecordView& r) -> long double { return r.B(78) / 0.05L; }},
    {"Фактор коррекции смеси на переходном режиме",
     [](const RecordView& r) -> long double { return (r.W(79, 80) - 65536) * 0.001L; }},
    // Cylinders 1 to 4 from the pairs at 81, 87, 83 and 85.
    {"Длительность импульса впрыска в 1-м цилиндре",
     [](const RecordView& r) -> long double { return r.W(81, 82) * 0.024L; }},
    {"Длительность импульса впрыска во 2-м цилиндре",
     [](const RecordView& r) -> long double { return r.W(87, 88) * 0.024L; }},
    {"Длительность импульса впрыска в 3-м цилиндре",
     [](const RecordView& r) -> long double { return r.W(83, 84) * 0.024L; }},
    {"Длительность импульса впрыска в 4-м цилиндре",
     [](const RecordView& r) -> long double { return r.W(85, 86) * 0.024L; }},
    {"Фактор влияния форсунок на адаптацию смеси",
     [](const RecordView& r) -> long double { return (r.W(89, 90) - 65536) * 0.625L; }},
    {"Задержка обратной связи для нейтрализатора после отсечки топлива",
     [](const RecordView& r) -> long double { return (r.B(91) - 128) * 0.01L; }},
    {"Суммарная задержка обратной связи",
     [](const RecordView& r) -> long double { return (r.B(92) - 128) * 0.01L; }},
    {"Задержка обратной связи по датчику кислорода после нейтрализатора",
     [](const RecordView& r) -> long double { return (r.B(93) - 128) * 0.01L; }},
    {"Интегральная часть задержки обратной связи по датчику кислорода после неййтрализатора",
     [](const RecordView& r) -> long double { return (r.B(94) - 128) * 0.01L; }},
    {"Период сигнала датчика кислорода перед нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(95) * 0.01L; }},
    {"Счетчик зажиганий для определения динамики",
     [](const RecordView& r) -> long double { return r.B(96); }},
    {"Байт состояния 4", [](const RecordView& r) -> long double { return r.B(97); }},
    {"Напряжение на EGR", [](const RecordView& r) -> long double { return r.B(98); }},
    {"Сигнал на EGR", [](const RecordView& r) -> long double { return r.B(99) * 100 / 256.0L; }},
    {"EGR:фактор коррекции по смеси", [](const RecordView& r) -> long double { return r.B(100) / 128.0L; }},
    {"EGR:коррекция угла зажигания",
     [](const RecordView& r) -> long double { return (r.B(101) - 60) * 0.75L; }},
}};

constexpr auto kType6 =
    columns::join(slice<0, 25>(kType5Columns), kColumns26To28, slice<28, 35>(kType5Columns), kColumns36To74);

}  // namespace

ParameterTable parameterTableType6() { return kType6; }

}  // namespace kq
