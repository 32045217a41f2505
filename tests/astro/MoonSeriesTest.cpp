// The moon's series: the full ELP/MPP02 against the theory's own check
// positions, and the series the program carries against the full one.
#include <gtest/gtest.h>

#include <erfam.h>

#include <cmath>
#include <cstdio>

#include "astro/precise/MoonSeries.h"

namespace {

const precise::MoonSeries& FullSeries() {
  static const precise::MoonSeries series = [] {
    std::string error;
    precise::MoonSeries s = precise::MoonSeries::Read(OMBREL_DATA_DIR "/elpmpp02", error);
    EXPECT_EQ(error, "");
    return s;
  }();
  return series;
}

// The five check positions of the DE405/DE406 constants (mean ecliptic and
// equinox of J2000, km), to the centimetre as given.
TEST(MoonSeries, FullSeriesGivesTheTheorysCheckPositions) {
  const struct {
    double tdb, x, y, z;
  } cases[] = {{2521835.67, -184108.21468, 345893.25529, 30395.06868},
               {2265621.33, -298024.37832, -213909.67132, -23263.21426},
               {2009406.99, 350041.24745, -201093.28987, 1643.33539},
               {1753192.65, 90272.39894, 351997.39617, 13417.01712},
               {1496978.31, -403018.01560, -2639.93889, -28463.89733}};
  EXPECT_EQ(FullSeries().Terms(), 35901u);
  for (const auto& c : cases) {
    const precise::MoonState m = precise::MoonEclipticJ2000(FullSeries().Groups(), c.tdb);
    EXPECT_NEAR(m.place[0], c.x, 2.5e-5) << c.tdb;
    EXPECT_NEAR(m.place[1], c.y, 2.5e-5) << c.tdb;
    EXPECT_NEAR(m.place[2], c.z, 2.5e-5) << c.tdb;
  }
}

struct Spherical {
  double longitude, latitude, distance;  // arcseconds, arcseconds, km
};
Spherical SphericalOf(const precise::Vec3& v) {
  const double rho = std::hypot(v[0], v[1]);
  return {std::atan2(v[1], v[0]) / ERFA_DAS2R, std::atan2(v[2], rho) / ERFA_DAS2R, precise::Length(v)};
}

// What the carried series (MoonSeriesData.cpp) loses against the full one,
// at moments spread over 1800-2200 and over -600..3000; and its velocity
// against the full series' places a minute either side (within 25 km a day
// of some 90,000: 3e-4 of itself).
TEST(MoonSeries, CarriedSeriesStaysNearTheFullOne) {
  const struct {
    double from, to, step, longitude, latitude, distance;
  } spans[] = {{2378496.5, 2524593.5, 292.7, 0.03, 0.06, 0.5},    // 1800-2200
               {1502273.5, 2816787.5, 2628.7, 0.04, 0.07, 1.0}};  // -600-3000
  const std::vector<precise::MoonTermGroup> full = FullSeries().Groups();
  for (const auto& s : spans) {
    double worst[3] = {};
    for (double tt = s.from; tt < s.to; tt += s.step) {
      const precise::MoonState carried = precise::MoonEclipticJ2000(precise::kMoonSeries, tt);
      const Spherical a = SphericalOf(carried.place), b = SphericalOf(precise::MoonEclipticJ2000(full, tt).place);
      worst[0] = std::fmax(worst[0], std::fabs(std::remainder(a.longitude - b.longitude, 1296000.0)));
      worst[1] = std::fmax(worst[1], std::fabs(a.latitude - b.latitude));
      worst[2] = std::fmax(worst[2], std::fabs(a.distance - b.distance));
      const double h = 1.0 / 1440.0;
      const precise::Vec3 before = precise::MoonEclipticJ2000(full, tt - h).place,
                          after = precise::MoonEclipticJ2000(full, tt + h).place;
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(carried.velocity[i], (after[i] - before[i]) / (2 * h), 25.0) << tt;
    }
    std::printf("carried series, %.0f-%.0f: %.4f\" longitude, %.4f\" latitude, %.3f km\n", s.from, s.to, worst[0],
                worst[1], worst[2]);
    EXPECT_LE(worst[0], s.longitude);
    EXPECT_LE(worst[1], s.latitude);
    EXPECT_LE(worst[2], s.distance);
  }
}

TEST(MoonSeries, AMissingFileIsAnError) {
  std::string error;
  EXPECT_EQ(precise::MoonSeries::Read("/nonexistent", error).Terms(), 0u);
  EXPECT_NE(error.find("elp_main.long"), std::string::npos) << error;
}

}  // namespace
