// The body records shared by the sun, moon and planet computations, and the
// sun's position.
#pragma once

#include "astro/Globals.h"
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

// One body's place. Angles in degrees; times in hours of the local clock.
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
  double riseTime = 0.0;
  double azimuth = 0.0;         // from the south, positive westward
  double altitude = 0.0;        // no refraction
  double setTime = 0.0;
  double transitTime = 0.0;
  double node = 0.0;            // moon: longitude of the ascending node
};

extern BodyPosition SunRecord;
extern BodyPosition MoonRecord;
// The planet computed last.
extern BodyPosition PlanetWorkRecord;
// What the displays keep per planet, indexed by BodyIndex (the entries of the
// sun and the moon are unused; their places live in SunRecord and MoonRecord).
extern BodyPosition PlanetRecords[kBodyCount];

// The record a body's place is kept in: SunRecord, MoonRecord or the planet's
// entry of PlanetRecords. A number outside 0..6 gets PlanetWorkRecord.
BodyPosition& BodyRecord(int body);

// Fills longitude, latitude (0), semiDiameter, x, y, z, distance,
// rightAscension, declination, and azimuth and altitude seen from `observer`
// (the form without it: from the published place).
void SunPosition(JulianDay jd, BodyPosition& record, const Place& observer);
void SunPosition(JulianDay jd, BodyPosition& record);
