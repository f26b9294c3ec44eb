#include "library/record_moment.h"

#include <gtest/gtest.h>

namespace kq {
namespace {

TEST(RecordMomentTest, YearIsTheLatestOnOrBeforeTheReferenceDay) {
  struct Case {
    const char* date;
    const char* time;
    const char* reference;
    const char* expected;  // empty: undated
  };
  const Case cases[] = {
      {"28.12", "23:59:59", "2027-01-05", "2026-12-28 23:59:59"},
      {"05.01", "08:00:00", "2027-01-05", "2027-01-05 08:00:00"},
      {"06.01", "00:00:00", "2027-01-05", "2026-01-06 00:00:00"},
      {"29.02", "12:00:00", "2027-03-01", "2024-02-29 12:00:00"},
      {"29.02", "12:00:00", "2028-02-29", "2028-02-29 12:00:00"},
      {"29.02", "12:00:00", "2028-02-28", "2024-02-29 12:00:00"},
      {"31.12", "00:00:00", "2026-12-31", "2026-12-31 00:00:00"},
      {"31.04", "10:00:00", "2027-06-01", ""},
      {"00.03", "10:00:00", "2027-06-01", ""},
      {"15.13", "10:00:00", "2027-06-01", ""},
      {"1A.03", "10:00:00", "2027-06-01", ""},
      {"15.03", "24:00:00", "2027-06-01", ""},
      {"15.03", "12:60:00", "2027-06-01", ""},
      {"15.03", "12:00:5F", "2027-06-01", ""},
      {"FF.FF", "FF:FF:FF", "2027-06-01", ""},
  };
  for (const Case& c : cases) {
    const std::optional<Moment> moment = recordMoment(c.date, c.time, *parseCalendarDate(c.reference));
    EXPECT_EQ(moment ? momentText(*moment) : "", c.expected)
        << c.date << " " << c.time << " / " << c.reference;
  }
}

TEST(RecordMomentTest, CalendarDatesAreRealOnes) {
  EXPECT_EQ(calendarDateText(*parseCalendarDate("2024-02-29")), "2024-02-29");
  for (const char* text :
       {"2027-02-29", "2027-2-01", "2027-13-01", "1969-12-31", "2027-01-00", "20270101", ""})
    EXPECT_FALSE(parseCalendarDate(text)) << text;
  const CalendarDate back = dateOfMoment(*recordMoment("01.03", "00:00:00", {2000, 3, 1}) - 1);
  EXPECT_EQ(calendarDateText(back), "2000-02-29");
}

}  // namespace
}  // namespace kq
