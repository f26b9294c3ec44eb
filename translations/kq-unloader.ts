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
    <name>kq::ChecksDialog</name>
    <message>
        <source>Проверки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Название</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Условие (как у фильтра)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не короче</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавить проверку</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Перегрев</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[Температура охлаждающей жидкости] &gt; 105</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Дайте проверке название</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Напишите условие</source>
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
    <name>kq::EventsView</name>
    <message>
        <source>Найти</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>например: [Температура охлаждающей жидкости] &gt; 105 — Enter ищет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Событие</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Только события не короче стольких секунд (от первой записи до последней)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не короче</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Двойной щелчок открывает поездку на графике, точки 1 и 2 — в начале и в конце события</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поиск…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Начало</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Конец</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Длительность</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Событий: %1</source>
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
    <name>kq::LibraryText</name>
    <message>
        <source>%1 новых записей из %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>поездка %1, %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::LibraryWindow</name>
    <message>
        <source>Открыть библиотеку…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Автомобиль</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>С</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>По</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавить…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Переименовать…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавлена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Дата выгрузки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Новых</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Уже были</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить выгрузку…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VIN, пробег, что чинили — Enter сохраняет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> с</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>События</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Заметка:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Автомобили</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выгрузки автомобиля</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Новая поездка — после паузы дольше</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Попробовать ещё раз?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не видно, где хранить библиотеку: у пользователя нет домашней папки. Выберите файл библиотеки кнопкой «Открыть библиотеку…»</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека (*.sqlite *.sqlite3 *.db)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека не выбрана</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека %1 не открыта</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека %1 — только для чтения, изменения недоступны</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>из БК</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записей: %1, из них без даты и времени: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; с %1 по %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>История загружается…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездок: %1; их записи загружаются…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездок: %1, записей с датой и временем: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>История не загружена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Название нового автомобиля:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип контроллера автомобиля «%1» (байт 9 его записей):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Новое название автомобиля «%1»:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить автомобиль «%1» со всеми его выгрузками и записями (%2)?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Автомобиль «%1» удалён</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Удалить выгрузку %1 (%2), добавленную %3? Записи, которых нет в других выгрузках автомобиля, удалятся вместе с ней.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выгрузка удалена, с ней записей: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Автомобиль, к которому добавить эти данные (тип контроллера %1), или название нового:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>На сервере…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отчёт…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Библиотека на сервере PostgreSQL, postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР[:ПОРТ]/БАЗА (пароль — в ~/.pgpass или PGPASSWORD):</source>
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
    <message>
        <source>Библиотека</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавить в библиотеку…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка из БК ещё идёт: добавьте данные в библиотеку, когда она закончится</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Нет данных для библиотеки: загрузите их из БК или прочитайте из файла</source>
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
    <name>kq::ReportDialog</name>
    <message>
        <source>С последнего отчёта</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>За даты</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Проверки…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Открыть шаблон…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить шаблон…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить PDF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В отчёте не больше %1 параметров</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Период</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Шаблон</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметры (таблица поездок, сравнение, тренды, графики):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Графиков поездок с событиями, не больше:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Шаблон не подходит: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездок: %1, событий: %2, страниц: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Шаблон отчёта (*.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Шаблон сохранён: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF сохранён: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выбранные поездки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отчёт</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выберите поездки в окне библиотеки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Автомобиль «%1», тип контроллера %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Проверок нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Проверки: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Последний отчёт составлен %1, он заканчивался %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отчётов по этому автомобилю ещё не было — отчёт обо всей истории</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездок выбрано в окне библиотеки: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отчёт не нарисован: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Шаблон не открыт: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>шаблон отчёта, тип %1.json</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Шаблон не сохранён: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF не сохранён: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF сохранён: %1. Библиотека только для чтения — отчёт в ней не отмечен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF сохранён: %1, но отчёт не отмечен в библиотеке: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF сохранён: %1. Отчёт отмечен в библиотеке: следующий «С последнего отчёта» начнётся после него</source>
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
    <name>kq::TrendView</name>
    <message>
        <source>минимум</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>максимум</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>среднее</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Начало поездки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параметр:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>за поездку:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Поездка %1: %2 — %3, %4 %5</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kq::TripsView</name>
    <message>
        <source>Открыть на графике</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмеченные параметры: минимум, максимум и среднее за каждую поездку</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Одна поездка открывается на графике, две — четыре сравниваются, выровненные по началу; двойной щелчок открывает одну</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Статистика параметров:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>№</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Начало</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Конец</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Длительность</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1
мин</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1
макс</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1
сред</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: минимум за поездку</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: максимум за поездку</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: среднее за поездку</source>
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
