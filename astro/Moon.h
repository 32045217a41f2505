// The moon's place.
#pragma once

#include "astro/Sun.h"

// Fills longitude, latitude, rightAscension, declination, semiDiameter,
// distance (earth radii) and node; with topocentric non-zero the place is seen
// from (latitude, longitude) and azimuth and altitude are filled for
// `observer` (the form without it: the published place). Also recomputes
// SunRecord, whose azimuth and altitude are for `observer` too.
void MoonPosition(JulianDay jd, BodyPosition& record, int topocentric, double latitude,
                  double longitude, const Place& observer);
void MoonPosition(JulianDay jd, BodyPosition& record, int topocentric, double latitude,
                  double longitude);
