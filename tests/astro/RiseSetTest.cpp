#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "astro/astro.h"
#include "tests/support/PublishedMoment.h"

namespace {

constexpr Place kTokyo{35.68, 139.77};

// Altitude of a body seen from Tokyo at local hour t of a day, for checking a
// found time.
double AltitudeAt(int body, double year, double month, double day, double t) {
  const JulianDay j = DateToJulianDay(year, month, day, t, kTokyo.longitude);
  if (body == BodySun) {
    SunPosition(j, SunRecord, kTokyo);
    return SunRecord.altitude;
  }
  MoonPosition(j, MoonRecord, 1, kTokyo.latitude, kTokyo.longitude, kTokyo);
  return MoonRecord.altitude;
}

TEST(RiseSet, TokyoOnNewYearsDay2000) {
  const JulianDay jd = DateToJulianDay(2000, 1, 1, 9.5, 139.77);
  const struct {
    const char* what;
    double (*search)(JulianDay, int, const Place&);
    int body;
    double expected, tolerance;
  } cases[] = {
      {"sunrise", RiseTime, BodySun, 6.840, 0.002},
      {"solar transit", TransitTime, BodySun, 11.734, 0.002},
      {"sunset", SetTime, BodySun, 16.625, 0.002},
      {"moonrise", RiseTime, BodyMoon, 1.63, 0.02},
  };
  for (const auto& c : cases) EXPECT_NEAR(c.search(jd, c.body, kTokyo), c.expected, c.tolerance) << c.what;
  // The forms without a place search for the published one.
  const testsupport::PublishedMoment tokyo(0, kTokyo);
  EXPECT_EQ(RiseTime(jd, BodySun), RiseTime(jd, BodySun, kTokyo));
}

TEST(RiseSet, FoundTimesSitJustBeforeTheCrossing) {
  const JulianDay jd = DateToJulianDay(2000, 1, 1, 0, 139.77);
  const double set = SetTime(jd, BodySun, kTokyo);
  EXPECT_GT(AltitudeAt(BodySun, 2000, 1, 1, set), -0.85);
  EXPECT_LT(AltitudeAt(BodySun, 2000, 1, 1, set + 0.02), -0.85);
  const double rise = RiseTime(jd, BodyMoon, kTokyo);
  EXPECT_LT(AltitudeAt(BodyMoon, 2000, 1, 1, rise), -0.85);
  EXPECT_GT(AltitudeAt(BodyMoon, 2000, 1, 1, rise + 0.002), -0.85);
}

TEST(RiseSet, MoonlessDaysReportTwentyThree) {
  // About once a month the moon rises after midnight of the next day; over a
  // month of Tokyo days exactly those days report 23.0, and every other rise
  // is a real crossing inside the day.
  int missing = 0;
  for (int d = 1; d <= 31; ++d) {
    const double rise = RiseTime(DateToJulianDay(2000, 1, d, 12, 139.77), BodyMoon, kTokyo);
    if (rise == kNoEventHour) {
      ++missing;
      EXPECT_LT(AltitudeAt(BodyMoon, 2000, 1, d, 23.0), -0.85) << d;
    } else {
      EXPECT_GE(rise, 0.0);
      EXPECT_LT(rise, 24.0);
    }
  }
  EXPECT_EQ(missing, 1);
}

TEST(RiseSet, PolarDayHasTransitButNoRiseOrSet) {
  const Place arctic{80.0, 15.0};
  const JulianDay jd = DateToJulianDay(2000, 6, 21, 12, 15.0);
  EXPECT_EQ(RiseTime(jd, BodySun, arctic), kNoEventHour);
  EXPECT_EQ(SetTime(jd, BodySun, arctic), kNoEventHour);
  const double transit = TransitTime(jd, BodySun, arctic);
  EXPECT_NEAR(transit, 12.0, 0.1);
}

TEST(RiseSet, RiseInTheLastHourIsFound) {
  // Scan a month for a moonrise after 23:00; it must come back as 23.x.
  bool seen = false;
  for (int d = 1; d <= 31 && !seen; ++d) {
    const double rise = RiseTime(DateToJulianDay(2000, 1, d, 12, 139.77), BodyMoon, kTokyo);
    if (rise > 23.0) {
      seen = true;
      EXPECT_LT(rise, 24.0);
      EXPECT_LT(AltitudeAt(BodyMoon, 2000, 1, d, rise), -0.85);
      EXPECT_GT(AltitudeAt(BodyMoon, 2000, 1, d, rise + 0.002), -0.85);
    }
  }
  EXPECT_TRUE(seen);
}

TEST(RiseSet, PlanetsUseTheirOwnPlace) {
  const JulianDay jd = DateToJulianDay(2000, 1, 1, 12, 139.77);
  // Jupiter at RA 23.8 h transits about 6.1 h after the sun (RA 18.7 h) that day.
  const double sun = TransitTime(jd, BodySun, kTokyo);
  const double jupiter = TransitTime(jd, BodyJupiter, kTokyo);
  EXPECT_NEAR(jupiter - sun, (23.84 - 281.3) / 15.0 + 24.0, 0.3);
}

TEST(RiseSet, GarbageInputsEndWithTheNoEventValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double jd, latitude, longitude;
  } cases[] = {{nan, 35.0, 139.0}, {1e308, 35.0, 139.0}, {-1e308, 35.0, 139.0}, {inf, 35.0, 139.0},
               {2451545.0, nan, 139.0}, {2451545.0, 35.0, nan}, {2451545.0, 1e308, -1e308}};
  for (const auto& c : cases) {
    const Place place{c.latitude, c.longitude};
    for (int body = 0; body < kBodyCount; ++body) {
      EXPECT_EQ(RiseTime(c.jd, body, place), kNoEventHour);
      EXPECT_EQ(SetTime(c.jd, body, place), kNoEventHour);
      EXPECT_EQ(TransitTime(c.jd, body, place), kNoEventHour);
    }
  }
}

// Moving the farther end of a bracket to its midpoint can step over a
// crossing on the far side of the midpoint: the moon's transit near the
// zenith was reported as none on these days at Tokyo.
TEST(RiseSet, MoonTransitsBeyondAMidpointAreFound) {
  const Place tokyo{35.6, 139.7};
  const struct {
    int year, month, day;
    double hours;  // the true transit
  } cases[] = {{2026, 2, 28, 21 + 29 / 60.0 + 50 / 3600.0},
               {2026, 8, 4, 3 + 30 / 60.0 + 22 / 3600.0},
               {2030, 10, 13, 14 / 60.0 + 52 / 3600.0}};
  for (const auto& c : cases) {
    const double t = TransitTime(DateToJulianDay(c.year, c.month, c.day, 12.0, 139.7), BodyMoon, tokyo);
    EXPECT_NEAR(t, c.hours, 3.0 / 60.0) << c.year << "-" << c.month << "-" << c.day;
  }
}

// A set found between 23:00:00 and 23:00:49 comes out with the earlier end
// of its bracket at exactly 23:00, the no-event value; it must stay an event.
TEST(RiseSet, AnEventAtElevenIsNotTheNoEventValue) {
  const double set = SetTime(DateToJulianDay(2026, 12, 16, 12.0, 139.7), BodyMoon, Place{35.6, 139.7});
  EXPECT_NE(set, kNoEventHour);
  EXPECT_NEAR(set, 23.0, 1e-9);
}

}  // namespace
