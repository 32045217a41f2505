#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "astro/astro.h"

namespace {

const int kPlanets[] = {BodyMercury, BodyVenus, BodyMars, BodyJupiter, BodySaturn};
constexpr Place kTokyo{35.6, 139.7};

// The places at jd 2451545 the almanac has always shown (two decimals).
TEST(PlanetPosition, PlacesAtJ2000) {
  const struct {
    int body;
    double rightAscension, declination;
  } cases[] = {
      {BodyMercury, 272.10, -24.42}, {BodyVenus, 239.91, -18.45}, {BodyMars, 330.52, -13.18},
      {BodyJupiter, 23.84, 8.59},    {BodySaturn, 38.51, 12.53},
  };
  for (const auto& c : cases) {
    const BodyPosition planet = PlanetPosition(c.body, 2451545.0, kTokyo);
    EXPECT_NEAR(planet.rightAscension, c.rightAscension, 0.01) << c.body;
    EXPECT_NEAR(planet.declination, c.declination, 0.01) << c.body;
    // The horizontal place is the observer's.
    double azimuth, altitude;
    EquatorialToHorizontal(2451545.0, planet.rightAscension, planet.declination, kTokyo.latitude,
                           kTokyo.longitude, azimuth, altitude);
    EXPECT_NEAR(planet.azimuth, azimuth, 1e-9) << c.body;
    EXPECT_NEAR(planet.altitude, altitude, 1e-9) << c.body;
  }
}

// Against an independent Keplerian computation from modern mean elements
// (tools/planets/check_positions.py): the tabulated corrections must keep the
// outer planets within half a degree over the centuries most asked for.
TEST(PlanetPosition, FollowsIndependentElementsFrom1800To2100) {
  const struct {
    double jd;
    int body;
    double rightAscension, declination;
  } cases[] = {
      {2378497.0, BodyMars, 242.75, -21.01},   {2378497.0, BodyJupiter, 84.07, 23.08},
      {2378497.0, BodySaturn, 131.22, 18.78},  {2415171.5, BodyJupiter, 243.68, -20.36},
      {2415171.5, BodySaturn, 273.80, -22.41}, {2469808.0, BodyJupiter, 124.06, 20.22},
      {2469808.0, BodySaturn, 299.65, -20.84}, {2488434.0, BodyJupiter, 224.79, -15.87},
      {2488434.0, BodySaturn, 215.18, -11.51},
  };
  for (const auto& c : cases) {
    const BodyPosition planet = PlanetPosition(c.body, c.jd, kTokyo);
    EXPECT_NEAR(planet.rightAscension, c.rightAscension, 0.5) << c.jd << " " << c.body;
    EXPECT_NEAR(planet.declination, c.declination, 0.5) << c.jd << " " << c.body;
  }
}

TEST(PlanetPosition, RightAscensionJustBelow360ReportsZero) {
  // Mars crosses right ascension 0 early in 2000.
  EXPECT_NEAR(PlanetPosition(BodyMars, 2451585.5, kTokyo).rightAscension, 359.49, 0.01);
  const BodyPosition mars = PlanetPosition(BodyMars, 2451585.75, kTokyo);
  EXPECT_EQ(mars.rightAscension, 0.0);
  // Only the shown value is rounded: azimuth and altitude are for the true place.
  double ra, dec, azimuth, altitude;
  EclipticToEquatorial(2451585.75, mars.longitude, mars.latitude, ra, dec);
  EXPECT_GT(ra, 359.5);
  EquatorialToHorizontal(2451585.75, ra, dec, kTokyo.latitude, kTokyo.longitude, azimuth, altitude);
  EXPECT_NEAR(mars.azimuth, azimuth, 1e-9);
  EXPECT_NEAR(mars.altitude, altitude, 1e-9);
  const double later = PlanetPosition(BodyMars, 2451586.5, kTokyo).rightAscension;
  EXPECT_GT(later, 0.0);
  EXPECT_LT(later, 1.0);
}

TEST(PlanetPosition, OtherBodyNumbersGiveAnEmptyPlace) {
  for (int body : {-1, int{BodySun}, int{BodyMoon}, 7, 1000}) {
    const BodyPosition place = PlanetPosition(body, 2451545.0, kTokyo);
    EXPECT_EQ(place.longitude, 0.0) << body;
    EXPECT_EQ(place.rightAscension, 0.0) << body;
    EXPECT_EQ(place.altitude, 0.0) << body;
  }
}

TEST(PlanetPosition, AnyJulianDayFinishes) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double jd : {std::nan(""), inf, -inf, 1e300, -1e300, 0.0, 1e9}) {
    for (int body : kPlanets) {
      const BodyPosition planet = PlanetPosition(body, jd, kTokyo);
      if (std::isfinite(jd) && std::fabs(jd) < 1e10) {
        EXPECT_TRUE(std::isfinite(planet.rightAscension)) << jd << " " << body;
        EXPECT_GE(planet.rightAscension, 0.0);
        EXPECT_LT(planet.rightAscension, 360.0);
      }
    }
  }
}

struct TableCase {
  const char* name;
  const PerturbationTable& table;
  int low, high;
  int sample[9];  // row B = 0, A = 0..80
};

const TableCase kTables[] = {
    {"JupiterLongitude", JupiterLongitudeTable, -8, 6, {-2, -2, -3, -3, -4, -4, -4, -4, -4}},
    {"JupiterPerihelion", JupiterPerihelionTable, -4, 5, {0, 0, 1, 1, 2, 2, 3, 3, 4}},
    {"JupiterEccentricity", JupiterEccentricityTable, -5, 5, {4, 4, 4, 3, 3, 2, 2, 1, 1}},
    {"SaturnLongitude", SaturnLongitudeTable, 29, 76, {55, 57, 58, 59, 60, 60, 61, 61, 61}},
    {"SaturnPerihelion", SaturnPerihelionTable, 29, 72, {33, 34, 35, 37, 39, 41, 44, 47, 49}},
    {"SaturnEccentricity", SaturnEccentricityTable, 29, 74, {54, 57, 59, 61, 63, 65, 66, 66, 67}},
    {"SaturnAxis", SaturnAxisTable, 12, 85, {83, 83, 83, 83, 82, 81, 80, 79, 78}},
};

TEST(PerturbationTables, SampleRowRangesAndWrap) {
  for (const auto& c : kTables) {
    for (int i = 0; i < 9; ++i) EXPECT_EQ(c.table[0][i], c.sample[i]) << c.name << " A=" << 10 * i;
    for (int j = 0; j < kPerturbationGrid; ++j) {
      for (int i = 0; i < kPerturbationGrid; ++i) {
        EXPECT_GE(c.table[j][i], c.low) << c.name << " " << j << "," << i;
        EXPECT_LE(c.table[j][i], c.high) << c.name << " " << j << "," << i;
      }
      // 0 and 360 are one argument: no step where the arguments wrap.
      EXPECT_EQ(c.table[j][0], c.table[j][36]) << c.name << " row " << j;
      EXPECT_EQ(c.table[0][j], c.table[36][j]) << c.name << " column " << j;
    }
    // Smooth periodic corrections: a step between neighbours stays well below
    // the table's whole range (a misplaced or garbled entry does not).
    const int step = (c.high - c.low) / 3;
    for (int j = 0; j + 1 < kPerturbationGrid; ++j)
      for (int i = 0; i + 1 < kPerturbationGrid; ++i) {
        EXPECT_LE(std::abs(c.table[j][i + 1] - c.table[j][i]), step) << c.name << " " << j << "," << i;
        EXPECT_LE(std::abs(c.table[j + 1][i] - c.table[j][i]), step) << c.name << " " << j << "," << i;
      }
  }
}

TEST(PerturbationLookup, InterpolatesBetweenGridPoints) {
  const PerturbationTable& t = SaturnLongitudeTable;
  const struct {
    double a, b, expected;
  } cases[] = {
      {0, 0, 55.0},                                          // a grid point
      {30, 0, 59.0},                                         // along A, columns
      {5, 0, (55.0 + 57.0) / 2},                             // between columns
      {0, 5, (t[0][0] + t[1][0]) / 2.0},                     // between rows: B picks the row
      {15, 25, InterpolateGrid(t[2][1], t[3][1], t[2][2], t[3][2], 5, 5)},
      {-350, 0, 57.0},                                       // arguments reduced into 0..360
      {370, 720, 57.0},
      {360, 360, 55.0},
      {359.99999999999994, 0, t[0][35] + (t[0][36] - t[0][35]) * 0.99999999999999994},
  };
  for (const auto& c : cases) EXPECT_NEAR(PerturbationLookup(t, c.a, c.b), c.expected, 1e-9) << c.a << "," << c.b;
  EXPECT_EQ(PerturbationLookup(t, std::nan(""), 0), 0.0);
  EXPECT_EQ(PerturbationLookup(t, 0, std::numeric_limits<double>::infinity()), 0.0);
}

}  // namespace
