// The precise model's places: apparent geocentric positions of the sun, the
// moon and the five planets in the true equator and equinox of date, on the
// IAU SOFA routines of ERFA (Earth eraEpv00, planets eraPlan94,
// precession–nutation IAU 2006/2000A) and the lunar theory ELP/MPP02
// (MoonSeries.h), with ΔT from DeltaT.h.
// Times at the interfaces are Universal Time Julian days, like everywhere
// else in the almanac.
#pragma once

#include <array>

#include "astro/Clock.h"

namespace precise {

using Vec3 = std::array<double, 3>;

// The nutation in longitude and obliquity (radians) of the IAU 2006/2000A
// model. Its truncated form 2000B (twenty times cheaper) is taken from 1800
// to 2150, where it stays within 0.004" of the full series: a tenth of a
// second in a solar term's moment at the sun's slowest. Beyond, the 2000B
// series drifts (0.07" by 1000, 0.42" by −600: seconds in every term).
enum class NutationModel { Iau2000A, Iau2000B };
inline constexpr double kIau2000BFrom = 2378496.5;   // 1800-01-01 TT
inline constexpr double kIau2000BUntil = 2506331.5;  // 2150-01-01 TT
struct Nutation {
  double longitude = 0.0;
  double obliquity = 0.0;
};
NutationModel NutationModelAt(double tt);
Nutation NutationAt(double tt, NutationModel model);

// The rotation from the celestial reference frame to the true equator and
// equinox of one moment, and what goes with it. The precession–nutation
// moves by a fraction of an arcsecond a day, so one frame serves a day.
struct Frame {
  JulianDay ut = 0.0;
  double tt = 0.0;
  double rbpn[3][3] = {};
  double trueObliquity = 0.0;    // radians
  double equationOfEquinoxes = 0.0;  // radians
};
// The frame with the nutation model for ut's date, or with the one given.
Frame FrameAt(JulianDay ut);
Frame FrameAt(JulianDay ut, NutationModel nutation);

// The earth's state that every place needs: heliocentric position (au) and
// barycentric velocity (au/day), at a Terrestrial Time; `status` is
// eraEpv00's: 1 outside 1900–2100, where the series is not validated (the
// place is still given), 0 within.
struct EarthState {
  Vec3 heliocentric;
  Vec3 velocity;
  int status = 0;
};
EarthState EarthAt(double tt);

// eraPlan94's status for a planet (BodyIndex) at a Terrestrial Time: 0 within
// 1000–3000, 1 outside that span (the place is still given), 2 when its
// orbit's equation did not converge.
int PlanetStatus(int body, double tt);

// The apparent geocentric place of a body (BodyIndex) at ut, in the frame of
// date given, in au: light time and annual aberration applied (for the moon
// its own light time only, since the earth carries it along). `earth` must
// be EarthAt(TerrestrialTime(ut)); the moon does not use it.
Vec3 ApparentPlace(int body, JulianDay ut, const Frame& frame, const EarthState& earth);
// The same with a frame and the earth of its own.
Vec3 ApparentPlace(int body, JulianDay ut);

// The sun seen from the earth in the celestial reference frame (au): the
// annual aberration applied.
Vec3 SunApparent(const EarthState& earth);
// The moon's place (geocentric, au) when the light now arriving left it,
// from its geometric place and velocity (au/day) at the moment.
Vec3 MoonLightTimeBack(Vec3 position, const Vec3& velocity);

// Ecliptic longitude (0–360) and latitude of date, degrees.
void EclipticOfDate(const Vec3& v, double trueObliquity, double& longitude, double& latitude);
// Right ascension (0–360) and declination, degrees.
void EquatorialOfDate(const Vec3& v, double& rightAscension, double& declination);

// The sun's apparent longitude and the moon's elongation from it (moon minus
// sun, 0–360), degrees.
double SunLongitude(JulianDay ut);
double MoonElongation(JulianDay ut);

// Local apparent sidereal time in degrees (0–360) at east longitude.
double LocalSiderealDegrees(JulianDay ut, double tt, double longitude, const Frame& frame);

// The observer's geocentric place (WGS84 ellipsoid, sea level) in the frame
// of date at local sidereal time `siderealDegrees`, in au.
Vec3 ObserverPlace(double latitude, double siderealDegrees);

// Azimuth (from the south, west positive, −180–180) and altitude (no
// refraction) of a topocentric vector of date, degrees.
void Horizontal(const Vec3& topocentric, double latitude, double siderealDegrees, double& azimuth,
                double& altitude);

// Radii for the apparent semidiameters, au.
inline constexpr double kMoonRadiusKm = 1737.4;
inline constexpr double kSunSemidiameterAt1Au = 959.63;  // arcseconds

double Length(const Vec3& v);
Vec3 Rotate(const double r[3][3], const Vec3& v);

}  // namespace precise
