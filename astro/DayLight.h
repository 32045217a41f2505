// The light of a day at a place: the dawn and dusk of the three twilights
// and the length of the day, in either model.
#pragma once

#include "astro/Model.h"

// The depths of the sun's centre below the horizon that end the twilights.
inline constexpr double kCivilTwilight = -6.0;
inline constexpr double kNauticalTwilight = -12.0;
inline constexpr double kAstronomicalTwilight = -18.0;

struct DayLight {
  // Dawn (`up`) and dusk (`down`) of each twilight, hours of the place's
  // clock on the moment's day; none where the sun does not cross that depth.
  SunCrossings civil, nautical, astronomical;
  // Sunrise to sunset in hours; none without both on the day.
  std::optional<double> length;
};

DayLight DayLightOf(const Ephemeris& ephemeris, const Moment& at);
