// The almanac's operations in the precise model, shaped like those of the
// design's formulas (same arguments, same results, same no-event values), so
// that a caller picks its model at one place.
#pragma once

#include <string>

#include "astro/Sun.h"

namespace precise {

// Apparent place of a body at jd into `record`: ecliptic and equatorial
// coordinates of date, distance (au for the sun, earth radii for the moon),
// semidiameter, and azimuth and altitude for (latitude, longitude). The moon
// is topocentric when `topocentric` is set, like the design's flag.
void BodyPlace(int body, JulianDay jd, double latitude, double longitude, bool topocentric,
               BodyPosition& record);

// Rise, transit and set of the local day (at `longitude`'s clock) holding jd.
double RiseTime(JulianDay jd, int body, double latitude, double longitude);
double SetTime(JulianDay jd, int body, double latitude, double longitude);
double TransitTime(JulianDay jd, int body, double latitude, double longitude);

void SolarTermOfDay(double year, double month, double day, std::string& name, double& longitude);
int DaysSinceSpringBegins(double year, double month, double day);
double SunDegreeOfDay(double year, double month, double day, double& julianDay);
// jd's local date is read at `longitude`'s clock, as the design reads it.
void SolsticeCycleStartDays(double julianDay, double longitude, double& first, double& second);
void RecentNewMoons(double julianDay, double longitude, double& first, double& second);

// A year's events from 1 January (0:00 JST) over days 0..n into the moments
// and angles given, at most `capacity`; returns the count.
int ListMoonPhases(double year, double n, double* angles, double* moments, int capacity);
int ListSolarTerms(double year, double n, double* angles, double* moments, int capacity);

}  // namespace precise
