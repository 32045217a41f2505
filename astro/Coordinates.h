// Angle arithmetic, the obliquity of the ecliptic and the two coordinate
// transforms. Angles are degrees at every interface; right ascension too.
#pragma once

#include "astro/Clock.h"

// Degrees to radians (multiply) and back (divide).
inline constexpr double kRadian = 0.017453292519943295;

double SinDeg(double degrees);
double CosDeg(double degrees);
// asin in degrees, its argument clamped to [-1, 1] so that rounding cannot
// turn a valid place into NaN.
double AsinDeg(double sine);

// value reduced into [0, modulus).
double PositiveModulo(double value, double modulus);

// Interpolation in one cell of a table whose two arguments step by 10:
// v (0..10) moves from a towards c and from b towards d, then u (0..10) moves
// from the first result towards the second.
double InterpolateGrid(double a, double b, double c, double d, double u, double v);

// Obliquity of the ecliptic in degrees, nutation included.
double Obliquity(JulianDay jd);

// Ecliptic longitude and latitude to right ascension (0..360) and declination.
void EclipticToEquatorial(JulianDay jd, double longitude, double latitude, double& rightAscension,
                          double& declination);

// Equatorial to horizontal for an observer: azimuth from the south, positive
// westward (-180..180); altitude without refraction.
void EquatorialToHorizontal(JulianDay jd, double rightAscension, double declination,
                            double observerLatitude, double observerLongitude, double& azimuth,
                            double& altitude);
