#pragma once

#include "decode/column_list.h"
#include "decode/parameter_table.h"

// The 35 columns of controller type 5, whose values 1 to 25 and 29 to 35 begin
// type 6 too. The controller logs 35 values but names only 33: the two raw
// bytes at offsets 17 and 18 get the titles "Байт 17" and "Байт 18", so that
// every later title stands above the value it names.
namespace kq::columns {

inline constexpr ColumnList<35> kType5Columns = {{
    {"Количество ошибок", [](const RecordView& r) -> long double { return r.B(12); }},
    {"Код неисправности 1", [](const RecordView& r) -> long double { return r.B(13); }},
    {"Статус неисправности 1", [](const RecordView& r) -> long double { return r.B(14); }},
    {"Код неисправности 2", [](const RecordView& r) -> long double { return r.B(15); }},
    {"Статус неисправности 2", [](const RecordView& r) -> long double { return r.B(16); }},
    {"Байт 17", [](const RecordView& r) -> long double { return r.B(17); }},
    {"Байт 18", [](const RecordView& r) -> long double { return r.B(18); }},
    {"Напряжение на датчике массового расхода воздуха",
     [](const RecordView& r) -> long double { return r.B(19) * 0.01953L; }},
    {"Нагрузка на двигатель", [](const RecordView& r) -> long double { return r.B(20) * 0.05L; }},
    {"Напряжение бортсети", [](const RecordView& r) -> long double { return r.B(21) * 0.0943L; }},
    {"Температура охлаждающей жидкости",
     [](const RecordView& r) -> long double { return r.B(22) * 0.75L - 48; }},
    {"Угол опережения зажигания", [](const RecordView& r) -> long double { return 108 - r.B(23) * 0.75L; }},
    {"Величина отскока угла опережения зажигания при детонации",
     [](const RecordView& r) -> long double { return r.S(24) * 0.75L; }},
    {"Положение дроссельной заслонки",
     [](const RecordView& r) -> long double { return r.B(25) * 100 / 255.0L; }},
    {"Скорость автомобиля", [](const RecordView& r) -> long double { return r.B(26); }},
    {"Обороты двигателя", [](const RecordView& r) -> long double { return r.B(27) * 40; }},
    {"Длительность импульса впрыска",
     [](const RecordView& r) -> long double { return r.W(28, 29) * 0.024L; }},
    {"Текущее положение регулятора холостого хода",
     [](const RecordView& r) -> long double { return r.B(30); }},
    {"Обороты двигателя на холостом ходу", [](const RecordView& r) -> long double { return r.B(31) * 10; }},
    {"Интегральная составляющая коррекции расчитаного расхода воздуха",
     [](const RecordView& r) -> long double { return r.B(32); }},
    {"Переменная адаптации расхода воздуха на холостом ходу",
     [](const RecordView& r) -> long double { return r.B(33) - 128; }},
    {"Желаемые обороты холостого хода", [](const RecordView& r) -> long double { return r.B(34) * 10; }},
    {"Желаемый воздух на холостом ходу", [](const RecordView& r) -> long double { return r.B(35) * 0.25L; }},
    {"Текущий расход воздуха на холостом ходу",
     [](const RecordView& r) -> long double { return r.B(36) * 0.25L; }},
    {"Напряжение на датчике кислорода до нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(37) * 0.00443L; }},
    {"Выходной параметр лямбда регулирования", [](const RecordView& r) -> long double { return r.B(38); }},
    {"Аддитивная составляющая фактора адаптации состава смееси",
     [](const RecordView& r) -> long double { return r.B(39); }},
    {"Мультипликативная составляющая фактора адаптации состава смеси",
     [](const RecordView& r) -> long double { return r.B(40); }},
    {"Степень продувки адсорбера", [](const RecordView& r) -> long double { return r.B(41) * 100 / 256.0L; }},
    {"Байт состояния 1", [](const RecordView& r) -> long double { return r.B(42); }},
    {"Байт состояния 2", [](const RecordView& r) -> long double { return r.B(43); }},
    {"Байт состояния 3", [](const RecordView& r) -> long double { return r.B(44); }},
    {"Напряжение на датчике кислорода после нейтрализатора",
     [](const RecordView& r) -> long double { return r.B(45) * 0.00443L; }},
    {"Отношение сигналов датчиков кислорода (Эффективность нейтрализатора)",
     [](const RecordView& r) -> long double { return r.B(46) * 0.0039L; }},
    {"Байт готовности", [](const RecordView& r) -> long double { return r.B(47); }},
}};

}  // namespace kq::columns
