#include "chart/readout_text.h"

#include <QCoreApplication>

#include "analysis/record_time.h"
#include "chart/series_plot.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// The context translators find these texts in.
class ReadoutText {
  Q_DECLARE_TR_FUNCTIONS(kq::ReadoutText)
};

// Titles of the marker table's rows, in the order of rowTexts.
const char* const kTableRows[] = {
    QT_TRANSLATE_NOOP("kq::ReadoutText", "Точка 1"),  QT_TRANSLATE_NOOP("kq::ReadoutText", "Точка 2"),
    QT_TRANSLATE_NOOP("kq::ReadoutText", "Разность"), QT_TRANSLATE_NOOP("kq::ReadoutText", "Минимум"),
    QT_TRANSLATE_NOOP("kq::ReadoutText", "Максимум"), QT_TRANSLATE_NOOP("kq::ReadoutText", "Среднее")};
constexpr int kRowsWithOneMarker = 3;

// A coloured square as in the legend.
QString swatch(int series) {
  return QStringLiteral("<span style='color:%1'>&#9632;</span>").arg(SeriesPlot::seriesColor(series).name());
}

QString grouped(long count) {
  QString digits = QString::number(count);
  for (qsizetype at = digits.size() - 3; at > (count < 0 ? 1 : 0); at -= 3)
    digits.insert(at, QLatin1Char(' '));
  return digits;
}

QString orDash(const std::string& text) { return text.empty() ? QStringLiteral("—") : toQString(text); }

QString dateAndTime(const DumpModel& model, int position) {
  return toQString(model.cell(position + 1, kDateColumn)) + QLatin1Char(' ') +
         toQString(model.cell(position + 1, kTimeColumn));
}
}  // namespace

QString keptCountText(long kept, long total) {
  return ReadoutText::tr("n = %1 из %2").arg(grouped(kept), grouped(total));
}

QString positionReadoutText(const DumpModel& model, std::span<const SeriesSource> series,
                            std::span<const QString> titles, int x, RecordSelection kept) {
  if (x < 0 || x > model.rowCount() - 2) return {};
  QString text = ReadoutText::tr("<b>Точка данных %1</b> &nbsp; %2 &nbsp; № %3")
                     .arg(x)
                     .arg(dateAndTime(model, x), toQString(model.cell(x + 1, kRecordNumberColumn)));
  for (std::size_t i = 0; i < series.size(); ++i) {
    if (!series[i].visible) continue;
    const std::string value = seriesValueAt(model, series[i], x, kept);
    // Items wrap between, never inside.
    if (!value.empty())
      text += QStringLiteral(" &nbsp; <span style='white-space:nowrap'>%1 %2: %3</span>")
                  .arg(swatch(int(i)), titles[i].toHtmlEscaped(), toQString(value));
  }
  return text;
}

QString markerReadoutText(const DumpModel& model, const MarkerReadout& readout,
                          std::span<const QString> titles, std::optional<int> marker1,
                          std::optional<int> marker2) {
  auto where = [&model](const std::optional<int>& x) {
    return x ? QStringLiteral("%1 (%2)").arg(*x).arg(dateAndTime(model, *x)) : QStringLiteral("—");
  };
  QString head = ReadoutText::tr("<b>Точка 1:</b> %1 &nbsp;&nbsp; <b>Точка 2:</b> %2")
                     .arg(where(marker1), where(marker2));
  if (readout.distance) {
    head += ReadoutText::tr(" &nbsp;&nbsp; <b>Расстояние, записей:</b> %1").arg(*readout.distance);
    head += ReadoutText::tr(" &nbsp;&nbsp; <b>Время между точками:</b> %1")
                .arg(readout.seconds ? toQString(durationText(*readout.seconds)) : QStringLiteral("—"));
    head += ReadoutText::tr(" &nbsp;&nbsp; <b>Записей:</b> %1")
                .arg(keptCountText(readout.keptRecords, readout.records));
  }

  const int rows = readout.distance ? int(std::size(kTableRows)) : kRowsWithOneMarker;
  QString heading;
  QString cells[std::size(kTableRows)];
  for (const SeriesReadout& row : readout.rows) {
    heading += QStringLiteral("<td>%1 %2</td>").arg(swatch(row.series), titles[row.series].toHtmlEscaped());
    const std::string* rowTexts[] = {&row.atMarker1, &row.atMarker2, &row.difference,
                                     &row.minimum,   &row.maximum,   &row.mean};
    for (int r = 0; r < rows; ++r) cells[r] += QStringLiteral("<td>%1</td>").arg(orDash(*rowTexts[r]));
  }
  QString table = QStringLiteral("<tr><td></td>%1</tr>").arg(heading);
  for (int r = 0; r < rows; ++r)
    table += QStringLiteral("<tr><td><b>%1</b></td>%2</tr>").arg(ReadoutText::tr(kTableRows[r]), cells[r]);
  return QStringLiteral("%1<table cellspacing='0' cellpadding='2'>%2</table>").arg(head, table);
}

}  // namespace kq
