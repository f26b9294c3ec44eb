#include "chart/report_document.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>

#include "analysis/column_statistics.h"
#include "base/os_calls.h"
#include "chart/report_text.h"
#include "chart/series_plot.h"

namespace kq {
namespace {

// The page in points, drawn at 72 dots an inch: a unit is a point.
constexpr double kPageWidth = 595.28;
constexpr double kPageHeight = 841.89;
constexpr double kMargin = 42;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kFooterTop = kPageHeight - kMargin + 12;
constexpr double kChartHeight = 370;
constexpr double kTrendHeight = 96;
constexpr int kGroupsPerTable = 3;  // parameters side by side in the trips table

QFont reportFont(double points, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(points);  // at 72 dots an inch a point is a unit
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

const QColor kRule(170, 170, 170);
const QColor kHeaderFill(232, 236, 242);
const QColor kEventColors[] = {QColor(220, 40, 40, 55), QColor(240, 150, 0, 60), QColor(120, 60, 200, 50),
                               QColor(0, 150, 140, 50)};

// The flow of the report down its pages. Without a painter it only counts
// the pages; with one it draws the pages up to `lastPage`.
class Flow {
 public:
  Flow(QCPPainter* painter, std::function<void()> newPage, int lastPage, int pageCount, QString footer)
      : painter_(painter),
        newPage_(std::move(newPage)),
        lastPage_(lastPage),
        pageCount_(pageCount),
        footer_(std::move(footer)) {}

  bool drawing() const { return painter_ && page_ <= lastPage_; }
  QCPPainter& painter() { return *painter_; }
  double y() const { return y_; }
  void advance(double height) { y_ += height; }
  double room() const { return kPageHeight - kMargin - y_; }
  int page() const { return page_; }
  // A new page unless the height fits on this one.
  bool ensure(double height) {
    if (height <= room()) return false;
    breakPage();
    return true;
  }
  void breakPage() {
    drawFooter();
    ++page_;
    y_ = kMargin;
    if (drawing()) newPage_();
  }
  void finish() { drawFooter(); }

  void text(const QRectF& box, const QString& text, const QFont& font,
            int flags = Qt::AlignLeft | Qt::AlignVCenter, const QColor& color = Qt::black) {
    if (!drawing()) return;
    painter_->setFont(font);
    painter_->setPen(color);
    painter_->drawText(box, flags, text);
  }
  void fill(const QRectF& box, const QColor& color) {
    if (drawing()) painter_->fillRect(box, color);
  }
  void line(QPointF from, QPointF to, const QColor& color = kRule, double width = 0.5) {
    if (!drawing()) return;
    painter_->setPen(QPen(color, width));
    painter_->drawLine(from, to);
  }

 private:
  void drawFooter() {
    if (!drawing()) return;
    const QFont font = reportFont(7.5);
    const QRectF box(kMargin, kFooterTop, kContentWidth, 14);
    line(box.topLeft(), box.topRight());
    text(box, footer_, font, Qt::AlignLeft | Qt::AlignBottom, Qt::darkGray);
    QString number = QStringLiteral("Страница %1").arg(page_);
    if (pageCount_ > 0) number += QStringLiteral(" из %1").arg(pageCount_);
    text(box, number, font, Qt::AlignRight | Qt::AlignBottom, Qt::darkGray);
  }

  QCPPainter* painter_;
  std::function<void()> newPage_;
  int lastPage_;
  int pageCount_;
  QString footer_;
  int page_ = 1;
  double y_ = kMargin;
};

// A table that continues on the next page under its header.
struct Column {
  QString title;
  double width;  // a share of the content's width
  int align = Qt::AlignRight;
};
struct Group {
  QString title;
  int first;
  int count;
};
struct Table {
  QString caption;
  std::vector<Column> columns;
  std::vector<Group> groups;  // titles over several columns
  std::vector<std::vector<QString>> rows;
};

constexpr double kCellPad = 2.5;
const QFont& cellFont() {
  static const QFont font = reportFont(7);
  return font;
}
const QFont& headFont() {
  static const QFont font = reportFont(7, true);
  return font;
}

std::vector<double> columnLefts(const Table& table) {
  double total = 0;
  for (const Column& column : table.columns) total += column.width;
  std::vector<double> lefts{kMargin};
  for (const Column& column : table.columns)
    lefts.push_back(lefts.back() + column.width / total * kContentWidth);
  return lefts;
}

// Text is measured as it is drawn: at 72 dots an inch.
const QPaintDevice& measuringDevice() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    return image;
  }();
  return device;
}

// Words wrap at blanks; a word wider than the cell (a long parameter's name)
// takes a smaller font, and breaks where it must only below 5 points, rather
// than run into the next cell.
struct Fitted {
  QFont font;
  int wrap;
};
Fitted fitted(const QString& text, QFont font, double width) {
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  for (;;) {
    const QFontMetricsF metrics(font, &measuringDevice());
    const bool fits = std::all_of(words.begin(), words.end(), [&](const QString& word) {
      return metrics.horizontalAdvance(word) <= width - 2 * kCellPad;
    });
    if (fits) return {font, Qt::TextWordWrap};
    if (font.pointSizeF() <= 5) return {font, Qt::TextWrapAnywhere};
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
}

double wrappedHeight(const QString& text, const QFont& font, double width) {
  const Fitted fit = fitted(text, font, width);
  const QRectF bounds = QFontMetricsF(fit.font, &measuringDevice())
                            .boundingRect(QRectF(0, 0, width - 2 * kCellPad, 1e6), fit.wrap, text);
  return bounds.height() + 2 * kCellPad;
}

void captionOf(Flow& flow, const QString& caption, bool continued) {
  const QFont font = reportFont(11, true);
  QString text = caption;
  if (continued) text += QStringLiteral(" (продолжение)");
  flow.text(QRectF(kMargin, flow.y(), kContentWidth, 18), text, font, Qt::AlignLeft | Qt::AlignBottom);
  flow.advance(22);
}

double rowHeight(const std::vector<double>& lefts, const std::vector<QString>& row, const QFont& font) {
  double height = 0;
  for (std::size_t i = 0; i < row.size(); ++i)
    height = std::max(height, wrappedHeight(row[i], font, lefts[i + 1] - lefts[i]));
  return height;
}

void drawRow(Flow& flow, const std::vector<double>& lefts, const std::vector<QString>& row,
             const Table& table, const QFont& font, double height, bool header) {
  const double top = flow.y();
  if (header) flow.fill(QRectF(kMargin, top, kContentWidth, height), kHeaderFill);
  for (std::size_t i = 0; i < row.size(); ++i) {
    const QRectF cell(lefts[i] + kCellPad, top + kCellPad, lefts[i + 1] - lefts[i] - 2 * kCellPad,
                      height - 2 * kCellPad);
    const int align = header ? Qt::AlignHCenter : table.columns[i].align;
    const Fitted fit = fitted(row[i], font, lefts[i + 1] - lefts[i]);
    flow.text(cell, row[i], fit.font, align | Qt::AlignVCenter | fit.wrap);
  }
  flow.line(QPointF(kMargin, top + height), QPointF(kMargin + kContentWidth, top + height));
  flow.advance(height);
}

void drawHeader(Flow& flow, const Table& table, const std::vector<double>& lefts, bool continued) {
  captionOf(flow, table.caption, continued);
  if (!table.groups.empty()) {
    double height = 0;
    for (const Group& group : table.groups)
      height = std::max(height, wrappedHeight(group.title, headFont(),
                                              lefts[std::size_t(group.first + group.count)] -
                                                  lefts[std::size_t(group.first)]));
    flow.fill(QRectF(kMargin, flow.y(), kContentWidth, height), kHeaderFill);
    for (const Group& group : table.groups) {
      const double left = lefts[std::size_t(group.first)];
      const double right = lefts[std::size_t(group.first + group.count)];
      const Fitted fit = fitted(group.title, headFont(), right - left);
      flow.text(
          QRectF(left + kCellPad, flow.y() + kCellPad, right - left - 2 * kCellPad, height - 2 * kCellPad),
          group.title, fit.font, Qt::AlignCenter | fit.wrap);
      flow.line(QPointF(left + 3, flow.y() + height), QPointF(right - 3, flow.y() + height));
    }
    flow.advance(height);
  }
  std::vector<QString> titles;
  for (const Column& column : table.columns) titles.push_back(column.title);
  drawRow(flow, lefts, titles, table, headFont(), rowHeight(lefts, titles, headFont()), true);
}

double headerHeight(const Table& table, const std::vector<double>& lefts) {
  double height = 22;
  double groups = 0;
  for (const Group& group : table.groups)
    groups = std::max(groups, wrappedHeight(group.title, headFont(),
                                            lefts[std::size_t(group.first + group.count)] -
                                                lefts[std::size_t(group.first)]));
  std::vector<QString> titles;
  for (const Column& column : table.columns) titles.push_back(column.title);
  return height + groups + rowHeight(lefts, titles, headFont());
}

void drawTable(Flow& flow, const Table& table) {
  const std::vector<double> lefts = columnLefts(table);
  const double header = headerHeight(table, lefts);
  const double first = table.rows.empty() ? 0 : rowHeight(lefts, table.rows.front(), cellFont());
  flow.ensure(header + first);  // never a header alone at a page's foot
  drawHeader(flow, table, lefts, false);
  for (const std::vector<QString>& row : table.rows) {
    const double height = rowHeight(lefts, row, cellFont());
    if (flow.ensure(height)) drawHeader(flow, table, lefts, true);
    drawRow(flow, lefts, row, table, cellFont(), height, false);
  }
  flow.advance(14);
}

void paragraph(Flow& flow, const QString& text, const QFont& font, const QColor& color = Qt::black) {
  const double height = wrappedHeight(text, font, kContentWidth) - 2 * kCellPad + 3;
  flow.ensure(height);
  flow.text(QRectF(kMargin, flow.y(), kContentWidth, height), text, font, Qt::AlignLeft | Qt::TextWordWrap,
            color);
  flow.advance(height);
}

// The report's parts, in the order they stand.
class Layout {
 public:
  Layout(const CarReport& report, const CarHistory& history)
      : report_(report), history_(history), separator_(history.model().decimalSeparator()) {}

  void draw(Flow& flow) const {
    header(flow);
    events(flow);
    comparison(flow);
    trips(flow);
    trends(flow);
    charts(flow);
    flow.finish();
  }

 private:
  QString number(const std::optional<long double>& value) const { return roundedText(value, separator_); }

  void header(Flow& flow) const {
    const QFont title = reportFont(18, true), line = reportFont(9.5);
    flow.text(QRectF(kMargin, flow.y(), kContentWidth, 26),
              QStringLiteral("Отчёт: «%1»").arg(qt(report_.car)), title);
    flow.advance(32);
    const QString span = report_.from ? spanText(*report_.from, *report_.to) : QStringLiteral("—");
    QString lines = QStringLiteral("Тип контроллера: %1\nПериод: %2\n").arg(report_.controllerType).arg(span);
    lines += QStringLiteral("Поездок: %1, записей: %2, в пути: %3\n")
                 .arg(groupedText((long long)report_.trips.size()), groupedText(report_.records))
                 .arg(longDurationText(report_.drivingSeconds));
    if (report_.beforeFrom)
      lines += QStringLiteral("Для сравнения период до него: %1, поездок: %2\n")
                   .arg(spanText(*report_.beforeFrom, *report_.beforeTo))
                   .arg(report_.tripsBefore);
    lines += QStringLiteral("Отчёт составлен: %1").arg(systemTimeText(report_.madeAt));
    paragraph(flow, lines, line);
    flow.advance(10);
    if (report_.trips.empty())
      paragraph(flow, QStringLiteral("За этот период поездок нет."), reportFont(11, true));
  }

  void events(Flow& flow) const {
    if (report_.checks.empty()) {
      paragraph(flow, QStringLiteral("События: в шаблоне нет проверок."), reportFont(9.5));
      flow.advance(10);
      return;
    }
    Table summary{QStringLiteral("События"),
                  {{QStringLiteral("Проверка"), 16, Qt::AlignLeft},
                   {QStringLiteral("Условие"), 34, Qt::AlignLeft},
                   {QStringLiteral("Не короче"), 9},
                   {QStringLiteral("Событий"), 8},
                   {QStringLiteral("В поездках"), 33, Qt::AlignLeft}},
                  {},
                  {}};
    std::vector<std::vector<QString>> details;
    for (const CheckEvents& check : report_.checks) {
      QStringList trips;
      for (int trip : check.trips()) trips << QString::number(trip);
      summary.rows.push_back({qt(check.check.name), qt(check.check.expression),
                              QStringLiteral("%1 с").arg(check.check.minSeconds),
                              QString::number(check.events.size()),
                              trips.isEmpty() ? QStringLiteral("—") : trips.join(QStringLiteral(", "))});
      for (const HistoryEvent& event : check.events)
        details.push_back({qt(check.check.name), QString::number(event.trip), qt(momentText(event.start)),
                           qt(momentText(event.end)), durationText(event.end - event.start),
                           QString::number(event.records())});
    }
    drawTable(flow, summary);
    if (details.empty()) return;
    Table list{QStringLiteral("События по порядку"),
               {{QStringLiteral("Проверка"), 24, Qt::AlignLeft},
                {QStringLiteral("Поездка"), 10},
                {QStringLiteral("Начало"), 22},
                {QStringLiteral("Конец"), 22},
                {QStringLiteral("Длительность"), 12},
                {QStringLiteral("Записей"), 10}},
               {},
               std::move(details)};
    drawTable(flow, list);
  }

  void comparison(Flow& flow) const {
    if (report_.trends.empty()) return;
    Table table{QStringLiteral("Сравнение с периодом до"),
                {{QStringLiteral("Параметр"), 34, Qt::AlignLeft},
                 {QStringLiteral("Среднее"), 11},
                 {QStringLiteral("Среднее до"), 11},
                 {QStringLiteral("Разница"), 11},
                 {QStringLiteral("Максимум"), 11},
                 {QStringLiteral("Максимум до"), 11},
                 {QStringLiteral("Разница"), 11}},
                {},
                {}};
    for (const ParameterTrend& trend : report_.trends) {
      const auto& now = trend.span;
      const auto& before = trend.before;
      const auto mean = [](const auto& s) { return s ? std::optional<long double>(s->mean) : std::nullopt; };
      const auto maximum = [](const auto& s) {
        return s ? std::optional<long double>(s->maximum) : std::nullopt;
      };
      table.rows.push_back({qt(trend.title), number(mean(now)), number(mean(before)),
                            differenceText(mean(now), mean(before), separator_), number(maximum(now)),
                            number(maximum(before)),
                            differenceText(maximum(now), maximum(before), separator_)});
    }
    drawTable(flow, table);
  }

  void trips(Flow& flow) const {
    if (report_.trips.empty()) return;
    const std::size_t parameters = report_.parameters.size();
    for (std::size_t firstGroup = 0; firstGroup == 0 || firstGroup < parameters;
         firstGroup += kGroupsPerTable) {
      const std::size_t groups = std::min<std::size_t>(kGroupsPerTable, parameters - firstGroup);
      Table table{
          firstGroup == 0
              ? QStringLiteral("Поездки")
              : QStringLiteral("Поездки: параметры %1–%2").arg(firstGroup + 1).arg(firstGroup + groups),
          {{QStringLiteral("№"), 5},
           {QStringLiteral("Начало"), 19},
           {QStringLiteral("Конец"), 10},
           {QStringLiteral("Длит."), 9},
           {QStringLiteral("Событий"), 8}},
          {},
          {}};
      const double share = groups ? (100.0 - 51) / double(groups * 3) : 0;
      for (std::size_t g = 0; g < groups; ++g) {
        table.groups.push_back({qt(report_.parameters[firstGroup + g]), int(table.columns.size()), 3});
        for (const char* title : {"мин", "макс", "сред"})
          table.columns.push_back({QString::fromUtf8(title), share});
      }
      for (const ReportTrip& row : report_.trips) {
        std::vector<QString> cells{QString::number(row.trip.number), qt(momentText(row.trip.start)),
                                   qt(momentText(row.trip.end)).mid(11),
                                   durationText(row.trip.end - row.trip.start),
                                   row.events ? QString::number(row.events) : QString()};
        for (std::size_t g = firstGroup; g < firstGroup + groups; ++g) {
          const auto& s = row.statistics[g];
          for (const auto value : {s ? std::optional<long double>(s->minimum) : std::nullopt,
                                   s ? std::optional<long double>(s->maximum) : std::nullopt,
                                   s ? std::optional<long double>(s->mean) : std::nullopt})
            cells.push_back(number(value));
        }
        table.rows.push_back(std::move(cells));
      }
      drawTable(flow, table);
      if (parameters == 0) break;
    }
  }

  void trends(Flow& flow) const {
    if (report_.trips.size() < 2 || report_.trends.empty()) return;
    bool first = true;
    for (const ParameterTrend& trend : report_.trends) {
      const double height = kTrendHeight + (first ? 22 : 0);
      flow.ensure(height);
      if (first) captionOf(flow, QStringLiteral("Тренды: среднее за поездку"), false);
      first = false;
      drawTrend(flow, trend);
    }
    flow.advance(10);
  }

  void drawTrend(Flow& flow, const ParameterTrend& trend) const {
    const QRectF box(kMargin, flow.y(), kContentWidth, kTrendHeight - 8);
    flow.advance(kTrendHeight);
    if (!flow.drawing()) return;
    const QFont font = reportFont(7);
    flow.text(QRectF(box.left(), box.top(), box.width(), 12), qt(trend.title), reportFont(8, true));
    const QRectF plot(box.left() + 42, box.top() + 16, box.width() - 50, box.height() - 30);
    QPainter& painter = flow.painter();
    painter.setPen(QPen(kRule, 0.5));
    painter.drawRect(plot);
    std::optional<long double> low, high;
    for (const TrendPoint& point : trend.means) {
      if (!point.value) continue;
      low = low ? std::min(*low, *point.value) : *point.value;
      high = high ? std::max(*high, *point.value) : *point.value;
    }
    if (!low) {
      flow.text(plot, QStringLiteral("нет значений"), font, Qt::AlignCenter, Qt::darkGray);
      return;
    }
    const double span = double(*high - *low) > 0 ? double(*high - *low) : 1.0;
    const std::size_t count = trend.means.size();
    const auto at = [&](std::size_t i, long double value) {
      const double x =
          count > 1 ? plot.left() + plot.width() * double(i) / double(count - 1) : plot.center().x();
      return QPointF(
          x, plot.bottom() - plot.height() * (double(value - *low) / span) * 0.9 - plot.height() * 0.05);
    };
    flow.text(QRectF(box.left(), plot.top() - 5, 40, 10), number(*high), font,
              Qt::AlignRight | Qt::AlignVCenter);
    flow.text(QRectF(box.left(), plot.bottom() - 5, 40, 10), number(*low), font,
              Qt::AlignRight | Qt::AlignVCenter);
    flow.text(QRectF(plot.left(), plot.bottom() + 2, plot.width() / 2, 10),
              qt(momentText(trend.means.front().start)).left(10), font, Qt::AlignLeft | Qt::AlignTop);
    flow.text(QRectF(plot.center().x(), plot.bottom() + 2, plot.width() / 2, 10),
              qt(momentText(trend.means.back().start)).left(10), font, Qt::AlignRight | Qt::AlignTop);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(SeriesPlot::seriesColor(0), 1.0));
    std::optional<QPointF> previous;
    for (std::size_t i = 0; i < count; ++i) {
      const TrendPoint& point = trend.means[i];
      if (!point.value) {
        previous.reset();
        continue;
      }
      const QPointF here = at(i, *point.value);
      if (previous) painter.drawLine(*previous, here);
      painter.setBrush(SeriesPlot::seriesColor(0));
      painter.drawEllipse(here, 1.4, 1.4);
      previous = here;
    }
    painter.setBrush(Qt::NoBrush);
  }

  void charts(Flow& flow) const {
    if (report_.chartedTrips.empty()) return;
    bool first = true;
    for (int number : report_.chartedTrips) {
      flow.ensure(kChartHeight + (first ? 22 : 0));
      if (first) captionOf(flow, QStringLiteral("Поездки с событиями"), false);
      first = false;
      drawChart(flow, *history_.trip(number));
    }
    if (report_.chartsLeftOut > 0)
      paragraph(
          flow,
          QStringLiteral("Ещё поездок с событиями, не показанных графиком: %1 (их число в шаблоне — %2).")
              .arg(report_.chartsLeftOut)
              .arg(report_.chartedTrips.size()),
          reportFont(8.5), Qt::darkGray);
  }

  void drawChart(Flow& flow, const Trip& trip) const {
    const double top = flow.y();
    flow.advance(kChartHeight);
    if (!flow.drawing()) return;
    QStringList names;
    for (const CheckEvents& check : report_.checks) {
      const auto count =
          std::count_if(check.events.begin(), check.events.end(),
                        [&trip](const HistoryEvent& event) { return event.trip == trip.number; });
      if (count) names << QStringLiteral("%1 ×%2").arg(qt(check.check.name)).arg(count);
    }
    flow.text(QRectF(kMargin, top, kContentWidth, 14),
              QStringLiteral("Поездка %1: %2 — %3; %4")
                  .arg(trip.number)
                  .arg(qt(momentText(trip.start)), qt(momentText(trip.end)).mid(11),
                       names.join(QStringLiteral(", "))),
              reportFont(8.5, true));
    const ChartDrive drive = tripDrive(history_, trip, std::to_string(trip.number));
    SeriesPlot plot;
    plot.setModel(&drive.model);
    plot.setTimeAxis(true);
    int series = 0;
    std::vector<double> largest;  // of each series, by magnitude
    for (const std::string& title : report_.parameters) {
      const std::optional<int> column = drive.model.columnOf(title);
      if (!column) continue;
      std::vector<double> values = plotValues(drive.model, *column);
      double magnitude = 0;
      for (double value : values)
        if (std::isfinite(value)) magnitude = std::max(magnitude, std::abs(value));
      largest.push_back(magnitude);
      plot.setSeriesPoints(series, values);
      plot.setSeriesTitle(series, qt(title));
      ++series;
    }
    // A series ten times larger than all the others (revolutions beside
    // temperatures and voltages) goes on the right axis, so that the others
    // do not lie flat along the bottom.
    if (largest.size() > 1) {
      std::vector<double> sorted = largest;
      std::sort(sorted.begin(), sorted.end(), std::greater<>());
      if (sorted[1] > 0 && sorted[0] >= 10 * sorted[1])
        plot.setOnRightAxis(int(std::max_element(largest.begin(), largest.end()) - largest.begin()), true);
    }
    for (int unused = series; unused < kSeriesCount; ++unused) plot.graph(unused)->removeFromLegend();
    int colour = 0;
    for (const CheckEvents& check : report_.checks) {
      const QColor shade = kEventColors[colour++ % std::size(kEventColors)];
      for (const HistoryEvent& event : check.events) {
        if (event.trip != trip.number) continue;
        auto* rect = new QCPItemRect(&plot);
        rect->setLayer(QStringLiteral("grid"));
        rect->setClipToAxisRect(true);
        rect->topLeft->setTypeX(QCPItemPosition::ptPlotCoords);
        rect->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->bottomRight->setTypeX(QCPItemPosition::ptPlotCoords);
        rect->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->topLeft->setCoords(event.first - trip.first - 0.5, 0);
        rect->bottomRight->setCoords(event.last - trip.first + 0.5, 1);
        rect->setPen(Qt::NoPen);
        rect->setBrush(shade);
      }
    }
    plot.fitToData();
    plot.plotLayout()->setMargins(QMargins(0, 0, 2, 3));  // the legend's frame inside the drawing
    // Drawn larger and scaled down to the page: the window's lines and
    // fonts, meant for a screen, at a size that suits paper.
    constexpr double kShrink = 1.5;
    const QSize size(int(kContentWidth * kShrink), int((kChartHeight - 22) * kShrink));
    plot.resize(size);
    plot.layer(QStringLiteral("main"))->setVisible(false);
    plot.replot();
    plot.layer(QStringLiteral("main"))->setVisible(true);
    QCPPainter& painter = flow.painter();
    painter.save();
    painter.translate(kMargin, top + 16);
    painter.scale(1 / kShrink, 1 / kShrink);
    plot.toPainter(&painter, size.width(), size.height());
    painter.restore();
  }

  const CarReport& report_;
  const CarHistory& history_;
  char separator_;
};

QString footerOf(const CarReport& report) {
  return QStringLiteral("«%1» · отчёт от %2").arg(qt(report.car), systemTimeText(report.madeAt).left(10));
}

}  // namespace

ReportDocument::ReportDocument(const CarReport& report, const CarHistory& history)
    : report_(report), history_(history) {}

int ReportDocument::pageCount() const {
  Flow flow(nullptr, {}, 0, 0, {});
  Layout(report_, history_).draw(flow);
  return flow.page();
}

QByteArray ReportDocument::pdf() const {
  const int pages = pageCount();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setCreator(QStringLiteral("kq-unloader"));
  writer.setTitle(QStringLiteral("Отчёт: «%1»").arg(qt(report_.car)));
  writer.setResolution(72);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  QCPPainter painter;
  if (!painter.begin(&writer)) throw std::runtime_error("отчёт не удалось нарисовать в PDF");
  painter.setMode(QCPPainter::pmVectorized);
  painter.setMode(QCPPainter::pmNoCaching);
  Flow flow(
      &painter, [&writer] { writer.newPage(); }, pages, pages, footerOf(report_));
  Layout(report_, history_).draw(flow);
  painter.end();
  return bytes;
}

QImage ReportDocument::firstPage(int width) const {
  const double scale = double(width) / kPageWidth;
  QImage image(width, int(std::lround(kPageHeight * scale)), QImage::Format_RGB32);
  image.fill(Qt::white);
  // Fonts in points at 72 dots an inch, as on the PDF's page.
  image.setDotsPerMeterX(2835);
  image.setDotsPerMeterY(2835);
  QCPPainter painter;
  if (!painter.begin(&image)) return image;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(scale, scale);
  Flow flow(&painter, {}, 1, pageCount(), footerOf(report_));
  Layout(report_, history_).draw(flow);
  painter.end();
  return image;
}

}  // namespace kq
