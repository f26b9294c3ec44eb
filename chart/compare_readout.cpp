#include "chart/compare_readout.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "analysis/record_time.h"
#include "decode/number_text.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// The context translators find these texts in.
class CompareReadout {
  Q_DECLARE_TR_FUNCTIONS(kq::CompareReadout)
};

QString timeText(double seconds) { return toQString(durationText(std::lround(seconds))); }

QString driveName(int drive) { return toQString(DriveComparison::driveName(drive)); }

QString number(long double value, char separator) {
  std::string text;
  appendNumber(text, value, separator);
  return toQString(text);
}
}  // namespace

QString compareReadoutText(const DriveComparison& drives, std::span<const ComparedSeries> series,
                           const std::function<RecordSelection(int drive)>& kept,
                           std::optional<double> marker1, std::optional<double> marker2) {
  auto where = [](const std::optional<double>& x) { return x ? timeText(*x) : QStringLiteral("—"); };
  QString text = CompareReadout::tr("<b>Точка 1:</b> %1 &nbsp;&nbsp; <b>Точка 2:</b> %2")
                     .arg(where(marker1), where(marker2));
  if (!marker1 || !marker2) return text;
  const double from = std::min(*marker1, *marker2), to = std::max(*marker1, *marker2);
  text += CompareReadout::tr(" &nbsp;&nbsp; <b>Время между точками:</b> %1").arg(timeText(to - from));

  std::vector<std::vector<char>> between;
  QString heading = QStringLiteral("<td></td>");
  for (int d = 0; d < drives.driveCount(); ++d) {
    between.push_back(recordsBetween(drives, d, from, to, kept(d)));
    const long count = long(std::count(between[d].begin(), between[d].end(), char(1)));
    heading +=
        CompareReadout::tr("<td><b>%1</b> (n = %2)<br>мин … макс, среднее</td>").arg(driveName(d)).arg(count);
    if (d > 0) heading += CompareReadout::tr("<td><b>%1 − A</b><br>среднее</td>").arg(driveName(d));
  }
  QString rows;
  for (const ComparedSeries& s : series) {
    rows += QStringLiteral("<tr><td>%1</td>").arg(s.title.toHtmlEscaped());
    std::optional<long double> referenceMean;
    for (int d = 0; d < drives.driveCount(); ++d) {
      const DumpModel& model = drives.model(d);
      const char separator = model.decimalSeparator();
      std::optional<ColumnStatistics> statistics;
      if (s.columns[d])
        statistics = columnStatistics(model, *s.columns[d], 0, model.recordCount() - 1, between[d]);
      if (d == 0 && statistics) referenceMean = statistics->mean;
      QString cell =
          !s.columns[d] ? CompareReadout::tr("нет в записи %1").arg(driveName(d))
          : statistics  ? QStringLiteral("%1 … %2, <b>%3</b>")
                             .arg(number(statistics->minimum, separator),
                                  number(statistics->maximum, separator), number(statistics->mean, separator))
                       : QStringLiteral("—");
      rows += QStringLiteral("<td>%1</td>").arg(cell);
      if (d > 0)
        rows += QStringLiteral("<td>%1</td>")
                    .arg(statistics && referenceMean ? number(statistics->mean - *referenceMean, separator)
                                                     : QStringLiteral("—"));
    }
    rows += QStringLiteral("</tr>");
  }
  return text +
         QStringLiteral("<table cellspacing='0' cellpadding='2'><tr>%1</tr>%2</table>").arg(heading, rows);
}

QString comparePositionText(const DriveComparison& drives, double x) {
  QString text = QStringLiteral("<b>%1</b>").arg(timeText(x));
  for (int d = 0; d < drives.driveCount(); ++d) {
    const DumpModel& model = drives.model(d);
    int shown = -1;
    for (int p = 0; p < model.recordCount(); ++p)
      if (drives.alignedTime(d, p) <= x &&
          (shown < 0 || drives.alignedTime(d, p) >= drives.alignedTime(d, shown)))
        shown = p;
    if (shown < 0) continue;
    text += CompareReadout::tr(" &nbsp; <b>%1:</b> %2 %3 № %4")
                .arg(driveName(d), toQString(std::string(model.date(shown))),
                     toQString(std::string(model.time(shown))),
                     toQString(model.cell(shown + 1, kRecordNumberColumn)));
  }
  return text;
}

}  // namespace kq
