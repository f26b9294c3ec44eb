#include "decode/column_list.h"
#include "decode/parameter_table.h"

// Controller types 1, 3 and 4 share one column set. Their 16-bit values are
// stored low byte first: W(35,34) takes offset 35 as the high byte.

namespace kq {
namespace {

using columns::ColumnList;
using columns::join;
using columns::slice;

// Columns 1 to 20, at the same offsets in all three types.
constexpr ColumnList<20> kFirstColumns = {{
    {"Комплектация 1", [](const RecordView& r) -> long double { return r.B(12); }},
    {"Комплектация 2", [](const RecordView& r) -> long double { return r.B(13); }},
    {"Режим работы 1", [](const RecordView& r) -> long double { return r.B(14); }},
    {"Режим работы 2", [](const RecordView& r) -> long double { return r.B(15); }},
    {"Флаги текущих неисправностей 1", [](const RecordView& r) -> long double { return r.B(16); }},
    {"Флаги текущих неисправностей 2", [](const RecordView& r) -> long double { return r.B(17); }},
    {"Флаги текущих неисправностей 3", [](const RecordView& r) -> long double { return r.B(18); }},
    {"Флаги текущих неисправностей 4", [](const RecordView& r) -> long double { return r.B(19); }},
    // The controller logs temperatures offset by 40 degrees.
    {"Температура охлаждающей жидкости", [](const RecordView& r) -> long double { return r.B(20) - 40; }},
    {"Соотношение воздух/топливо", [](const RecordView& r) -> long double { return r.B(21) / 256.0L; }},
    {"Положение дроссельной заслонки", [](const RecordView& r) -> long double { return r.B(22); }},
    {"Обороты двигателя", [](const RecordView& r) -> long double { return r.B(23) * 40; }},
    {"Обороты двигателя на холостом ходу", [](const RecordView& r) -> long double { return r.B(24) * 10; }},
    {"Желаемое положение регулятора холостого хода",
     [](const RecordView& r) -> long double { return r.B(25); }},
    {"Текущее положение регулятора холостого хода",
     [](const RecordView& r) -> long double { return r.B(26); }},
    {"Коэффициент коррекции времени впрыска",
     [](const RecordView& r) -> long double { return (r.B(27) + 128) / 256.0L; }},
    {"Угол опережения зажигания", [](const RecordView& r) -> long double { return r.S(28) / 2.0L; }},
    {"Скорость автомобиля", [](const RecordView& r) -> long double { return r.B(29); }},
    {"Напряжение бортсети", [](const RecordView& r) -> long double { return r.B(30) * 0.05L + 5.2L; }},
    {"Желаемые обороты холостого хода", [](const RecordView& r) -> long double { return r.B(31) * 10; }},
}};

// The oxygen-sensor columns 21 and 22, which type 4 does not log.
constexpr ColumnList<2> kOxygenSensorColumns = {{
    {"Напряжение на датчике кислорода",
     [](const RecordView& r) -> long double { return r.B(32) * 1.25L / 256; }},
    {"Флаг состояния ДК", [](const RecordView& r) -> long double { return r.B(33); }},
}};

// The 16-bit columns; Shift is 2 in type 4, where they follow column 20 directly.
template <int Shift>
constexpr ColumnList<6> wordColumns() {
  return {{
      {"Длительность импульса впрыска",
       [](const RecordView& r) -> long double { return r.W(35 - Shift, 34 - Shift) / 125.0L; }},
      {"Массовый расход воздуха",
       [](const RecordView& r) -> long double { return r.W(37 - Shift, 36 - Shift) / 10.0L; }},
      {"Цикловой расход топлива",
       [](const RecordView& r) -> long double { return r.W(39 - Shift, 38 - Shift) / 6.0L; }},
      {"Часовой расход топлива",
       [](const RecordView& r) -> long double { return r.W(41 - Shift, 40 - Shift) / 50.0L; }},
      {"Путевой расход топлива",
       [](const RecordView& r) -> long double { return r.W(43 - Shift, 42 - Shift) / 128.0L; }},
      {"Контрольная сумма ПЗУ",
       [](const RecordView& r) -> long double { return r.W(45 - Shift, 44 - Shift); }},
  }};
}

constexpr ColumnList<2> kType1LastColumns = {{
    {"температура воздуха на впуске", [](const RecordView& r) -> long double { return r.B(46) - 40; }},
    {"Количество ошибок", [](const RecordView& r) -> long double { return r.B(47); }},
}};

constexpr auto kType1 = join(kFirstColumns, kOxygenSensorColumns, wordColumns<0>(), kType1LastColumns);

// Type 4 names column 10 differently; its value is the same.
constexpr ColumnList<1> kType4Column10 = {{{"Коэффициент корекции СО", kFirstColumns[9].value}}};

constexpr auto kType4 =
    join(slice<0, 9>(kFirstColumns), kType4Column10, slice<10, 20>(kFirstColumns), wordColumns<2>());

}  // namespace

ParameterTable parameterTableType1() { return kType1; }

// Type 1 without its last two columns.
ParameterTable parameterTableType3() {
  return ParameterTable(kType1).first(kType1.size() - kType1LastColumns.size());
}

ParameterTable parameterTableType4() { return kType4; }

}  // namespace kq
