#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kq {

// Records carry a day and month ("DD.MM") and a time ("HH:MM:SS") but no
// year. Seconds from 1 January 00:00:00 to that moment, counted in a common
// year (29.02 is taken as 1 March); nothing when a field is no valid date or
// time.
std::optional<long> secondsIntoYear(std::string_view date, std::string_view time);

// The time from the earlier record of a log to a later one. The log runs
// forward, so a later record whose moment lies before the earlier one's was
// written after the turn of the year.
std::optional<long> secondsBetween(std::string_view earlierDate, std::string_view earlierTime,
                                   std::string_view laterDate, std::string_view laterTime);

// "HH:MM:SS", with "N д " before it from one day on and "-" for a negative
// time: "00:04:10", "1 д 02:00:00".
std::string durationText(long seconds);

}  // namespace kq
