// The moon's place.
#pragma once

#include "astro/Sun.h"

// Fills longitude, latitude, rightAscension, declination, semiDiameter,
// distance (earth radii) and node; with topocentric non-zero the place is seen
// from (latitude, longitude) and azimuth and altitude are filled for
// ObserverLatitude and ObserverLongitude. Also recomputes SunRecord.
void MoonPosition(JulianDay jd, BodyPosition& record, int topocentric, double latitude,
                  double longitude);
