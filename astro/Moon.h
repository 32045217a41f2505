// The moon's place.
#pragma once

#include "astro/Sun.h"

// The moon's place at jd: longitude, latitude, rightAscension, declination,
// semiDiameter, distance (earth radii) and node, geocentric; with
// `topocentric` the place is seen from `observer` and its azimuth and
// altitude are filled too.
BodyPosition MoonPosition(JulianDay jd, const Place& observer, bool topocentric);
