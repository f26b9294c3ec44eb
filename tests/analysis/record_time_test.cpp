#include "analysis/record_time.h"

#include <gtest/gtest.h>

namespace kq {
namespace {

TEST(RecordTimeTest, SecondsIntoTheYear) {
  struct Case {
    const char* date;
    const char* time;
    std::optional<long> seconds;
  };
  const Case cases[] = {
      {"01.01", "00:00:00", 0},
      {"15.03", "12:34:56", (73L * 24 + 12) * 3600 + 34 * 60 + 56},
      {"31.12", "23:59:59", 365L * 86400 - 1},
      {"28.02", "00:00:00", 58L * 86400},
      {"29.02", "00:00:00", 59L * 86400},  // the same day as 01.03
      {"30.02", "00:00:00", std::nullopt},
      {"31.04", "00:00:00", std::nullopt},
      {"00.01", "00:00:00", std::nullopt},
      {"01.13", "00:00:00", std::nullopt},
      {"01.01", "24:00:00", std::nullopt},
      {"01.01", "12:60:00", std::nullopt},
      {"3A.03", "12:34:56", std::nullopt},
      {"15.03", "12:34", std::nullopt},
      {"", "", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(secondsIntoYear(c.date, c.time), c.seconds) << c.date << " " << c.time;
}

TEST(RecordTimeTest, TimeBetweenAcrossMidnightMonthEndsAndTheNewYear) {
  struct Case {
    const char* from[2];
    const char* to[2];
    std::optional<long> seconds;
  };
  const Case cases[] = {
      {{"15.03", "12:00:00"}, {"15.03", "12:04:10"}, 250},
      {{"15.03", "23:59:58"}, {"16.03", "00:00:03"}, 5},
      {{"31.01", "22:00:00"}, {"01.02", "02:00:00"}, 4 * 3600},
      {{"28.02", "12:00:00"}, {"01.03", "12:00:00"}, 86400},
      {{"30.04", "08:00:00"}, {"02.05", "09:00:00"}, 2 * 86400 + 3600},
      {{"31.12", "23:00:00"}, {"01.01", "01:00:00"}, 2 * 3600},
      {{"15.03", "12:00:00"}, {"15.03", "12:00:00"}, 0},
      {{"15.03", "12:00:00"}, {"FF.03", "12:00:00"}, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(secondsBetween(c.from[0], c.from[1], c.to[0], c.to[1]), c.seconds)
        << c.from[0] << " " << c.to[0];
}

TEST(RecordTimeTest, DurationText) {
  EXPECT_EQ(durationText(0), "00:00:00");
  EXPECT_EQ(durationText(250), "00:04:10");
  EXPECT_EQ(durationText(86400 + 7200 + 5), "1 д 02:00:05");
  EXPECT_EQ(durationText(-3 * 86400 - 59), "-3 д 00:00:59");
  EXPECT_EQ(durationText(-61), "-00:01:01");
}

}  // namespace
}  // namespace kq
