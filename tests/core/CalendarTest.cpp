// Dates to Julian day numbers and back under both calendar rules, and which
// dates exist.
#include <gtest/gtest.h>

#include "core/CalendarDays.h"

namespace {

constexpr CalendarRule J = CalendarRule::JulianThenGregorian, G = CalendarRule::Gregorian;

// The day numbers of the two calendars counted independently: whole cycles
// of 400 Gregorian or 4 Julian years from 1 March of year 0.
long long FloorDiv(long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
long long DayOfMarchYear(int m, int d) { return (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; }
long long GregorianNumber(CalendarDate t) {
  const long long y = t.year - (t.month <= 2), era = FloorDiv(y, 400), yoe = y - era * 400;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + DayOfMarchYear(t.month, t.day) + 1721120;
}
long long JulianNumber(CalendarDate t) {
  const long long y = t.year - (t.month <= 2), era = FloorDiv(y, 4), yoe = y - era * 4;
  return era * 1461 + yoe * 365 + DayOfMarchYear(t.month, t.day) + 1721118;
}

}  // namespace

TEST(Calendar, KnownDays) {
  const struct {
    CalendarDate date;
    CalendarRule rule;
    long long number;
  } cases[] = {
      {{2000, 1, 1}, G, 2451545},   {{2000, 1, 1}, J, 2451545},   {{1970, 1, 1}, G, 2440588},
      {{1582, 10, 4}, J, 2299160},  {{1582, 10, 15}, J, 2299161}, {{1582, 10, 4}, G, 2299150},
      {{-4712, 1, 1}, J, 0},        {{-4713, 11, 24}, G, 0},      {{-4712, 1, 1}, G, 38},
      {{-500, 3, 1}, J, 1538493},   {{1, 1, 1}, J, 1721424},      {{999999, 12, 31}, G, 366963559},
      {{-999999, 1, 1}, J, -363528576},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JulianDayNumber(c.date, c.rule), c.number) << c.date.year << "-" << c.date.month << "-" << c.date.day;
    EXPECT_EQ(DateOfJulianDayNumber(c.number, c.rule), c.date) << c.number;
  }
  EXPECT_EQ(WeekdayOfJulianDayNumber(2451545), 6);   // 2000-01-01, a Saturday
  EXPECT_EQ(WeekdayOfJulianDayNumber(-1), 0);        // the Sunday before day 0, a Monday
  EXPECT_EQ(WeekdayOfJulianDayNumber(2440588), 4);   // 1970-01-01, a Thursday
}

// Every day of eight spans (the ends of the count, negative numbers, the
// switch, the present) against the two calendars counted independently:
// JulianThenGregorian writes Julian dates before day 2299161.
TEST(Calendar, EveryDayAgainstTheCyclesOfBothCalendars) {
  for (long long start : {-363'600'000LL, -2'000'000LL, -150'000LL, 1'500'000LL, 2'220'000LL, 2'400'000LL,
                          366'800'000LL}) {
    for (long long n = start; n < start + 150'000; ++n) {
      for (CalendarRule rule : {J, G}) {
        const CalendarDate t = DateOfJulianDayNumber(n, rule);
        const bool gregorian = rule == G || n >= 2299161;
        const long long expected = gregorian ? GregorianNumber(t) : JulianNumber(t);
        if (expected != n || JulianDayNumber(t, rule) != n || !DateExists(t, rule)) {
          ADD_FAILURE() << n << (rule == J ? " J " : " G ") << t.year << "-" << t.month << "-" << t.day;
          return;
        }
      }
    }
  }
}

TEST(Calendar, DatesExistInTheCalendarInForce) {
  struct Case {
    CalendarDate date;
    CalendarRule rule;
    bool exists;
  } cases[] = {
      {{2024, 2, 29}, J, true},   {{2023, 2, 29}, J, false}, {{2024, 2, 31}, J, false}, {{2023, 2, 30}, J, false},
      {{1700, 2, 29}, J, false},  {{2100, 2, 29}, J, false}, {{2000, 2, 29}, J, true},  {{1500, 2, 29}, J, true},
      {{1500, 2, 29}, G, false},  {{1582, 10, 4}, J, true},  {{1582, 10, 5}, J, false}, {{1582, 10, 14}, J, false},
      {{1582, 10, 15}, J, true},  {{1582, 10, 10}, G, true}, {{-4, 2, 29}, J, true},    {{-1, 2, 29}, J, false},
      {{0, 2, 29}, J, true},      {{2024, 4, 31}, J, false}, {{2024, 12, 31}, J, true}, {{2024, 13, 1}, J, false},
      {{2024, 1, 0}, J, false},   {{2024, 1, 32}, G, false}, {{2024, 0, 1}, G, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DateExists(c.date, c.rule), c.exists)
        << c.date.year << "-" << c.date.month << "-" << c.date.day << (c.rule == J ? " Julian then Gregorian" : " Gregorian");
  // ombrel.dat's line 4: 0 the mixed rule, any other value the Gregorian.
  EXPECT_EQ(CalendarRuleOfMode(0), J);
  EXPECT_EQ(CalendarRuleOfMode(1), G);
  EXPECT_EQ(CalendarRuleOfMode(7), G);
}
