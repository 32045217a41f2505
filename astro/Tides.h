// Tides of Tokyo Bay from four harmonic constituents (M2, S2, K1, O1) driven
// by the true longitudes of the sun and the moon. The harbour is fixed: 139.7
// degrees east on Japan Standard Time, whatever the observer's settings.
#pragma once

#include "astro/Moment.h"

// The day's first two high and low waters as moments; 0 when not found.
extern double HighWater1;
extern double HighWater2;
extern double LowWater1;
extern double LowWater2;

// Sea level at jd, hour t of the local day: about the mean level and above
// the chart datum, in metres. The moon's parallax is taken at the observer's
// latitude (the forms without `observer`: the published place).
void TideHeight(double julianDay, double hour, double& height, double& heightAboveDatum,
                const Place& observer);
void TideHeight(double julianDay, double hour, double& height, double& heightAboveDatum);
// Finds the high and low waters of the local day holding jd.
void TideTimes(double julianDay, const Place& observer);
void TideTimes(double julianDay);
