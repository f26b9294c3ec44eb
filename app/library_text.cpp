#include "app/library_text.h"

#include <QCoreApplication>

#include "analysis/record_time.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// The context translators find these texts in.
class LibraryText {
  Q_DECLARE_TR_FUNCTIONS(kq::LibraryText)
};
}  // namespace

QString groupedNumber(std::int64_t number) {
  QString digits = QString::number(number);
  for (qsizetype at = digits.size() - 3; at > (number < 0 ? 1 : 0); at -= 3)
    digits.insert(at, QLatin1Char(' '));
  return digits;
}

QString importedText(const ImportOutcome& outcome) {
  return LibraryText::tr("%1 новых записей из %2")
      .arg(groupedNumber(outcome.newRecords), groupedNumber(outcome.records));
}

QString momentString(Moment moment) { return toQString(momentText(moment)); }

QString endString(Moment start, Moment end) {
  const std::string text = momentText(end);
  return toQString(dateOfMoment(start) == dateOfMoment(end) ? text.substr(text.find(' ') + 1) : text);
}

QString durationString(Moment seconds) { return toQString(durationText(long(seconds))); }

QString tripLabel(const Trip& trip) {
  return LibraryText::tr("поездка %1, %2").arg(trip.number).arg(momentString(trip.start));
}

}  // namespace kq
