// Clock times as the almanac prints them, in one place: the lists, the sky
// readout, the data window, the year list and both CSV files.
//
// A time printed to the second is rounded to the nearest second and a rounded
// 60 carries into the minute, the hour and, for a moment with a date, the day:
// 13:05:59.6 prints as 13:06:00, never 13:05:60. A time printed to the minute
// drops its seconds.
#pragma once

#include <optional>
#include <string>

#include "astro/Clock.h"

// Whole hours, minutes and seconds of a clock time. The hour is not wrapped:
// a time of day that rounds up to midnight reads 24:00:00.
struct ClockTime {
  double hour = 0;
  double minute = 0;
  double second = 0;
};

// `hours` to the nearest second (ties as printf rounds them), carried.
ClockTime ClockToSecond(double hours);
// `hours` with the seconds dropped.
ClockTime ClockToMinute(double hours);

// "HH:MM:SS" ("%02.0f:%02.0f:%02.0f").
std::string ClockText(const ClockTime& t);
// ClockText of ClockToSecond.
std::string AstroTimeText(double hours);
// "HH:MM" ("%02.0f:%02.0f") of ClockToMinute.
std::string HoursMinutesText(double hours);

// A moment's date and time on a clock, to the nearest second;
// a moment in the day's last half second belongs to the next day at 00:00:00.
struct ClockMoment {
  double year = 0;
  double month = 0;
  double day = 0;
  ClockTime time;
};
ClockMoment MomentToSecond(JulianDay moment, const DateClock& on);

// A Universal Time moment on the clock `on`, to the nearest second, with the
// clock's offset from UT at that moment: "2025-09-08T03:11:42+09:00". A year
// below 1000 or negative keeps its sign and four digits ("-0600-03-21T...").
// An offset of local mean time is written rounded to the minute; the time
// stays the clock's own, so such a stamp names its instant to half a minute.
std::string ZonedTimeText(JulianDay ut, const DateClock& on);

// Whether the clock `on` shows a date and hour once, skipped it or shows it
// twice.
TimeZone::Reading KindOfReadingOn(double year, double month, double day, double hour, const DateClock& on);

// A typed date and hour the clock `on` skipped (it was put forward over it)
// or shows twice (it was put back over it): one English sentence saying so
// and naming the moment taken (DateToJulianDay's rule: a skipped reading as
// far past the change as it is typed, a repeated one the earlier); none for
// a reading the clock shows once.
std::optional<std::string> ClockReadingNote(double year, double month, double day, double hour, const DateClock& on);
