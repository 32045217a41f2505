// Places of the five naked-eye planets: mean elements, the tabulated
// corrections of Jupiter and Saturn, and the geocentric, equatorial and
// horizontal coordinates through the sun's place.
#pragma once

#include "astro/PerturbationTables.h"
#include "astro/Sun.h"

// Fills longitude, latitude, rightAscension, declination, and azimuth and
// altitude seen from `observer` (the form without it: the published place),
// of `record` for the
// planet `body` (BodyMercury, BodyVenus, BodyMars, BodyJupiter or BodySaturn),
// and recomputes SunRecord for the same jd. Any other body number leaves both
// records untouched. A right ascension above 359.5 degrees is stored as 0.
void PlanetPosition(int body, JulianDay jd, BodyPosition& record, const Place& observer);
void PlanetPosition(int body, JulianDay jd, BodyPosition& record);

// One value of a perturbation table at the arguments a and b (degrees, any
// value; reduced into [0, 360)): bilinear interpolation between the four
// neighbouring entries, in the table's own units. Non-finite arguments give 0.
double PerturbationLookup(const PerturbationTable& table, double a, double b);
