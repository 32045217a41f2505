// The moment and place every computation is asked about: the selected date
// and hour, the observer's place, the calendar rule, the time zone and the
// astronomical model. The windows and the CLI build it once from their
// fields or arguments and the settings, and hand it on; nothing reads the
// moment from anywhere else.
#pragma once

#include "astro/Clock.h"
#include "astro/TimeScales.h"

// Which set of formulas computes the places of the bodies: the almanac's own
// series, or the precise model on ERFA (astro/precise/).
enum class AstroModel { Design, Precise };

// An observer's place in degrees, north and east positive.
struct Place {
  double latitude = 35.6;
  double longitude = 139.7;
};

struct Moment {
  // Date (astronomical year, month and day carry arithmetically) and hour
  // with fraction, on the clock of the zone at place.longitude.
  double year = 2000.0;
  double month = 1.0;
  double day = 1.0;
  double hour = 0.0;
  Place place;
  CalendarRule calendar = CalendarRule::JulianThenGregorian;
  TimeZone zone;
  AstroModel model = AstroModel::Design;
};

// The calendar and clock of the moment's place.
DateClock PlaceClock(const Moment& m);
// The calendar and clock the year's lists and the day's signs are read on:
// the moment's zone at the meridian of Japan Standard Time.
DateClock ListClock(const Moment& m);
DateClock ListClock(CalendarRule calendar, const TimeZone& zone);

// The moment's Julian day: its date and hour on its place's clock.
JulianDay MomentJulianDay(const Moment& m);
