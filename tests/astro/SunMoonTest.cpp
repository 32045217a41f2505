#include <gtest/gtest.h>

#include <cmath>

#include "astro/astro.h"

namespace {

TEST(SunPosition, AtJ2000) {
  BodyPosition sun;
  SunPosition(2451545.0, sun);
  EXPECT_NEAR(sun.longitude, 280.4, 0.05);
  EXPECT_NEAR(sun.distance, 0.9833, 1e-4);
  EXPECT_NEAR(sun.semiDiameter, 0.2711, 1e-4);
  EXPECT_EQ(sun.latitude, 0.0);
  EXPECT_EQ(sun.z, 0.0);
  EXPECT_NEAR(std::hypot(sun.x, sun.y), sun.distance, 1e-12);
  // Right ascension and declination follow from the longitude.
  double ra, dec;
  EclipticToEquatorial(2451545.0, sun.longitude, 0, ra, dec);
  EXPECT_EQ(sun.rightAscension, ra);
  EXPECT_EQ(sun.declination, dec);
}

TEST(SunPosition, LongitudeWrapsSmoothlyAtTheEquinox) {
  // Hourly across the March equinox of 2000 the longitude stays in [0, 360)
  // and advances by about 0.04 degrees per hour through the wrap.
  const double start = DateToJulianDay(2000, 3, 19, 0, 135.0);
  BodyPosition sun;
  SunPosition(start, sun);
  double previous = sun.longitude;
  bool wrapped = false;
  for (int h = 1; h <= 72; ++h) {
    SunPosition(start + h / 24.0, sun);
    EXPECT_GE(sun.longitude, 0.0);
    EXPECT_LT(sun.longitude, 360.0);
    double step = sun.longitude - previous;
    if (step < 0) {
      step += 360;
      wrapped = true;
    }
    EXPECT_NEAR(step, 0.041, 0.003) << h;
    previous = sun.longitude;
  }
  EXPECT_TRUE(wrapped);
}

struct MoonCase {
  const char* what;
  double jd;
  double longitude, latitude, distance, semiDiameter;
};

TEST(MoonPosition, GeocentricPlaces) {
  const MoonCase cases[] = {
      {"J2000", 2451545.0, 223.30, 5.18, 62.72, 0.2489},
      {"1992-04-12 0h UT", 2448724.5, 133.26, -3.21, 56.97, 0.2741},
  };
  for (const MoonCase& c : cases) {
    BodyPosition moon;
    moon.azimuth = 12345;  // geocentric calls leave the horizon fields alone
    MoonPosition(c.jd, moon, 0, 35.68, 139.77);
    EXPECT_NEAR(moon.longitude, c.longitude, 0.01) << c.what;
    EXPECT_NEAR(moon.latitude, c.latitude, 0.01) << c.what;
    EXPECT_NEAR(moon.distance, c.distance, 0.01) << c.what;
    EXPECT_NEAR(moon.semiDiameter, c.semiDiameter, 1e-3) << c.what;
    EXPECT_EQ(moon.azimuth, 12345) << c.what;
  }
}

TEST(MoonPosition, RecomputesTheSun) {
  BodyPosition moon, sun;
  SunPosition(2451545.0, sun);
  SunRecord = BodyPosition{};
  MoonPosition(2451545.0, moon, 0, 0, 0);
  EXPECT_EQ(SunRecord.longitude, sun.longitude);
}

// The parallax of about one degree moves the moon most when it is low and
// hardly at all when it stands at the zenith.
TEST(MoonPosition, TopocentricShiftDependsOnAltitude) {
  const double jd = 2451545.0;
  BodyPosition geo;
  MoonPosition(jd, geo, 0, 0, 0);

  // An observer whose zenith is the moon: latitude = declination, and the
  // longitude whose meridian carries the moon's right ascension.
  const double zenithLat = geo.declination;
  const double zenithLon = PositiveModulo(geo.rightAscension - 15.0 * LocalSiderealTime(jd, 0.0) + 180.0, 360.0) - 180.0;
  BodyPosition topo;
  MoonPosition(jd, topo, 1, zenithLat, zenithLon, Place{zenithLat, zenithLon});
  EXPECT_NEAR(topo.rightAscension, geo.rightAscension, 0.02);
  EXPECT_NEAR(topo.declination, geo.declination, 0.02);
  EXPECT_GT(topo.altitude, 89.0);

  // Ninety degrees of longitude further west the moon is on the eastern horizon.
  MoonPosition(jd, topo, 1, zenithLat, zenithLon - 90.0, Place{zenithLat, zenithLon - 90.0});
  EXPECT_LT(std::fabs(topo.altitude), 2.0);
  EXPECT_LT(topo.azimuth, 0.0);
  const double shift = std::fabs(topo.rightAscension - geo.rightAscension);
  EXPECT_GT(shift, 0.7);
  EXPECT_LT(shift, 1.3);
  EXPECT_NEAR(topo.semiDiameter, geo.semiDiameter / 0.99, 1e-4);
}

}  // namespace
