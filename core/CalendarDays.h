// The one arithmetic of calendar days: a date under a calendar rule to a
// count of days and back. Every folder's dates (the moment's, the holidays',
// the calendar database's, the typed and the argument dates) go through it.
#pragma once

#include "core/Calendar.h"

// A day of a calendar: an astronomical year (0 is 1 BC), month 1..12 and day
// 1..31.
struct CalendarDate {
  long long year = 0;
  int month = 1;
  int day = 1;
  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// The count under every conversion: the days of a date on the Julian
// calendar from the Julian day kDayCountEpoch (month and day may carry: day 0
// is the last day of the month before, month 13 January of the next year;
// a fraction of a day stays a fraction), and the Gregorian calendar's shift
// from it in that year.
struct DayCount {
  double julianDays = 0.0;
  double gregorianShift = 0.0;
};
DayCount CountDays(double year, double month, double day);
inline constexpr double kDayCountEpoch = 1721086.5;

// Whether the day of Julian day `jd` is written in the Gregorian calendar:
// always under Gregorian, from 1582-10-15 12:00 (Julian day 2299161) on under
// JulianThenGregorian.
bool GregorianAt(CalendarRule rule, double jd);

// The Julian day number of a date (the Julian day of its noon), and the date
// of a Julian day number.
long long JulianDayNumber(const CalendarDate& date, CalendarRule rule);
CalendarDate DateOfJulianDayNumber(long long dayNumber, CalendarRule rule);

// The same inverse for any whole number of days held as a double (NaN and
// infinities give NaN fields): the year, month and day written under `rule`.
struct DayOfCount {
  double year, month, day;
};
DayOfCount DateOfDayNumber(double dayNumber, CalendarRule rule);

// True when the date is a day of the calendar `rule` writes (under
// JulianThenGregorian 1582-10-05 to 1582-10-14 do not exist).
bool DateExists(const CalendarDate& date, CalendarRule rule);

// 0 Sunday .. 6 Saturday.
int WeekdayOfJulianDayNumber(long long dayNumber);
