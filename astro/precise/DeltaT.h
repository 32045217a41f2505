// ΔT = TT − UT from the Espenak–Meeus polynomials (NASA, 2006): the
// precise model keeps its ephemerides on Terrestrial Time and the almanac's
// clock on Universal Time.
#pragma once

#include "astro/Clock.h"

namespace precise {

// ΔT in seconds for a decimal year (2000.0 is the start of 2000).
double DeltaTSeconds(double year);
// The Terrestrial Time Julian day of a Universal Time one.
double TerrestrialTime(JulianDay ut);

}  // namespace precise
