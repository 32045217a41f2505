// Calendar dates and clock times to Julian days and back, sidereal time, the
// century counts of the sun, moon and planet theories, and sexagesimal forms.
#pragma once

#include "astro/Clock.h"

// The meridian of Japan Standard Time, the clock of the almanac's own lists.
inline constexpr double kJstLongitude = 135.0;

// A date and hour on a clock, under a calendar rule, to a Julian day (UT).
// Month and day carry arithmetically (day 0 is the last day of the previous
// month, month 13 January of the next year).
JulianDay DateToJulianDay(double year, double month, double day, double hour, const DateClock& on);

// The inverse: the date and hour the clock shows at jd.
LocalTime JulianDayToDate(JulianDay jd, const DateClock& on);

// The clock the days of the calendar are counted on, whatever the zone shown:
// Japan Standard Time (mean time of its meridian before 1888, the same
// clock). A day's signs, its lunisolar date and the calendar table's rows are
// read at its noon on this clock under a calendar rule.
DateClock DayCountClock(CalendarRule calendar);
// Noon of a day on DayCountClock.
JulianDay DayNoon(double year, double month, double day, CalendarRule calendar);

// Local mean sidereal time in hours, 0 <= value < 24 (NaN for a non-finite jd).
double LocalSiderealTime(JulianDay jd, double longitude);

// Julian centuries from jd 2415021 (1900-01-01 12:00 UT).
double CenturiesFrom1900(JulianDay jd);
// Julian centuries from jd 2378496 (1799-12-31 12:00 UT).
double CenturiesFrom1800(JulianDay jd);

// x (non-negative) into whole units, sixtieths and seconds.
void SplitSexagesimal(double x, double& whole, double& sixtieths, double& seconds);

// Packed h.mmss (12.3045 = 12h 30m 45s, may be negative) to a decimal value.
double SexagesimalToDecimal(double packed);
// Packed hours h.mmss to degrees.
double SexagesimalHoursToDegrees(double packedHours);
// As SexagesimalToDecimal, repairing a minute or second field that binary
// representation pushed to 100.
double SexagesimalToDecimalCarry(double packed);
