#include "analysis/record_time.h"

#include <cstdio>
#include <cstdlib>

namespace kq {
namespace {
constexpr long kSecondsPerDay = 24L * 3600;
constexpr long kSecondsPerYear = 365 * kSecondsPerDay;
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Two decimal digits at text[at], or -1.
int twoDigits(std::string_view text, std::size_t at) {
  if (at + 2 > text.size()) return -1;
  char high = text[at], low = text[at + 1];
  if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
  return (high - '0') * 10 + (low - '0');
}
}  // namespace

std::optional<long> secondsIntoYear(std::string_view date, std::string_view time) {
  if (date.size() != 5 || date[2] != '.' || time.size() != 8 || time[2] != ':' || time[5] != ':')
    return std::nullopt;
  int day = twoDigits(date, 0), month = twoDigits(date, 3);
  int hour = twoDigits(time, 0), minute = twoDigits(time, 3), second = twoDigits(time, 6);
  if (month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return std::nullopt;
  const bool leapDay = month == 2 && day == 29;
  if (day > kDaysInMonth[month - 1] && !leapDay) return std::nullopt;
  long days = day - 1;
  for (int m = 0; m < month - 1; ++m) days += kDaysInMonth[m];
  return days * kSecondsPerDay + hour * 3600L + minute * 60L + second;
}

std::optional<long> secondsBetween(std::string_view earlierDate, std::string_view earlierTime,
                                   std::string_view laterDate, std::string_view laterTime) {
  auto earlier = secondsIntoYear(earlierDate, earlierTime);
  auto later = secondsIntoYear(laterDate, laterTime);
  if (!earlier || !later) return std::nullopt;
  long seconds = *later - *earlier;
  return seconds < 0 ? seconds + kSecondsPerYear : seconds;
}

std::string durationText(long seconds) {
  std::string text = seconds < 0 ? "-" : "";
  long rest = std::labs(seconds);
  if (rest >= kSecondsPerDay) text += std::to_string(rest / kSecondsPerDay) + " д ";
  rest %= kSecondsPerDay;
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02ld:%02ld:%02ld", rest / 3600, rest / 60 % 60, rest % 60);
  return text + clock;
}

}  // namespace kq
