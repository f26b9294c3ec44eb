#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kq {

// A day of the calendar.
struct CalendarDate {
  int year = 1970;
  int month = 1;
  int day = 1;
  auto operator<=>(const CalendarDate&) const = default;
};

// "YYYY-MM-DD" for a real calendar date (years 1970 to 9999), else nothing.
std::optional<CalendarDate> parseCalendarDate(std::string_view text);
std::string calendarDateText(const CalendarDate& date);
// The local calendar date of a moment of the system clock.
CalendarDate localDate(std::time_t time);

// A moment of the car's clock: seconds from 1970-01-01 00:00:00 of that clock,
// which knows no time zone or summer time, so that differences are plain.
using Moment = std::int64_t;

// A record's moment: its day and month ("DD.MM") and time ("HH:MM:SS") in the
// latest year that puts the day on or before the reference date (the day of
// the download), so that a download of 5 January files records of 28.12 in the
// year before and a 29.02 in the last leap year. Nothing when the date or time
// is no real calendar date or clock time.
std::optional<Moment> recordMoment(std::string_view date, std::string_view time,
                                   const CalendarDate& reference);

// "YYYY-MM-DD HH:MM:SS".
std::string momentText(Moment moment);
// The calendar date of a moment.
CalendarDate dateOfMoment(Moment moment);
// The first moment of a day (its 00:00:00); the day's last is 86399 later.
Moment dayStart(const CalendarDate& date);

}  // namespace kq
