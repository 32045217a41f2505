// Places of the five naked-eye planets: mean elements, the tabulated
// corrections of Jupiter and Saturn, and the geocentric, equatorial and
// horizontal coordinates through the sun's place.
#pragma once

#include "astro/PerturbationTables.h"
#include "astro/Sun.h"

// The place of the planet `body` (BodyMercury, BodyVenus, BodyMars,
// BodyJupiter or BodySaturn) at jd: longitude, latitude, rightAscension,
// declination, and azimuth and altitude seen from `observer`; any other body
// number gives an empty place. A right ascension above 359.5 degrees is
// given as 0.
BodyPosition PlanetPosition(int body, JulianDay jd, const Place& observer);

// One value of a perturbation table at the arguments a and b (degrees, any
// value; reduced into [0, 360)): bilinear interpolation between the four
// neighbouring entries, in the table's own units. Non-finite arguments give 0.
double PerturbationLookup(const PerturbationTable& table, double a, double b);
