#include "astro/Coordinates.h"

#include <algorithm>
#include <cmath>

#include "astro/TimeScales.h"

double SinDeg(double degrees) { return std::sin(degrees * kRadian); }

double CosDeg(double degrees) { return std::cos(degrees * kRadian); }

double AsinDeg(double sine) { return std::asin(std::clamp(sine, -1.0, 1.0)) / kRadian; }

double PositiveModulo(double value, double modulus) {
  const double q = value / modulus;
  double r = modulus * (q - std::floor(q));
  if (std::trunc(modulus) == 360.0 && r < 0.0) r += 360.0;
  // A tiny negative value gives a fraction that rounds to 1: keep the result
  // inside [0, modulus).
  if (modulus > 0.0 && r >= modulus) r -= modulus;
  return r;
}

double InterpolateGrid(double a, double b, double c, double d, double u, double v) {
  const double g = a + (c - a) * v / 10.0;
  const double k = b + (d - b) * v / 10.0;
  return g + (k - g) * u / 10.0;
}

double Obliquity(JulianDay jd) {
  const double t = (jd - 2451545.0) / 36525.0;
  const double nutation = 0.00256 * CosDeg(125.04 - 1934.136 * t) + 0.00016 * CosDeg(200.93 + 72001.539 * t);
  const double T = CenturiesFrom1900(jd);
  return 23.4523 - 0.013 * T - 1.6388e-7 * T * T + nutation;
}

void EclipticToEquatorial(JulianDay jd, double longitude, double latitude, double& rightAscension,
                          double& declination) {
  const double eps = Obliquity(jd);
  const double sl = SinDeg(longitude), cl = CosDeg(longitude);
  const double sb = SinDeg(latitude), cb = CosDeg(latitude);
  const double se = SinDeg(eps), ce = CosDeg(eps);
  double alpha = std::atan2(sl * cb * ce - sb * se, cl * cb) / kRadian;
  if (alpha < 0.0) alpha += 360.0;
  rightAscension = alpha;
  declination = AsinDeg(sl * cb * se + sb * ce);
}

void EquatorialToHorizontal(JulianDay jd, double rightAscension, double declination,
                            double observerLatitude, double observerLongitude, double& azimuth,
                            double& altitude) {
  const double theta = 15.0 * LocalSiderealTime(jd, observerLongitude);
  const double h = theta - rightAscension;
  const double sh = SinDeg(h), ch = CosDeg(h);
  const double sp = SinDeg(observerLatitude), cp = CosDeg(observerLatitude);
  const double sd = SinDeg(declination), cd = CosDeg(declination);
  azimuth = std::atan2(sh, sp * ch - cp * std::tan(declination * kRadian)) / kRadian;
  altitude = AsinDeg(ch * cd * cp + sd * sp);
}
