#include "chart/report_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/os_calls.h"

namespace kq {

QString roundedText(const std::optional<long double>& value, char separator) {
  if (!value || !std::isfinite(*value)) return QStringLiteral("—");
  char text[64];
  // Through double: the C runtime of Windows prints no long double. A value
  // of the grid's 15 digits rounds alike either way.
  std::snprintf(text, sizeof text, "%.2f", double(*value));
  QString shown = QString::fromLatin1(text);
  while (shown.endsWith(QLatin1Char('0'))) shown.chop(1);
  if (shown.endsWith(QLatin1Char('.'))) shown.chop(1);
  if (shown == QLatin1String("-0")) shown = QStringLiteral("0");
  return shown.replace(QLatin1Char('.'), QLatin1Char(separator));
}

QString differenceText(const std::optional<long double>& now, const std::optional<long double>& before,
                       char separator) {
  if (!now || !before) return QStringLiteral("—");
  const QString shown = roundedText(*now - *before, separator);
  return shown.startsWith(QLatin1Char('-')) || shown == QLatin1String("0") ? shown : QLatin1Char('+') + shown;
}

QString groupedText(long long number) {
  QString digits = QString::number(number < 0 ? -number : number);
  for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, QChar(0x00A0));
  return number < 0 ? QLatin1Char('-') + digits : digits;
}

QString durationText(Moment seconds) {
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString longDurationText(Moment seconds) {
  if (seconds < 3600)
    return QStringLiteral("%1 мин %2 с").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1 ч %2 мин").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
}

QString spanText(Moment from, Moment to) {
  return QStringLiteral("%1 — %2").arg(qt(momentText(from)), qt(momentText(to)));
}

QString systemTimeText(std::int64_t systemTime) {
  const std::tm local = localTime(std::time_t(systemTime));
  char text[32];
  return QString::fromLatin1(text, int(std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local)));
}

}  // namespace kq
