#include "astro/precise/Ephemeris.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>

#include "astro/Sun.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/MoonSeries.h"

namespace precise {

namespace {

constexpr double kMjdZero = 2400000.5;
// The speed of light in au per day, for light times.
constexpr double kLightAuPerDay = ERFA_DAYSEC / ERFA_AULT;

double Degrees(double radians) { return radians * ERFA_DR2D; }

// Annual aberration of a direction at distance `distance` (au) for an earth
// moving with `velocity` (au/day); `sunDistance` feeds the light deflection.
Vec3 Aberrate(const Vec3& p, const Vec3& velocity, double sunDistance) {
  const double d = Length(p);
  double u[3] = {p[0] / d, p[1] / d, p[2] / d};
  double v[3];
  for (int i = 0; i < 3; ++i) v[i] = velocity[i] / kLightAuPerDay;
  const double bm1 = std::sqrt(1.0 - (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  double out[3];
  eraAb(u, v, sunDistance, bm1, out);
  return {out[0] * d, out[1] * d, out[2] * d};
}

// The moon's apparent place at a Terrestrial Time (celestial reference frame).
Vec3 MoonApparent(double tt) {
  const MoonState moon = MoonGeocentric(tt);
  return MoonLightTimeBack(moon.place, moon.velocity);
}

Vec3 PlanetHeliocentric(int body, double tt, int& status) {
  double pv[2][3];
  status = eraPlan94(kMjdZero, tt - kMjdZero, body, pv);
  return {pv[0][0], pv[0][1], pv[0][2]};
}

// A planet seen from the earth: its heliocentric place one light time ago
// minus the earth's place now, then the annual aberration.
Vec3 PlanetApparent(int body, double tt, const EarthState& earth) {
  Vec3 p{};
  double lightTime = 0.0;
  for (int pass = 0; pass < 3; ++pass) {
    // The status depends on the body and the date alone: PlanetStatus gives it.
    int status;
    const Vec3 planet = PlanetHeliocentric(body, tt - lightTime, status);
    for (int i = 0; i < 3; ++i) p[i] = planet[i] - earth.heliocentric[i];
    lightTime = Length(p) / kLightAuPerDay;
  }
  return Aberrate(p, earth.velocity, Length(earth.heliocentric));
}

}  // namespace

double Length(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

Vec3 Rotate(const double r[3][3], const Vec3& v) {
  Vec3 out;
  for (int i = 0; i < 3; ++i) out[i] = r[i][0] * v[0] + r[i][1] * v[1] + r[i][2] * v[2];
  return out;
}

Vec3 SunApparent(const EarthState& earth) {
  const Vec3 p = {-earth.heliocentric[0], -earth.heliocentric[1], -earth.heliocentric[2]};
  return Aberrate(p, earth.velocity, Length(p));
}

Vec3 MoonLightTimeBack(Vec3 position, const Vec3& velocity) {
  const double lightTime = Length(position) / kLightAuPerDay;
  for (int i = 0; i < 3; ++i) position[i] -= velocity[i] * lightTime;
  return position;
}

int PlanetStatus(int body, double tt) {
  int status;
  PlanetHeliocentric(body, tt, status);
  return status;
}

NutationModel NutationModelAt(double tt) {
  return kIau2000BFrom <= tt && tt < kIau2000BUntil ? NutationModel::Iau2000B : NutationModel::Iau2000A;
}

Nutation NutationAt(double tt, NutationModel model) {
  Nutation n;
  if (model == NutationModel::Iau2000A) {
    eraNut06a(kMjdZero, tt - kMjdZero, &n.longitude, &n.obliquity);
    return n;
  }
  // The 2000B series with the adjustments by which eraNut06a fits the 2000A
  // one to the IAU 2006 precession (the earth's flattening decreasing).
  eraNut00b(kMjdZero, tt - kMjdZero, &n.longitude, &n.obliquity);
  const double flattening = -2.7774e-6 * ((tt - ERFA_DJ00) / ERFA_DJC);
  n.longitude *= 1.0 + 0.4697e-6 + flattening;
  n.obliquity *= 1.0 + flattening;
  return n;
}

Frame FrameAt(JulianDay ut) { return FrameAt(ut, NutationModelAt(TerrestrialTime(ut))); }

Frame FrameAt(JulianDay ut, NutationModel nutation) {
  Frame f;
  f.ut = ut;
  f.tt = TerrestrialTime(ut);
  // The IAU 2006 precession as Fukushima–Williams angles, the nutation added
  // to them: the frame bias, precession and nutation in one rotation.
  double gamma, phi, psi, meanObliquity;
  eraPfw06(kMjdZero, f.tt - kMjdZero, &gamma, &phi, &psi, &meanObliquity);
  const Nutation n = NutationAt(f.tt, nutation);
  eraFw2m(gamma, phi, psi + n.longitude, meanObliquity + n.obliquity, f.rbpn);
  f.trueObliquity = meanObliquity + n.obliquity;
  // With eraGmst06 the Greenwich apparent sidereal time of the 2006 model:
  // the classical equation of the equinoxes and its complementary terms.
  f.equationOfEquinoxes = n.longitude * std::cos(meanObliquity) + eraEect00(kMjdZero, f.tt - kMjdZero);
  return f;
}

EarthState EarthAt(double tt) {
  double pvh[2][3], pvb[2][3];
  const int status = eraEpv00(kMjdZero, tt - kMjdZero, pvh, pvb);
  return {{pvh[0][0], pvh[0][1], pvh[0][2]}, {pvb[1][0], pvb[1][1], pvb[1][2]}, status};
}

Vec3 ApparentPlace(int body, JulianDay ut, const Frame& frame, const EarthState& earth) {
  const double tt = TerrestrialTime(ut);
  if (body == BodySun) return Rotate(frame.rbpn, SunApparent(earth));
  if (body == BodyMoon) return Rotate(frame.rbpn, MoonApparent(tt));
  return Rotate(frame.rbpn, PlanetApparent(body, tt, earth));
}

Vec3 ApparentPlace(int body, JulianDay ut) {
  const Frame frame = FrameAt(ut);
  const EarthState earth = body == BodyMoon ? EarthState{} : EarthAt(frame.tt);
  return ApparentPlace(body, ut, frame, earth);
}

void EclipticOfDate(const Vec3& v, double trueObliquity, double& longitude, double& latitude) {
  const double c = std::cos(trueObliquity), s = std::sin(trueObliquity);
  const double y = v[1] * c + v[2] * s;
  const double z = -v[1] * s + v[2] * c;
  longitude = Degrees(eraAnp(std::atan2(y, v[0])));
  latitude = Degrees(std::atan2(z, std::hypot(v[0], y)));
}

void EquatorialOfDate(const Vec3& v, double& rightAscension, double& declination) {
  rightAscension = Degrees(eraAnp(std::atan2(v[1], v[0])));
  declination = Degrees(std::atan2(v[2], std::hypot(v[0], v[1])));
}

double SunLongitude(JulianDay ut) {
  const Frame frame = FrameAt(ut);
  double longitude, latitude;
  EclipticOfDate(Rotate(frame.rbpn, SunApparent(EarthAt(frame.tt))), frame.trueObliquity, longitude, latitude);
  return longitude;
}

double MoonElongation(JulianDay ut) {
  // The nutation moves both longitudes alike; what 2000B misses of it moves
  // an elongation by well under a tenth of a second of time in any year.
  const Frame frame = FrameAt(ut, NutationModel::Iau2000B);
  double sun, moon, latitude;
  EclipticOfDate(Rotate(frame.rbpn, SunApparent(EarthAt(frame.tt))), frame.trueObliquity, sun, latitude);
  EclipticOfDate(Rotate(frame.rbpn, MoonApparent(frame.tt)), frame.trueObliquity, moon, latitude);
  const double e = std::fmod(moon - sun, 360.0);
  return e < 0.0 ? e + 360.0 : e;
}

double LocalSiderealDegrees(JulianDay ut, double tt, double longitude, const Frame& frame) {
  const double gst = eraGmst06(kMjdZero, ut - kMjdZero, kMjdZero, tt - kMjdZero) + frame.equationOfEquinoxes;
  return Degrees(eraAnp(gst + longitude * ERFA_DD2R));
}

Vec3 ObserverPlace(double latitude, double siderealDegrees) {
  double xyz[3];
  eraGd2gc(ERFA_WGS84, 0.0, latitude * ERFA_DD2R, 0.0, xyz);
  const double rho = std::hypot(xyz[0], xyz[1]) / ERFA_DAU;
  const double z = xyz[2] / ERFA_DAU;
  const double theta = siderealDegrees * ERFA_DD2R;
  return {rho * std::cos(theta), rho * std::sin(theta), z};
}

void Horizontal(const Vec3& topocentric, double latitude, double siderealDegrees, double& azimuth,
                double& altitude) {
  double ra, dec;
  EquatorialOfDate(topocentric, ra, dec);
  const double h = (siderealDegrees - ra) * ERFA_DD2R;
  const double d = dec * ERFA_DD2R, phi = latitude * ERFA_DD2R;
  azimuth = Degrees(std::atan2(std::sin(h), std::sin(phi) * std::cos(h) - std::cos(phi) * std::tan(d)));
  altitude = Degrees(std::asin(std::cos(h) * std::cos(d) * std::cos(phi) + std::sin(d) * std::sin(phi)));
}

}  // namespace precise
