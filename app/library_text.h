#pragma once

#include <QString>
#include <cstdint>

#include "library/car_history.h"
#include "library/library_store.h"

namespace kq {

// Texts the library window and the main window show of a car's history.

// "7 680": thousands grouped by a space.
QString groupedNumber(std::int64_t number);
// "12 новых записей из 7 680": what an import added of the dump's records.
QString importedText(const ImportOutcome& outcome);
// "2025-03-01 07:40:12", the car's clock.
QString momentString(Moment moment);
// The end of a trip or an event: its time alone on the day it started, else
// the whole moment.
QString endString(Moment start, Moment end);
// "00:25:10", "1 д 02:00:00".
QString durationString(Moment seconds);
// "поездка 12, 2025-03-01 07:40:12": a trip where it has no file name.
QString tripLabel(const Trip& trip);

}  // namespace kq
