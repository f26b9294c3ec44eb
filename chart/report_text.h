#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "library/record_moment.h"

namespace kq {

// How a report writes its values and times.
inline QString qt(const std::string& text) { return QString::fromStdString(text); }
// Rounded to two decimals, trailing zeros dropped, with the separator; "—" for none.
QString roundedText(const std::optional<long double>& value, char separator);
// now − before as roundedText with its sign ("+1,25", "-0,5", "0"); "—" unless both are there.
QString differenceText(const std::optional<long double>& now, const std::optional<long double>& before,
                       char separator);
// Digits in groups of three: "74 000".
QString groupedText(long long number);
// "H:MM:SS".
QString durationText(Moment seconds);
// "3 ч 05 мин", "12 мин 40 с".
QString longDurationText(Moment seconds);
// "FROM — TO" of the car's clock.
QString spanText(Moment from, Moment to);
// A moment of the system clock in local time, "YYYY-MM-DD HH:MM".
QString systemTimeText(std::int64_t systemTime);

}  // namespace kq
