// The almanac's operations in the precise model, shaped like those of the
// design's formulas (same arguments, results of the same shape), so that
// the model is picked at one place (astro/Model.cpp).
#pragma once

#include <optional>
#include <vector>

#include "astro/Model.h"
#include "astro/Sun.h"
#include "astro/TermsPhases.h"

namespace precise {

// Apparent place of a body at jd: ecliptic and equatorial coordinates of
// date, distance (au for the sun, earth radii for the moon), semidiameter,
// and azimuth and altitude seen from `observer`. The moon is topocentric when
// `topocentric` is set, like the design's flag.
BodyPosition BodyPlace(int body, JulianDay jd, const Place& observer, bool topocentric);

// Rise, transit and set of the local day of `on` holding jd, in its hours.
std::optional<double> RiseTime(JulianDay jd, int body, const Place& observer, const DateClock& on);
std::optional<double> SetTime(JulianDay jd, int body, const Place& observer, const DateClock& on);
std::optional<double> TransitTime(JulianDay jd, int body, const Place& observer, const DateClock& on);
SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer, const DateClock& on);

SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists);
std::optional<int> DaysSinceSpringBegins(double year, double month, double day, const DateClock& lists);
std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day, const DateClock& lists);
MomentPair SolsticeCycleStartDays(double julianDay, const DateClock& lists);
MomentPair RecentNewMoons(double julianDay, const DateClock& lists);

// A year's events from 1 January (0:00 on `lists`) over that day and the
// `lastDay` days after it.
std::vector<AngleEvent> ListMoonPhases(double year, int lastDay, const DateClock& lists);
std::vector<AngleEvent> ListSolarTerms(double year, int lastDay, const DateClock& lists);

}  // namespace precise
