// The two angles that the searches for solar terms and moon phases follow,
// the sun's apparent longitude and the moon's elongation, computed for speed.
// An event costs a handful of places, and the earth's series (eraEpv00) and
// the moon's (ELP/MPP02) are most of each one; here the earth comes from a
// fit and the moon from the short series eraMoon98 instead. The Earth–Moon
// barycentre moves smoothly: it is fitted by Chebyshev series over blocks of
// 128 days fixed in time, from eraEpv00 and eraMoon98 at the blocks' nodes,
// and the earth at a moment is that barycentre less the moon's share
// (eraMoon98 at the moment: eraEpv00's earth goes with a moon of its own,
// which eraMoon98 stands in for; the moon's share is 1/82 of its place, so
// ELP/MPP02 there would move the earth by half a kilometre, 0.0006″ of the
// sun). The searched elongation is eraMoon98's: its crossings lie up to about
// 35 s from those of the model's moon, and each found phase is corrected on
// the exact elongation (MoonFitSuffices). Within 1000–3000 the fitted earth stays within
// 5e-8 au of eraEpv00's, within 1800–2150 within 4e-9 au (0.0008″, 0.02 s
// in a solar term's moment); the velocity, for the aberration, within 1e-6
// of itself. The fits are kept by block on each thread, so a result never
// depends on what was asked before it.
#pragma once

#include "astro/Clock.h"
#include "astro/precise/Ephemeris.h"

namespace precise {

// The earth's state from the fit at a Terrestrial Time, given the moon's
// geocentric place and velocity (eraMoon98's) at that moment.
EarthState FittedEarthAt(double tt, const Vec3& moon, const Vec3& moonVelocity);
// Empties this thread's fits (for the benchmarks, like ForgetFoundEvents).
void ForgetEarthFits();

// The sun's apparent longitude (0–360, degrees) with the fitted earth and
// the 2000B nutation, and the moon's elongation (0–360) with the fitted
// earth: SunLongitude and MoonElongation to within the bounds above.
double SunLongitudeFitted(JulianDay ut);
double MoonElongationFitted(JulianDay ut);

// Whether the fitted angles' moments are within 0.025 s of the exact ones at
// a Universal Time: the sun's within 1800–2150 (where the exact longitude
// takes the 2000B nutation too), the moon's never (its moon is eraMoon98).
bool SunFitSuffices(JulianDay ut);
bool MoonFitSuffices(JulianDay ut);

}  // namespace precise
