<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="ru">
<context>
    <name>kq::Application</name>
    <message>
        <source>Выгрузчик данных из БК серии KQ</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::CellTableView</name>
    <message>
        <source>количество</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>среднее</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>минимум</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>максимум</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8 равных шагов по данным</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Таблица одной записи или её разность с записью A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>точки X:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Статистика:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>точки Y:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не меньше записей:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В записи %1 нет: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Точки: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>записей: %1 в %2, %3 в A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>записей: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записей в ячейке: %1%2 — отмечены на графике</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> в записи </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::ChannelDialog</name>
    <message>
        <source>например: [Обороты двигателя] - [Обороты двигателя@-1]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметры — в квадратных скобках, как в списках; [Название@-1] — значение в предыдущей записи. Дробную часть отделяет точка. Действия: + - * / ^, сравнения, &amp;&amp;, ||, !, abs, min, max, sqrt, if(условие, да, нет). Деление на ноль даёт пропуск.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Имя:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Формула:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::ChannelMenu</name>
    <message>
        <source>Новый канал…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменить канал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить канал</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Новый канал</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::ChartWindow</name>
    <message>
        <source>График</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Зависимость</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Таблица</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Точка %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::CompareReadout</name>
    <message>
        <source>&lt;b&gt;Точка 1:&lt;/b&gt; %1 &amp;nbsp;&amp;nbsp; &lt;b&gt;Точка 2:&lt;/b&gt; %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> &amp;nbsp;&amp;nbsp; &lt;b&gt;Время между точками:&lt;/b&gt; %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;td&gt;&lt;b&gt;%1&lt;/b&gt; (n = %2)&lt;br&gt;мин … макс, среднее&lt;/td&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;td&gt;&lt;b&gt;%1 − A&lt;/b&gt;&lt;br&gt;среднее&lt;/td&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет в записи %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> &amp;nbsp; &lt;b&gt;%1:&lt;/b&gt; %2 %3 № %4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::DrivesBar</name>
    <message>
        <source>фильтр не применён: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выровнять по событию:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>например: [Положение дроссельной заслонки] &gt; 80 — Enter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выровнять</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавить запись для сравнения…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавить запись для сравнения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записи БК (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>запись из БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сдвиг 0 с (образец)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shift + перетаскивание линии сравниваемой записи на графике сдвигает её; Esc отменяет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сдвиг, с:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сдвиг записи %1 в секундах: введите число или перетащите линию записи на графике, удерживая Shift (Esc отменяет)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сброс</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Начало записи %1 — вместе с началом записи A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Убрать</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет в записи %1: %2 из %3 параметров записи A
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет в записи %1: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>запись %1: %2
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::FilterBar</name>
    <message>
        <source>Фильтр не применён: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Фильтр</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>например: [Обороты двигателя] &gt; 3000 &amp;&amp; [Расчетная нагрузка] &gt; 80 — Enter применяет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::ImageActions</name>
    <message>
        <source>Сохранить изображение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить изображение…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Копировать изображение</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::MainWindow</name>
    <message>
        <source>Выбор порта</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Старт BootLoader</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BootLoader запущен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Старт загрузки данных из БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка данных из БК запущена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранение данных для EXCEL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранение полученных данных в файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение данных из файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Вызов окна графика</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отклик от БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Текстовой файл (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Текстовый файл (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Данные, полученные из БК, не сохранены. Продолжить без сохранения?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл «%1» уже существует. Заменить его?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ни один блок не получен.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Получено блоков: %1 из %2; их можно сохранить в файл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Установка связи с БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Связь с БК установлена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Скачивание данных из БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Завершено скачивание данных из БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка остановлена: БК не прислал блок %1 за %2 с. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка остановлена: блок %1 не удалось получить без искажений, сколько бы раз его ни запрашивали. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Связь с БК потеряна</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::QtPrompts</name>
    <message>
        <source>Сохранить как</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::ReadoutText</name>
    <message>
        <source>Точка 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Точка 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Разность</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Минимум</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Максимум</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Среднее</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>n = %1 из %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Точка данных %1&lt;/b&gt; &amp;nbsp; %2 &amp;nbsp; № %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Точка 1:&lt;/b&gt; %1 &amp;nbsp;&amp;nbsp; &lt;b&gt;Точка 2:&lt;/b&gt; %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> &amp;nbsp;&amp;nbsp; &lt;b&gt;Расстояние, записей:&lt;/b&gt; %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> &amp;nbsp;&amp;nbsp; &lt;b&gt;Время между точками:&lt;/b&gt; %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> &amp;nbsp;&amp;nbsp; &lt;b&gt;Записей:&lt;/b&gt; %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::ScatterView</name>
    <message>
        <source>Запись %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметр X:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметр Y:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записи между точками</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записи %1–%2 (между точками)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Все записи</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; X или Y нет в записи %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись %1, </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;%1Точка данных %2&lt;/b&gt; &amp;nbsp; %3 %4 &amp;nbsp; X: %5 &amp;nbsp; Y: %6</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::SeriesPanel</name>
    <message>
        <source>График </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ось R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ось времени</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::SeriesPlot</name>
    <message>
        <source>Точка данных</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Дата и время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время от начала записи A</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::WorkspaceActions</name>
    <message>
        <source>Рабочие области (*.kqw);;Все файлы (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить рабочую область…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить рабочую область</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Открыть рабочую область…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Открыть рабочую область</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись «%1» не открыта (%2) — выберите замену</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Рабочая область</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::WorkspaceFile</name>
    <message>
        <source>Нет графика, который можно сохранить.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись A не сохранена в файл: сохраните её, чтобы рабочая область могла на неё сослаться.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Рабочая область «%1» не открыта: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::WorkspaceReading</name>
    <message>
        <source>файл повреждён: неверное значение «%1»</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл повреждён (%1, байт %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>это не рабочая область kq-unloader</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>рабочая область записана более новой версией программы (формат %1, эта версия читает формат %2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
