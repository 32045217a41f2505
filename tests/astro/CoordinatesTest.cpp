#include <gtest/gtest.h>

#include <cmath>

#include "astro/astro.h"

namespace {

TEST(PositiveModulo, ReducesIntoRange) {
  const struct {
    double value, modulus, expected;
  } cases[] = {
      {-30, 360, 330}, {725, 360, 5}, {-1, 24, 23}, {360, 360, 0}, {0, 24, 0}, {23.5, 24, 23.5},
  };
  for (const auto& c : cases) EXPECT_NEAR(PositiveModulo(c.value, c.modulus), c.expected, 1e-9) << c.value;
  // A tiny negative value must not come back as the modulus itself.
  EXPECT_LT(PositiveModulo(-1e-20, 24.0), 24.0);
  EXPECT_LT(PositiveModulo(-1e-20, 360.0), 360.0);
}

TEST(InterpolateGrid, CornersAndCentre) {
  const double a = 1, b = 2, c = 3, d = 5;
  EXPECT_EQ(InterpolateGrid(a, b, c, d, 0, 0), a);
  EXPECT_EQ(InterpolateGrid(a, b, c, d, 0, 10), c);
  EXPECT_EQ(InterpolateGrid(a, b, c, d, 10, 0), b);
  EXPECT_EQ(InterpolateGrid(a, b, c, d, 10, 10), d);
  EXPECT_NEAR(InterpolateGrid(a, b, c, d, 5, 5), 2.75, 1e-12);
}

TEST(Obliquity, AtJ2000) { EXPECT_NEAR(Obliquity(2451545.0), 23.43768, 1e-5); }

TEST(EclipticToEquatorial, SolsticePointAndNorthPole) {
  double ra, dec;
  EclipticToEquatorial(2451545.0, 90, 0, ra, dec);
  EXPECT_NEAR(ra, 90, 1e-9);
  EXPECT_NEAR(dec, Obliquity(2451545.0), 1e-9);
  EclipticToEquatorial(2451545.0, 270, 0, ra, dec);
  EXPECT_NEAR(ra, 270, 1e-9);
  EXPECT_NEAR(dec, -Obliquity(2451545.0), 1e-9);
  // Ecliptic pole: right ascension 270, declination 90 - obliquity.
  EclipticToEquatorial(2451545.0, 0, 90, ra, dec);
  EXPECT_NEAR(ra, 270, 1e-6);
  EXPECT_NEAR(dec, 90 - Obliquity(2451545.0), 1e-9);
}

TEST(EquatorialToHorizontal, MeridianAndEasternHorizon) {
  const double jd = 2451545.3, lat = 35.68, lon = 139.77;
  const double meridian = 15.0 * LocalSiderealTime(jd, lon);
  const struct {
    const char* what;
    double ra, dec;
    double azimuth, altitude;
  } cases[] = {
      {"on the meridian south of the zenith", meridian, 10, 0, 90 - (lat - 10)},
      {"on the meridian north of the zenith", meridian, 60, 180, 90 - (60 - lat)},
      {"on the equator six hours east", meridian + 90, 0, -90, 0},
      {"on the equator six hours west", meridian - 90, 0, 90, 0},
  };
  for (const auto& c : cases) {
    double az, alt;
    EquatorialToHorizontal(jd, c.ra, c.dec, lat, lon, az, alt);
    EXPECT_NEAR(std::fabs(az), std::fabs(c.azimuth), 1e-6) << c.what;
    if (c.azimuth != 180) {
      EXPECT_NEAR(az, c.azimuth, 1e-6) << c.what;
    }
    EXPECT_NEAR(alt, c.altitude, 1e-6) << c.what;
  }
}

}  // namespace
