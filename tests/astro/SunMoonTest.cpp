#include <gtest/gtest.h>

#include <cmath>

#include "astro/astro.h"

namespace {

constexpr Place kTokyo{35.68, 139.77};

TEST(SunPosition, AtJ2000) {
  const BodyPosition sun = SunPosition(2451545.0, kTokyo);
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
  const double start = DayNoon(2000, 3, 19, CalendarRule::JulianThenGregorian) - 0.5;
  double previous = SunPosition(start, kTokyo).longitude;
  bool wrapped = false;
  for (int h = 1; h <= 72; ++h) {
    const BodyPosition sun = SunPosition(start + h / 24.0, kTokyo);
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
    // A geocentric place has no horizontal place.
    const BodyPosition moon = MoonPosition(c.jd, kTokyo, false);
    EXPECT_NEAR(moon.longitude, c.longitude, 0.01) << c.what;
    EXPECT_NEAR(moon.latitude, c.latitude, 0.01) << c.what;
    EXPECT_NEAR(moon.distance, c.distance, 0.01) << c.what;
    EXPECT_NEAR(moon.semiDiameter, c.semiDiameter, 1e-3) << c.what;
    EXPECT_EQ(moon.azimuth, 0.0) << c.what;
    EXPECT_EQ(moon.altitude, 0.0) << c.what;
  }
}

// The parallax of about one degree moves the moon most when it is low and
// hardly at all when it stands at the zenith.
TEST(MoonPosition, TopocentricShiftDependsOnAltitude) {
  const double jd = 2451545.0;
  const BodyPosition geo = MoonPosition(jd, Place{0, 0}, false);

  // An observer whose zenith is the moon: latitude = declination, and the
  // longitude whose meridian carries the moon's right ascension.
  const double zenithLat = geo.declination;
  const double zenithLon = PositiveModulo(geo.rightAscension - 15.0 * LocalSiderealTime(jd, 0.0) + 180.0, 360.0) - 180.0;
  BodyPosition topo = MoonPosition(jd, Place{zenithLat, zenithLon}, true);
  EXPECT_NEAR(topo.rightAscension, geo.rightAscension, 0.02);
  EXPECT_NEAR(topo.declination, geo.declination, 0.02);
  EXPECT_GT(topo.altitude, 89.0);

  // Ninety degrees of longitude further west the moon is on the eastern horizon.
  topo = MoonPosition(jd, Place{zenithLat, zenithLon - 90.0}, true);
  EXPECT_LT(std::fabs(topo.altitude), 2.0);
  EXPECT_LT(topo.azimuth, 0.0);
  const double shift = std::fabs(topo.rightAscension - geo.rightAscension);
  EXPECT_GT(shift, 0.7);
  EXPECT_LT(shift, 1.3);
  EXPECT_NEAR(topo.semiDiameter, geo.semiDiameter / 0.99, 1e-4);
}

}  // namespace
