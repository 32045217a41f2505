// Tides of Tokyo Bay from four harmonic constituents (M2, S2, K1, O1) driven
// by the true longitudes of the sun and the moon, always on the design's
// formulas (the constants belong to them). The harbour is fixed: its day is
// read on the zone's clock at 139.7 degrees east, whatever the observer's
// settings.
#pragma once

#include <optional>

#include "astro/Moment.h"

// The harbour's meridian.
inline constexpr double kHarbourLongitude = 139.7;

// The calendar and clock the harbour's day is read on.
DateClock HarbourClock(CalendarRule calendar, const TimeZone& zone);

// Sea level at jd, hour t of the local day, in metres: about the mean level
// and above the chart datum. The moon's parallax is taken at the observer's
// latitude on the harbour's meridian.
struct TideLevel {
  double height = 0.0;
  double aboveDatum = 0.0;
};
TideLevel TideHeight(double julianDay, double hour, const Place& observer);

// The day's first two high and low waters as moments, where found.
struct TideDay {
  std::optional<JulianDay> high[2];
  std::optional<JulianDay> low[2];
};
// The high and low waters of the harbour's day holding jd.
TideDay TideTimes(double julianDay, const Place& observer, const DateClock& harbour);
