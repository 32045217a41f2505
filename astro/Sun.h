// A body's place, the numbering of the bodies, and the sun's position.
#pragma once

#include "astro/Moment.h"

// The fixed numbering of the bodies used by the planets, the rise and set
// search and the displays.
enum BodyIndex : int {
  BodySun = 0,
  BodyMercury = 1,
  BodyVenus = 2,
  BodyMoon = 3,
  BodyMars = 4,
  BodyJupiter = 5,
  BodySaturn = 6,
};
inline constexpr int kBodyCount = 7;

// One body's place at a moment. Angles in degrees.
struct BodyPosition {
  double longitude = 0.0;       // geocentric ecliptic longitude, 0..360
  double latitude = 0.0;        // geocentric ecliptic latitude
  double semiDiameter = 0.0;    // sun and moon
  double x = 0.0;               // sun: geocentric rectangular ecliptic, AU
  double y = 0.0;
  double z = 0.0;
  double distance = 0.0;        // sun: AU; moon: earth radii
  double rightAscension = 0.0;  // 0..360
  double declination = 0.0;
  double azimuth = 0.0;         // from the south, positive westward
  double altitude = 0.0;        // no refraction
  double node = 0.0;            // moon: longitude of the ascending node
};

// The sun's place at jd: longitude, latitude (0), semiDiameter, x, y, z,
// distance, rightAscension, declination, and azimuth and altitude seen from
// `observer`.
BodyPosition SunPosition(JulianDay jd, const Place& observer);
