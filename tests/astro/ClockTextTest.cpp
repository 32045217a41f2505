#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "astro/ClockText.h"
#include "astro/astro.h"

namespace {

DateClock Jst(int mode) { return DayCountClock(CalendarRuleOfMode(mode)); }

double Hms(double h, double m, double s) { return h + m / 60.0 + s / 3600.0; }

TEST(ClockText, SecondsRoundAndCarry) {
  const struct {
    double hours;
    const char* toSecond;
    const char* toMinute;
  } cases[] = {
      {6.5, "06:30:00", "06:30"},
      {Hms(6, 59, 59.4), "06:59:59", "06:59"},
      {Hms(13, 5, 59.6), "13:06:00", "13:05"},
      {Hms(6, 59, 59.6), "07:00:00", "06:59"},
      // Ties go as printf rounds them (to even), so only the carry differs
      // from the texts the almanac has always printed.
      {Hms(8, 0, 0.5), "08:00:00", "08:00"},
      {Hms(8, 0, 1.5), "08:00:02", "08:00"},
      // A time of day that rounds up to midnight ends the day.
      {Hms(23, 59, 59.7), "24:00:00", "23:59"},
      {0.0, "00:00:00", "00:00"},
      // Just below 13 h: the rounded seconds carry through the minutes into the hour.
      {std::nextafter(13.0, 0.0), "13:00:00", "12:59"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AstroTimeText(c.hours), c.toSecond) << c.hours;
    EXPECT_EQ(HoursMinutesText(c.hours), c.toMinute) << c.hours;
  }
}

TEST(ClockText, MomentsCarryIntoTheNextDay) {
  const struct {
    int mode;
    double y, m, d, hour;
    const char* date;
    const char* time;
  } cases[] = {
      {1, 2026, 12, 10, Hms(13, 5, 59.6), "2026/12/10", "13:06:00"},
      {1, 2024, 2, 28, Hms(23, 59, 59.7), "2024/02/29", "00:00:00"},
      {1, 2023, 2, 28, Hms(23, 59, 59.7), "2023/03/01", "00:00:00"},
      {1, 2033, 12, 31, Hms(23, 59, 59.8), "2034/01/01", "00:00:00"},
      {1, 2033, 12, 31, Hms(23, 59, 59.2), "2033/12/31", "23:59:59"},
      // The calendar reform: the day after 4 October 1582 is 15 October.
      {0, 1582, 10, 4, Hms(23, 59, 59.9), "1582/10/15", "00:00:00"},
  };
  for (const auto& c : cases) {
    const ClockMoment t = MomentToSecond(DateToJulianDay(c.y, c.m, c.d, c.hour, Jst(c.mode)), Jst(c.mode));
    char date[32];
    std::snprintf(date, sizeof date, "%04.0f/%02.0f/%02.0f", t.year, t.month, t.day);
    EXPECT_EQ(date, std::string(c.date)) << c.date;
    EXPECT_EQ(ClockText(t.time), c.time) << c.date;
  }
}

// The lists of the main window: the same carry, into the day at midnight.
TEST(ClockText, EventListItems) {
  const DateClock lists = Jst(1);
  EXPECT_EQ(EventListItem("冬至", DateToJulianDay(2033, 12, 21, Hms(22, 29, 59.8), lists), lists),
            " 冬至 12/21 22:30:00");
  EXPECT_EQ(EventListItem("満月", DateToJulianDay(2033, 1, 31, Hms(23, 59, 59.9), lists), lists),
            " 満月  2/ 1 00:00:00");
}

// A UT moment on a clock some hours ahead of UT, as a date-time with its
// offset: rounded to the second and carried into the next day, the date in
// the calendar asked for, years below 1000 and before 0 with four digits.
// A moment on a zone's clock with the zone's offset; before 1888 the design's
// zone at 135 E reads the meridian's mean time, nine hours.
TEST(ClockText, ZonedTimes) {
  const struct {
    int y, m, d;
    double utHour;
    const char* zone;
    double longitude;
    int mode;
    const char* text;
  } cases[] = {
      {2025, 9, 7, Hms(18, 11, 41.6), "Asia/Tokyo", 139.7, 0, "2025-09-08T03:11:42+09:00"},
      {2025, 9, 7, Hms(14, 59, 59.6), "Asia/Tokyo", 139.7, 0, "2025-09-08T00:00:00+09:00"},
      {2024, 2, 28, Hms(23, 59, 59.6), "design", 0.0, 0, "2024-02-29T00:00:00+00:00"},
      {2025, 1, 1, Hms(3, 0, 0), "America/New_York", -74.0, 0, "2024-12-31T22:00:00-05:00"},
      {2025, 7, 1, Hms(3, 0, 0), "America/New_York", -74.0, 0, "2025-06-30T23:00:00-04:00"},
      {2025, 1, 1, Hms(3, 0, 0), "Asia/Kolkata", 77.2, 0, "2025-01-01T08:30:00+05:30"},
      {1582, 10, 4, Hms(20, 0, 0), "design", 135.0, 0, "1582-10-15T05:00:00+09:00"},
      {1582, 10, 14, Hms(20, 0, 0), "design", 135.0, 1, "1582-10-15T05:00:00+09:00"},
      {-600, 4, 10, Hms(23, 0, 0), "design", 135.0, 0, "-0600-04-11T08:00:00+09:00"},
      {800, 1, 1, Hms(0, 0, 0), "design", 135.0, 0, "0800-01-01T09:00:00+09:00"},
      // Local mean time (+09:18:48 at 139.7 E): the clock's own time, the
      // offset rounded to the minute.
      {1887, 6, 1, Hms(0, 0, 0), "Asia/Tokyo", 139.7, 0, "1887-06-01T09:18:48+09:19"},
      // Summer time after the last change the zone's file lists.
      {2045, 8, 12, Hms(17, 0, 0), "America/Chicago", -96.8, 0, "2045-08-12T12:00:00-05:00"},
  };
  for (const auto& c : cases) {
    std::string error;
    const std::optional<TimeZone> zone = TimeZone::Named(c.zone, error);
    ASSERT_TRUE(zone) << error;
    const CalendarRule rule = CalendarRuleOfMode(c.mode);
    const DateClock ut{rule, Clock{TimeZone::Design(), 0.0}};
    EXPECT_EQ(ZonedTimeText(DateToJulianDay(c.y, c.m, c.d, c.utHour, ut), DateClock{rule, Clock{*zone, c.longitude}}),
              c.text)
        << c.text;
  }
}

}  // namespace
