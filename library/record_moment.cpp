#include "library/record_moment.h"

#include <cstdio>
#include <utility>

#include "base/os_calls.h"

namespace kq {
namespace {
constexpr std::int64_t kSecondsPerDay = 86400;

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CalendarDate civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {int(yearOfEra + era * 400 + (month <= 2)), month, day};
}

// Decimal digits at text[at], count of them, or -1.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}
}  // namespace

std::optional<CalendarDate> parseCalendarDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
    return std::nullopt;
  return CalendarDate{year, month, day};
}

std::string calendarDateText(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

CalendarDate localDate(std::time_t time) {
  const std::tm local = localTime(time);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<Moment> recordMoment(std::string_view date, std::string_view time,
                                   const CalendarDate& reference) {
  if (date.size() != 5 || date[2] != '.' || time.size() != 8 || time[2] != ':' || time[5] != ':')
    return std::nullopt;
  const int day = digitsAt(date, 0, 2), month = digitsAt(date, 3, 2);
  const int hour = digitsAt(time, 0, 2), minute = digitsAt(time, 3, 2), second = digitsAt(time, 6, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return std::nullopt;
  // The reference year, or the one before when the day lies after the
  // reference's; a 29 February goes back to the latest leap year (at most 8).
  int year = reference.year;
  if (std::pair(month, day) > std::pair(reference.month, reference.day)) --year;
  for (int tries = 0; day > daysInMonth(year, month); ++tries) {
    if (month != 2 || day != 29 || tries == 8) return std::nullopt;
    --year;
  }
  return daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

CalendarDate dateOfMoment(Moment moment) {
  const std::int64_t days =
      moment >= 0 ? moment / kSecondsPerDay : (moment - kSecondsPerDay + 1) / kSecondsPerDay;
  return civilFromDays(days);
}

std::string momentText(Moment moment) {
  const CalendarDate date = dateOfMoment(moment);
  const std::int64_t seconds = moment - daysFromCivil(date.year, date.month, date.day) * kSecondsPerDay;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day,
                int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
  return text;
}

Moment dayStart(const CalendarDate& date) {
  return daysFromCivil(date.year, date.month, date.day) * kSecondsPerDay;
}

}  // namespace kq
