// Rise, transit and set times of the sun, the moon and the planets for an
// observer's place, in the design's model.
#pragma once

#include <optional>

#include "astro/Model.h"
#include "astro/Sun.h"

namespace design {

// Hours of the clock `on` on its local day holding jd; none when the event
// does not happen that day.
std::optional<double> RiseTime(JulianDay jd, int body, const Place& observer, const DateClock& on);
std::optional<double> SetTime(JulianDay jd, int body, const Place& observer, const DateClock& on);
std::optional<double> TransitTime(JulianDay jd, int body, const Place& observer, const DateClock& on);
// The rise and set searches for the sun's centre at `altitude` degrees.
SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer, const DateClock& on);

}  // namespace design
