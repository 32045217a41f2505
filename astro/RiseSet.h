// Rise, transit and set times of the sun, the moon and the planets for an
// observer's place.
#pragma once

#include "astro/Sun.h"

// The value returned when the event does not happen within the local day.
inline constexpr double kNoEventHour = 23.0;

// Hours of the observer's clock on the local day containing jd, or 23.0.
// Every probe overwrites the body's global record (and SunRecord). The forms
// without `observer` search for the published place.
double RiseTime(JulianDay jd, int body, const Place& observer);
double SetTime(JulianDay jd, int body, const Place& observer);
double TransitTime(JulianDay jd, int body, const Place& observer);
double RiseTime(JulianDay jd, int body);
double SetTime(JulianDay jd, int body);
double TransitTime(JulianDay jd, int body);
