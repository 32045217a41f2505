// Calendar dates and clock times to Julian days and back, sidereal time, the
// century counts of the sun, moon and planet theories, and sexagesimal forms.
#pragma once

#include "astro/Globals.h"

// The meridian of Japan Standard Time, the clock of the almanac's own lists.
inline constexpr double kJstLongitude = 135.0;

// Date and hour read on the clock of `longitude` (degrees east) to a Julian
// day. From 1887-03-01 the clock is the whole-hour zone nearest the longitude,
// before that local mean time. Month and day carry arithmetically (day 0 is the
// last day of the previous month, month 13 January of the next year).
// `calendarMode` as CalendarMode; the form without it reads CalendarMode.
JulianDay DateToJulianDay(double year, double month, double day, double hour, double longitude,
                          int calendarMode);
JulianDay DateToJulianDay(double year, double month, double day, double hour, double longitude);

// The inverse: the date and hour on the clock of `longitude`. Zone time from
// jd 2410641 on, local mean time before. The form without `calendarMode`
// reads CalendarMode.
void JulianDayToDate(JulianDay jd, double& year, double& month, double& day, double& hour,
                     double longitude, int calendarMode);
void JulianDayToDate(JulianDay jd, double& year, double& month, double& day, double& hour,
                     double longitude);

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
