#include "astro/Moon.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/TimeScales.h"

namespace {

constexpr double kEccentricity = 0.05490897;
constexpr double kSemiMajorAxis = 60.2682;  // earth radii
constexpr double kInclination = 5.1444433;  // degrees
constexpr double kMoonRadius = 0.2725;      // earth radii
constexpr double kTopocentricFactor = 0.99;
// Newton's method converges in two or three steps for any finite anomaly; the
// cap only keeps a NaN or infinite date from looping for ever.
constexpr int kKeplerIterations = 50;

// c0 + c1 T + c2 T^2 + c3 T^3
double Cubic(const double (&c)[4], double T) { return c[0] + T * (c[1] + T * (c[2] + T * c[3])); }

constexpr double kMeanLongitude[4] = {335.723436, 481267.887361, 0.00338888, 1.83333e-6};
constexpr double kPerigee[4] = {225.397325, 4069.053805, -0.0102869, -1.22222e-5};
constexpr double kNode[4] = {33.272936, -1934.144694, 0.00208028, 2.08333e-6};

struct PeriodicTerm {
  double amplitude;
  double argument[4];
};
constexpr PeriodicTerm kLongitudeTerms[5] = {
    {1.2408, {1.2949, 413335.4078, -0.0072201, -7.2305e-6}},
    {0.5958, {111.6209, 890534.2514, 0.0069838, 6.9778e-6}},
    {0.1828, {180.40885, 35999.0552, -0.0001988, 0.0}},
    {0.055, {0.88605, 377336.3526, -0.0070213, -7.2305e-6}},
    {0.0431, {111.21205, 854535.1962, 0.0071826, 6.9778e-6}},
};
constexpr PeriodicTerm kLatitudeTerm = {0.1453, {169.1706, 407332.2103, 0.0053354, 5.3292e-6}};

double TermValue(const PeriodicTerm& term, double T) { return term.amplitude * SinDeg(Cubic(term.argument, T)); }

// Eccentric anomaly for mean anomaly m (radians).
double SolveKepler(double m) {
  double E = m;
  for (int i = 0; i < kKeplerIterations; ++i) {
    const double f = E - kEccentricity * std::sin(E) - m;
    if (std::fabs(f) <= 1e-8) break;
    E -= f / (1.0 - kEccentricity * std::cos(E));
  }
  return E;
}

// Shifts the geocentric place (longitude, latitude in degrees) to the
// observer at (phi, lon); the moon's distance r is in earth radii.
void ApplyParallax(JulianDay jd, double r, double phi, double lon, double& longitude, double& latitude) {
  const double theta = 15.0 * LocalSiderealTime(jd, lon);
  const double p = AsinDeg(1.0 / r) / kTopocentricFactor;
  const double eps = Obliquity(jd);
  const double sp = SinDeg(phi), cp = CosDeg(phi);
  const double se = SinDeg(eps), ce = CosDeg(eps);
  const double st = SinDeg(theta);
  const double zenithLongitude = std::atan2(cp * ce * st + sp * se, cp * CosDeg(theta)) / kRadian;
  const double zenithLatitude = AsinDeg(sp * ce - cp * se * st);
  const double d = zenithLongitude - longitude;
  const double sinP = SinDeg(p);
  const double dLongitude = AsinDeg(-sinP * CosDeg(zenithLatitude) * SinDeg(d) / CosDeg(latitude));
  const double q = std::atan(std::tan(zenithLatitude * kRadian) / CosDeg(d));
  // sin(zenith latitude) / sin q tends to cos d when the zenith lies on the
  // ecliptic, where the quotient itself would be 0/0.
  const double sq = std::sin(q);
  const double ratio = std::fabs(sq) < 1e-12 ? CosDeg(d) : SinDeg(zenithLatitude) / sq;
  const double dLatitude = AsinDeg(-sinP * ratio * std::sin(q - latitude * kRadian));
  longitude += dLongitude;
  latitude += dLatitude;
}

}  // namespace

BodyPosition MoonPosition(JulianDay jd, const Place& observer, bool topocentric) {
  BodyPosition record;
  const double T = CenturiesFrom1800(jd);
  double meanLongitude = PositiveModulo(Cubic(kMeanLongitude, T), 360.0);
  const double perigee = PositiveModulo(Cubic(kPerigee, T), 360.0);
  const double node = PositiveModulo(Cubic(kNode, T), 360.0);
  double dL = 0.0;
  for (const PeriodicTerm& term : kLongitudeTerms) dL += TermValue(term, T);
  const double dB = TermValue(kLatitudeTerm, T);
  meanLongitude += dL;

  const double m = PositiveModulo(meanLongitude - perigee, 360.0) * kRadian;
  const double E = SolveKepler(m);
  const double e = kEccentricity;
  double nu = 2.0 * std::atan(std::sqrt((1.0 + e) / (1.0 - e)) * std::tan(E / 2.0)) / kRadian;
  if (nu < 0.0) nu += 360.0;

  double u = nu + perigee - node;
  if (u > 360.0) u -= 360.0;
  if (u < 0.0) u += 360.0;
  double t = std::atan(CosDeg(kInclination) * std::tan(u * kRadian)) / kRadian;
  if (u > 90.0 && u < 270.0) t += 180.0;
  if (u >= 270.0) t += 360.0;
  double lambda = PositiveModulo(t + node, 360.0);
  double beta = std::atan(std::tan(kInclination * kRadian) * SinDeg(t)) / kRadian + dB;

  const double r = kSemiMajorAxis * (1.0 - e * e) / (1.0 + e * CosDeg(nu));
  record.longitude = lambda;
  record.latitude = beta;
  record.semiDiameter = AsinDeg(kMoonRadius / r);
  record.node = node;
  record.distance = r;
  EclipticToEquatorial(jd, lambda, beta, record.rightAscension, record.declination);
  if (!topocentric) return record;

  ApplyParallax(jd, r, observer.latitude, observer.longitude, lambda, beta);
  record.longitude = lambda;
  record.latitude = beta;
  record.semiDiameter = AsinDeg(kMoonRadius / (kTopocentricFactor * r));
  EclipticToEquatorial(jd, lambda, beta, record.rightAscension, record.declination);
  EquatorialToHorizontal(jd, record.rightAscension, record.declination, observer.latitude,
                         observer.longitude, record.azimuth, record.altitude);
  return record;
}
